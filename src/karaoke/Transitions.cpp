#include "karaoke/Transitions.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

namespace cx {

namespace {

// Cells of the banded effects.
constexpr int kBlinds = 8;
constexpr int kStrips = 16;
constexpr int kPushStrips = 8;
constexpr int kPokerCards = 8;
constexpr int kChecks = 8;
constexpr int kDiagonalBands = 32;

enum class Motion { AlongX, AlongY, Both };
enum class Side { Left, Right, Top, Bottom };

struct Effect {
    const char* Name;
    const char* Group;
    std::vector<std::string> Variants;
    int PausePercent;  // preview pause as a multiple of d, in percent; -1: d + 2
};

const std::string kNoVariant;

const std::vector<Effect>& Effects() {
    static const std::vector<Effect> effects = {
        {"Push Side", "Push", {"Left", "Right", "Top", "Bottom"}, 100},
        {"Push Bar", "Push", {"Horizontal", "Vertical"}, 100},
        {"Push Strips", "Push", {"Horizontal", "Vertical"}, 100},
        {"Slide Bar", "Slide", {"Horizontal1", "Horizontal2", "Vertical1", "Vertical2"}, -1},
        {"Slide Barn Door", "Slide", {"Horizontal1", "Horizontal2", "Vertical1", "Vertical2"}, 100},
        {"Slide Cross", "Slide", {"Outside", "Inside"}, 100},
        {"Slide Side", "Slide", {"Left", "Right", "Top", "Bottom"}, 100},
        {"Slide Diagonal", "Slide", {"Left Top", "Right Top", "Bottom Left", "Bottom Right"}, 300},
        {"Stretch Side", "Stretch", {"Left", "Right", "Top", "Bottom"}, 100},
        {"Stretch Diagonal",
         "Stretch",
         {"Left Top", "Right Top", "Bottom Left", "Bottom Right"},
         200},
        {"Stretch Zoom", "Stretch", {}, 100},
        {"Stretch Box", "Stretch", {"Outside", "Inside"}, 100},
        {"Stretch Barn Door",
         "Stretch",
         {"Horizontal1", "Horizontal2", "Vertical1", "Vertical2"},
         100},
        {"Wipe Side", "Wipe", {"Left", "Right", "Top", "Bottom"}, 100},
        {"Wipe Bar", "Wipe", {"Horizontal", "Vertical"}, 100},
        {"Wipe Barn Door", "Wipe", {"Horizontal1", "Horizontal2", "Vertical1", "Vertical2"}, 100},
        {"Wipe Cross", "Wipe", {"Outside", "Inside"}, 500},
        {"Wipe Box", "Wipe", {"Outside", "Inside"}, 600},
        {"Wipe Diagonal", "Wipe", {"Left Top", "Right Top", "Bottom Left", "Bottom Right"}, 300},
        {"Wipe Blinds", "Wipe", {"Horizontal", "Vertical"}, 1000},
        {"Wipe Strips", "Wipe", {"Horizontal", "Vertical"}, 400},
        {"Poker", "Custom", {}, 300},
        {"Custom Checkboard", "Custom", {}, 100},
    };
    return effects;
}

const Effect* Find(const std::string& name) {
    for (const auto& e : Effects())
        if (name == e.Name) return &e;
    return nullptr;
}

}  // namespace

std::string TransitionCaptionKey(const std::string& name, bool group) {
    std::string key = group ? "FxGroup" : "Fx";
    for (char c : name)
        if (c != ' ') key += c;
    return key;
}

namespace {

bool Starts(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// How an effect moves, which decides its step count.
struct MotionPlan {
    Motion Kind = Motion::AlongX;
    double ExtentX = 0;
    double ExtentY = 0;
    double Factor = 1;  // karaoke window step multiplier
};

MotionPlan PlanFor(const std::string& effect, const std::string& v, int w, int h) {
    MotionPlan m;
    const bool horizontal = Starts(v, "Horizontal") || v == "Left" || v == "Right";
    auto along = [&](bool x, double share, double fx, double fy) {
        m.Kind = x ? Motion::AlongX : Motion::AlongY;
        m.ExtentX = w * share;
        m.ExtentY = h * share;
        m.Factor = x ? fx : fy;
    };
    auto both = [&](double share, double factor) {
        m.Kind = Motion::Both;
        m.ExtentX = w * share;
        m.ExtentY = h * share;
        m.Factor = factor;
    };
    if (effect == "Slide Bar" || effect == "Wipe Bar") {
        along(horizontal, 1, 4, 2.5);
    } else if (effect == "Push Bar" || effect == "Stretch Barn Door") {
        along(horizontal, effect == "Push Bar" ? 1 : 0.5, 4, 3);
    } else if (effect == "Slide Barn Door" || effect == "Wipe Barn Door") {
        along(horizontal, 0.5, 4, 2.5);
    } else if (effect == "Slide Cross" || effect == "Wipe Cross" || effect == "Wipe Box" ||
               effect == "Stretch Box") {
        both(0.5, 1);
    } else if (effect == "Slide Diagonal" || effect == "Stretch Diagonal") {
        both(1, 1);
    } else if (effect == "Wipe Diagonal") {
        both(1, 2);
    } else if (effect == "Stretch Zoom") {
        both(0.5, 2);
    } else if (effect == "Wipe Blinds") {
        along(horizontal, 1.0 / kBlinds, 1, 1);
    } else if (effect == "Poker") {
        along(false, 1, 4, 2.5);
    } else if (effect == "Custom Checkboard") {
        along(true, 1, 4, 2.5);
    } else {
        along(horizontal, 1, 4, 2.5);
    }
    return m;
}

// --- frame building blocks ------------------------------------------------

void Copy(QPainter& p, const QImage& src, const QRect& from, QPoint to) {
    if (from.width() <= 0 || from.height() <= 0) return;
    p.drawImage(to, src, from);
}

void Scale(QPainter& p, const QImage& src, const QRect& from, const QRect& to) {
    if (to.width() <= 0 || to.height() <= 0 || from.width() <= 0 || from.height() <= 0) return;
    p.drawImage(to, src, from);
}

// The part of `b` in r slides in from side `s`, c pixels of it showing.
void SlideIn(QPainter& p, const QImage& b, const QRect& r, Side s, int c) {
    switch (s) {
        case Side::Left:
            Copy(p, b, {r.right() + 1 - c, r.y(), c, r.height()}, r.topLeft());
            break;
        case Side::Right:
            Copy(p, b, {r.x(), r.y(), c, r.height()}, {r.right() + 1 - c, r.y()});
            break;
        case Side::Top:
            Copy(p, b, {r.x(), r.bottom() + 1 - c, r.width(), c}, r.topLeft());
            break;
        case Side::Bottom:
            Copy(p, b, {r.x(), r.y(), r.width(), c}, {r.x(), r.bottom() + 1 - c});
            break;
    }
}

// The part of `a` in r moves c pixels towards side `s`.
void SlideOut(QPainter& p, const QImage& a, const QRect& r, Side s, int c) {
    switch (s) {
        case Side::Right:
            Copy(p, a, {r.x(), r.y(), r.width() - c, r.height()}, {r.x() + c, r.y()});
            break;
        case Side::Left:
            Copy(p, a, {r.x() + c, r.y(), r.width() - c, r.height()}, r.topLeft());
            break;
        case Side::Bottom:
            Copy(p, a, {r.x(), r.y(), r.width(), r.height() - c}, {r.x(), r.y() + c});
            break;
        case Side::Top:
            Copy(p, a, {r.x(), r.y() + c, r.width(), r.height() - c}, r.topLeft());
            break;
    }
}

// The part of `b` in r is uncovered in place, starting at side `s`.
void WipeIn(QPainter& p, const QImage& b, const QRect& r, Side s, int c) {
    QRect w;
    switch (s) {
        case Side::Left:
            w = {r.x(), r.y(), c, r.height()};
            break;
        case Side::Right:
            w = {r.right() + 1 - c, r.y(), c, r.height()};
            break;
        case Side::Top:
            w = {r.x(), r.y(), r.width(), c};
            break;
        case Side::Bottom:
            w = {r.x(), r.bottom() + 1 - c, r.width(), c};
            break;
    }
    Copy(p, b, w, w.topLeft());
}

Side Opposite(Side s) {
    switch (s) {
        case Side::Left:
            return Side::Right;
        case Side::Right:
            return Side::Left;
        case Side::Top:
            return Side::Bottom;
        case Side::Bottom:
            return Side::Top;
    }
    return s;
}

// `b` pushes `a` out of r, entering from side `s`.
void PushIn(QPainter& p, const QImage& a, const QImage& b, const QRect& r, Side s, int c) {
    SlideOut(p, a, r, Opposite(s), c);
    SlideIn(p, b, r, s, c);
}

Side SideOf(const std::string& v) {
    if (v == "Right") return Side::Right;
    if (v == "Top") return Side::Top;
    if (v == "Bottom") return Side::Bottom;
    return Side::Left;
}

int Part(double t, int extent) {
    return static_cast<int>(std::lround(t * extent));
}

// A w x h area cut into a left/top part of w/2 and the rest.
struct Halves {
    int L, R, T, B;
};
Halves HalvesOf(int w, int h) {
    return {w / 2, w - w / 2, h / 2, h - h / 2};
}

// Stripe i of n across `length`.
std::pair<int, int> Stripe(int i, int n, int length) {
    const int a = i * length / n, b = (i + 1) * length / n;
    return {a, b - a};
}

// Bit-reversed order, so strips appear scattered.
int ScatterRank(int i, int n) {
    int bits = 0;
    while ((1 << bits) < n) ++bits;
    int r = 0;
    for (int b = 0; b < bits; ++b)
        if (i & (1 << b)) r |= 1 << (bits - 1 - b);
    return r;
}

// --- the members -------------------------------------------------------------

struct Frame {
    QPainter& p;
    const QImage& a;
    const QImage& b;
    int w, h;
    double t;
    const std::string& v;
};

bool IsOne(const std::string& v) {
    return !v.empty() && v.back() == '1';
}

void SlideBar(Frame& f) {
    const Halves hv = HalvesOf(f.w, f.h);
    if (Starts(f.v, "Vertical")) {
        const int c = Part(f.t, f.h);
        const QRect left{0, 0, hv.L, f.h}, right{hv.L, 0, hv.R, f.h};
        if (IsOne(f.v)) {
            SlideOut(f.p, f.a, left, Side::Bottom, c);
            SlideOut(f.p, f.a, right, Side::Top, c);
        } else {
            SlideIn(f.p, f.b, left, Side::Bottom, c);
            SlideIn(f.p, f.b, right, Side::Top, c);
        }
    } else {
        const int c = Part(f.t, f.w);
        const QRect top{0, 0, f.w, hv.T}, bottom{0, hv.T, f.w, hv.B};
        if (IsOne(f.v)) {
            SlideOut(f.p, f.a, top, Side::Right, c);
            SlideOut(f.p, f.a, bottom, Side::Left, c);
        } else {
            SlideIn(f.p, f.b, top, Side::Right, c);
            SlideIn(f.p, f.b, bottom, Side::Left, c);
        }
    }
}

// Two halves split by the centre line, moving along the variant's axis.
void BarnDoor(Frame& f, bool wipe) {
    const Halves hv = HalvesOf(f.w, f.h);
    const bool horizontal = Starts(f.v, "Horizontal");
    const QRect first = horizontal ? QRect(0, 0, hv.L, f.h) : QRect(0, 0, f.w, hv.T);
    const QRect second = horizontal ? QRect(hv.L, 0, hv.R, f.h) : QRect(0, hv.T, f.w, hv.B);
    const int c1 = Part(f.t, horizontal ? hv.L : hv.T);
    const int c2 = Part(f.t, horizontal ? hv.R : hv.B);
    const Side outer1 = horizontal ? Side::Left : Side::Top;
    const Side outer2 = horizontal ? Side::Right : Side::Bottom;
    if (IsOne(f.v)) {  // from the centre line outwards
        if (wipe) {
            WipeIn(f.p, f.b, first, outer2, c1);
            WipeIn(f.p, f.b, second, outer1, c2);
        } else {
            SlideOut(f.p, f.a, first, outer1, c1);
            SlideOut(f.p, f.a, second, outer2, c2);
        }
    } else {  // from both edges inwards
        if (wipe) {
            WipeIn(f.p, f.b, first, outer1, c1);
            WipeIn(f.p, f.b, second, outer2, c2);
        } else {
            SlideIn(f.p, f.b, first, outer1, c1);
            SlideIn(f.p, f.b, second, outer2, c2);
        }
    }
}

struct Quarters {
    int l, r, t, b;  // parts showing of the left, right, top and bottom extents
};

void SlideCross(Frame& f) {
    const Halves hv = HalvesOf(f.w, f.h);
    const Quarters c{Part(f.t, hv.L), Part(f.t, hv.R), Part(f.t, hv.T), Part(f.t, hv.B)};
    if (f.v == "Outside") {  // the outgoing quarters move out from the centre
        Copy(f.p, f.a, {c.l, c.t, hv.L - c.l, hv.T - c.t}, {0, 0});
        Copy(f.p, f.a, {hv.L, c.t, hv.R - c.r, hv.T - c.t}, {hv.L + c.r, 0});
        Copy(f.p, f.a, {c.l, hv.T, hv.L - c.l, hv.B - c.b}, {0, hv.T + c.b});
        Copy(f.p, f.a, {hv.L, hv.T, hv.R - c.r, hv.B - c.b}, {hv.L + c.r, hv.T + c.b});
    } else {  // the incoming quarters come in from the corners
        Copy(f.p, f.b, {hv.L - c.l, hv.T - c.t, c.l, c.t}, {0, 0});
        Copy(f.p, f.b, {hv.L, hv.T - c.t, c.r, c.t}, {f.w - c.r, 0});
        Copy(f.p, f.b, {hv.L - c.l, hv.T, c.l, c.b}, {0, f.h - c.b});
        Copy(f.p, f.b, {hv.L, hv.T, c.r, c.b}, {f.w - c.r, f.h - c.b});
    }
}

void SlideDiagonal(Frame& f) {
    const int cx = Part(f.t, f.w), cy = Part(f.t, f.h);
    const bool left = f.v.find("Left") != std::string::npos;
    const bool top = f.v.find("Top") != std::string::npos;
    const QRect from(left ? f.w - cx : 0, top ? f.h - cy : 0, cx, cy);
    Copy(f.p, f.b, from, {left ? 0 : f.w - cx, top ? 0 : f.h - cy});
}

void WipeBar(Frame& f) {
    const Halves hv = HalvesOf(f.w, f.h);
    if (f.v == "Vertical") {
        const int c = Part(f.t, f.h);
        WipeIn(f.p, f.b, {0, 0, hv.L, f.h}, Side::Top, c);
        WipeIn(f.p, f.b, {hv.L, 0, hv.R, f.h}, Side::Bottom, c);
    } else {
        const int c = Part(f.t, f.w);
        WipeIn(f.p, f.b, {0, 0, f.w, hv.T}, Side::Left, c);
        WipeIn(f.p, f.b, {0, hv.T, f.w, hv.B}, Side::Right, c);
    }
}

void WipeCross(Frame& f) {
    const Halves hv = HalvesOf(f.w, f.h);
    const Quarters c{Part(f.t, hv.L), Part(f.t, hv.R), Part(f.t, hv.T), Part(f.t, hv.B)};
    auto in = [&](QRect r) { Copy(f.p, f.b, r, r.topLeft()); };
    if (f.v == "Outside") {  // a cross growing from the centre lines
        in({hv.L - c.l, 0, c.l + c.r, f.h});
        in({0, hv.T - c.t, f.w, c.t + c.b});
    } else {  // the quarters from the corners
        in({0, 0, c.l, c.t});
        in({f.w - c.r, 0, c.r, c.t});
        in({0, f.h - c.b, c.l, c.b});
        in({f.w - c.r, f.h - c.b, c.r, c.b});
    }
}

void WipeBox(Frame& f) {
    const Halves hv = HalvesOf(f.w, f.h);
    const Quarters c{Part(f.t, hv.L), Part(f.t, hv.R), Part(f.t, hv.T), Part(f.t, hv.B)};
    auto in = [&](QRect r) { Copy(f.p, f.b, r, r.topLeft()); };
    if (f.v == "Outside") {
        in({hv.L - c.l, hv.T - c.t, c.l + c.r, c.t + c.b});
    } else {
        in({0, 0, f.w, c.t});
        in({0, f.h - c.b, f.w, c.b});
        in({0, 0, c.l, f.h});
        in({f.w - c.r, 0, c.r, f.h});
    }
}

void WipeDiagonal(Frame& f) {
    const bool left = f.v.find("Left") != std::string::npos;
    const bool top = f.v.find("Top") != std::string::npos;
    for (int i = 0; i < kDiagonalBands; ++i) {
        auto [y, bh] = Stripe(i, kDiagonalBands, f.h);
        const double fromCorner = top ? double(y) / f.h : double(f.h - y - bh) / f.h;
        const int width =
            std::clamp(static_cast<int>(std::lround(f.w * (2 * f.t - fromCorner))), 0, f.w);
        const QRect r(left ? 0 : f.w - width, y, width, bh);
        Copy(f.p, f.b, r, r.topLeft());
    }
}

void WipeBlinds(Frame& f) {
    const bool horizontal = f.v == "Horizontal";
    for (int i = 0; i < kBlinds; ++i) {
        auto [o, len] = Stripe(i, kBlinds, horizontal ? f.w : f.h);
        const QRect r = horizontal ? QRect(o, 0, len, f.h) : QRect(0, o, f.w, len);
        WipeIn(f.p, f.b, r, horizontal ? Side::Left : Side::Top, Part(f.t, len));
    }
}

void WipeStrips(Frame& f) {
    const bool horizontal = f.v == "Horizontal";
    const double done = f.t * kStrips;
    for (int i = 0; i < kStrips; ++i) {
        const int rank = ScatterRank(i, kStrips);
        if (rank > done) continue;
        auto [o, len] = Stripe(i, kStrips, horizontal ? f.w : f.h);
        const QRect r = horizontal ? QRect(o, 0, len, f.h) : QRect(0, o, f.w, len);
        const double share = std::min(1.0, done - rank);
        WipeIn(f.p, f.b, r, horizontal ? Side::Left : Side::Top, Part(share, len));
    }
}

void PushBar(Frame& f) {
    const Halves hv = HalvesOf(f.w, f.h);
    if (f.v == "Vertical") {
        const int c = Part(f.t, f.h);
        PushIn(f.p, f.a, f.b, {0, 0, hv.L, f.h}, Side::Top, c);
        PushIn(f.p, f.a, f.b, {hv.L, 0, hv.R, f.h}, Side::Bottom, c);
    } else {
        const int c = Part(f.t, f.w);
        PushIn(f.p, f.a, f.b, {0, 0, f.w, hv.T}, Side::Left, c);
        PushIn(f.p, f.a, f.b, {0, hv.T, f.w, hv.B}, Side::Right, c);
    }
}

void PushStrips(Frame& f) {
    const bool horizontal = f.v == "Horizontal";
    const int c = Part(f.t, horizontal ? f.w : f.h);
    for (int i = 0; i < kPushStrips; ++i) {
        auto [o, len] = Stripe(i, kPushStrips, horizontal ? f.h : f.w);
        const QRect r = horizontal ? QRect(0, o, f.w, len) : QRect(o, 0, len, f.h);
        const Side s =
            horizontal ? (i % 2 ? Side::Right : Side::Left) : (i % 2 ? Side::Bottom : Side::Top);
        PushIn(f.p, f.a, f.b, r, s, c);
    }
}

void StretchSide(Frame& f) {
    const Side s = SideOf(f.v);
    const bool x = s == Side::Left || s == Side::Right;
    const int c = Part(f.t, x ? f.w : f.h);
    QRect to;
    switch (s) {
        case Side::Left:
            to = {0, 0, c, f.h};
            break;
        case Side::Right:
            to = {f.w - c, 0, c, f.h};
            break;
        case Side::Top:
            to = {0, 0, f.w, c};
            break;
        case Side::Bottom:
            to = {0, f.h - c, f.w, c};
            break;
    }
    Scale(f.p, f.b, f.b.rect(), to);
}

void StretchDiagonal(Frame& f) {
    const int cx = Part(f.t, f.w), cy = Part(f.t, f.h);
    const bool left = f.v.find("Left") != std::string::npos;
    const bool top = f.v.find("Top") != std::string::npos;
    Scale(f.p, f.b, f.b.rect(), {left ? 0 : f.w - cx, top ? 0 : f.h - cy, cx, cy});
}

QRect CentreBox(const Halves& hv, double t) {
    const Quarters c{Part(t, hv.L), Part(t, hv.R), Part(t, hv.T), Part(t, hv.B)};
    return {hv.L - c.l, hv.T - c.t, c.l + c.r, c.t + c.b};
}

void StretchBox(Frame& f, bool zoom) {
    const Halves hv = HalvesOf(f.w, f.h);
    if (zoom || f.v == "Outside") {
        Scale(f.p, f.b, f.b.rect(), CentreBox(hv, f.t));
    } else {
        Scale(f.p, f.a, f.a.rect(), CentreBox(hv, 1 - f.t));
    }
}

void StretchBarnDoor(Frame& f) {
    const Halves hv = HalvesOf(f.w, f.h);
    const bool horizontal = Starts(f.v, "Horizontal");
    const QRect first = horizontal ? QRect(0, 0, hv.L, f.h) : QRect(0, 0, f.w, hv.T);
    const QRect second = horizontal ? QRect(hv.L, 0, hv.R, f.h) : QRect(0, hv.T, f.w, hv.B);
    const int c1 = Part(f.t, horizontal ? hv.L : hv.T);
    const int c2 = Part(f.t, horizontal ? hv.R : hv.B);
    QRect to1, to2;
    if (IsOne(f.v)) {  // growing from the centre line
        to1 = horizontal ? QRect(hv.L - c1, 0, c1, f.h) : QRect(0, hv.T - c1, f.w, c1);
        to2 = horizontal ? QRect(hv.L, 0, c2, f.h) : QRect(0, hv.T, f.w, c2);
    } else {  // growing from the edges towards it
        to1 = horizontal ? QRect(0, 0, c1, f.h) : QRect(0, 0, f.w, c1);
        to2 = horizontal ? QRect(f.w - c2, 0, c2, f.h) : QRect(0, f.h - c2, f.w, c2);
    }
    Scale(f.p, f.b, first, to1);
    Scale(f.p, f.b, second, to2);
}

void Poker(Frame& f) {
    const Halves hv = HalvesOf(f.w, f.h);
    for (int half = 0; half < 2; ++half) {
        const double dealt = std::clamp(f.t * 2 - half, 0.0, 1.0) * kPokerCards;
        const int y = half ? hv.T : 0, hh = half ? hv.B : hv.T;
        for (int i = 0; i < kPokerCards && i < dealt; ++i) {
            auto [x, cw] = Stripe(i, kPokerCards, f.w);
            WipeIn(f.p, f.b, {x, y, cw, hh}, Side::Top, Part(std::min(1.0, dealt - i), hh));
        }
    }
}

void Checkboard(Frame& f) {
    for (int phase = 0; phase < 2; ++phase) {
        const double share = std::clamp(f.t * 2 - phase, 0.0, 1.0);
        for (int row = 0; row < kChecks; ++row) {
            auto [y, ch] = Stripe(row, kChecks, f.h);
            for (int col = 0; col < kChecks; ++col) {
                if ((row + col) % 2 != phase) continue;
                auto [x, cw] = Stripe(col, kChecks, f.w);
                WipeIn(f.p, f.b, {x, y, cw, ch}, Side::Left, Part(share, cw));
            }
        }
    }
}

// Effects that start from the incoming picture and move the outgoing one away.
bool StartsFromIncoming(const std::string& effect, const std::string& v) {
    return (effect == "Slide Bar" && IsOne(v)) || (effect == "Slide Barn Door" && IsOne(v)) ||
           (effect == "Slide Cross" && v == "Outside") ||
           (effect == "Stretch Box" && v == "Inside");
}

void Draw(Frame& f, const std::string& e) {
    if (e == "Slide Bar")
        SlideBar(f);
    else if (e == "Slide Barn Door")
        BarnDoor(f, false);
    else if (e == "Slide Cross")
        SlideCross(f);
    else if (e == "Slide Side")
        SlideIn(f.p, f.b, f.a.rect(), SideOf(f.v),
                Part(f.t, SideOf(f.v) <= Side::Right ? f.w : f.h));
    else if (e == "Slide Diagonal")
        SlideDiagonal(f);
    else if (e == "Wipe Side")
        WipeIn(f.p, f.b, f.a.rect(), SideOf(f.v),
               Part(f.t, SideOf(f.v) <= Side::Right ? f.w : f.h));
    else if (e == "Wipe Bar")
        WipeBar(f);
    else if (e == "Wipe Barn Door")
        BarnDoor(f, true);
    else if (e == "Wipe Cross")
        WipeCross(f);
    else if (e == "Wipe Box")
        WipeBox(f);
    else if (e == "Wipe Diagonal")
        WipeDiagonal(f);
    else if (e == "Wipe Blinds")
        WipeBlinds(f);
    else if (e == "Wipe Strips")
        WipeStrips(f);
    else if (e == "Push Side")
        PushIn(f.p, f.a, f.b, f.a.rect(), SideOf(f.v),
               Part(f.t, SideOf(f.v) <= Side::Right ? f.w : f.h));
    else if (e == "Push Bar")
        PushBar(f);
    else if (e == "Push Strips")
        PushStrips(f);
    else if (e == "Stretch Side")
        StretchSide(f);
    else if (e == "Stretch Diagonal")
        StretchDiagonal(f);
    else if (e == "Stretch Zoom")
        StretchBox(f, true);
    else if (e == "Stretch Box")
        StretchBox(f, false);
    else if (e == "Stretch Barn Door")
        StretchBarnDoor(f);
    else if (e == "Poker")
        Poker(f);
    else if (e == "Custom Checkboard")
        Checkboard(f);
}

}  // namespace

std::vector<std::string> TransitionEffects() {
    std::vector<std::string> names;
    for (const auto& e : Effects()) names.emplace_back(e.Name);
    return names;
}

std::vector<std::string> TransitionVariants(const std::string& effect) {
    const Effect* e = Find(effect);
    return e ? e->Variants : std::vector<std::string>{};
}

std::string TransitionGroup(const std::string& effect) {
    const Effect* e = Find(effect);
    return e ? e->Group : std::string();
}

bool IsKnownTransition(const TransitionSpec& desc) {
    const Effect* e = Find(desc.Effect);
    if (!e) return false;
    if (e->Variants.empty()) return true;
    return std::find(e->Variants.begin(), e->Variants.end(), desc.Variant) != e->Variants.end();
}

int TransitionSteps(const TransitionSpec& desc, QSize area, bool preview) {
    if (!IsKnownTransition(desc) || area.width() < 1 || area.height() < 1) return 1;
    const int w = area.width(), h = area.height();
    const MotionPlan m = PlanFor(desc.Effect, desc.Variant, w, h);
    double extent = 0, step = 1;
    const int speed = std::clamp(desc.Speed, 1, 10);
    const double s = speed * (w / 100.0) * (h / 100.0) / 70.0;
    if (m.Kind == Motion::Both) {
        // The shorter side advances by s; the longer in proportion, so both end together.
        extent = w <= h ? m.ExtentX : m.ExtentY;
        step = preview ? 1 : s * m.Factor;
    } else {
        extent = m.Kind == Motion::AlongX ? m.ExtentX : m.ExtentY;
        step = preview ? 1 : s * m.Factor;
    }
    step = std::max(1.0, step);
    return std::max(1, static_cast<int>(std::ceil(extent / step)));
}

int PreviewPauseMs(const TransitionSpec& desc, int frame, int steps) {
    const Effect* e = Find(desc.Effect);
    const int d = 11 - std::clamp(desc.Speed, 1, 10);
    if (!e) return d;
    if (e->PausePercent < 0) return d + 2;
    if (desc.Effect == "Stretch Zoom") {
        const int phase = steps > 0 ? std::min(2, frame * 3 / steps) : 0;
        return d * (phase + 1);
    }
    return d * e->PausePercent / 100;
}

QImage TransitionFrame(const QImage& from, const QImage& to, const TransitionSpec& desc, int frame,
                       int steps) {
    const QImage a = from.convertToFormat(QImage::Format_RGB32);
    QImage b = to.convertToFormat(QImage::Format_RGB32);
    if (b.size() != a.size()) b = b.scaled(a.size());
    steps = std::max(1, steps);
    frame = std::clamp(frame, 0, steps);
    if (!IsKnownTransition(desc)) return frame >= steps ? b : a;
    const double t = double(frame) / steps;
    QImage work = StartsFromIncoming(desc.Effect, desc.Variant) ? b.copy() : a.copy();
    {
        QPainter p(&work);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        Frame f{
            p, a, b, a.width(), a.height(), t, desc.Variant.empty() ? kNoVariant : desc.Variant};
        Draw(f, desc.Effect);
    }
    return work;
}

}  // namespace cx
