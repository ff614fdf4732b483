#include "karaoke/PitchLane.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace cx {
namespace {

const QColor kBackdrop(0, 0, 0, 150);
const QColor kBar(120, 140, 170, 220);
const QColor kGoldenBar(200, 170, 60, 220);
const QColor kHit(90, 220, 110, 240);
const QColor kTrace(255, 255, 255, 240);
const QColor kNowMark(255, 80, 80, 200);

struct Scale {
    QRectF Area;
    double From, To;
    int Low, High;

    double X(double t) const {
        const double span = std::max(1e-6, To - From);
        return Area.left() + (t - From) / span * Area.width();
    }
    double Y(double pitch) const {
        return Area.bottom() - (pitch - Low) / std::max(1, High - Low) * Area.height();
    }
    double Row() const { return Area.height() / std::max(1, High - Low); }
};

Scale MakeScale(const LaneState& s, QSize size) {
    int low = 127, high = 0;
    for (const SungNote& n : s.Notes) {
        low = std::min(low, n.Pitch);
        high = std::max(high, n.Pitch);
    }
    if (s.Notes.empty()) low = high = 60;
    const double margin = std::max(4.0, size.height() * 0.05);
    return {QRectF(margin, margin, size.width() - 2 * margin, size.height() - 2 * margin), s.From,
            s.To, low - kLaneMarginSemitones, high + kLaneMarginSemitones};
}

void PaintBars(QPainter& p, const LaneState& s, const Scale& k) {
    for (std::size_t i = 0; i < s.Notes.size(); ++i) {
        const SungNote& n = s.Notes[i];
        if (n.Kind == NoteKind::Freestyle) continue;
        const QRectF bar(k.X(n.StartTime), k.Y(n.Pitch) - k.Row() * 0.4,
                         std::max(2.0, k.X(n.StartTime + n.Length) - k.X(n.StartTime)),
                         std::max(2.0, k.Row() * 0.8));
        const bool golden = n.Kind == NoteKind::Golden || n.Kind == NoteKind::RapGolden;
        p.fillRect(bar, golden ? kGoldenBar : kBar);
        const double share = i < s.Share.size() ? std::clamp(s.Share[i], 0.0, 1.0) : 0.0;
        if (share > 0)
            p.fillRect(QRectF(bar.left(), bar.top(), bar.width() * share, bar.height()), kHit);
    }
}

void PaintTrace(QPainter& p, const LaneState& s, const Scale& k) {
    QPainterPath path;
    bool drawing = false;
    for (const LanePoint& pt : s.Trace) {
        if (pt.Pitch <= 0) {
            drawing = false;
            continue;
        }
        const QPointF at(k.X(pt.Time), k.Y(pt.Pitch));
        if (drawing) {
            path.lineTo(at);
        } else {
            path.moveTo(at);
            drawing = true;
        }
    }
    p.setPen(QPen(kTrace, std::max(2.0, k.Row() * 0.25), Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
}

// The end of the song: a bar a line, as high as it was sung right.
void PaintChart(QPainter& p, const LaneState& s, const QRectF& area) {
    const double n = static_cast<double>(std::max<std::size_t>(1, s.LineShares.size()));
    const double step = area.width() / n;
    for (std::size_t i = 0; i < s.LineShares.size(); ++i) {
        const double share = std::clamp(s.LineShares[i], 0.0, 1.0);
        const double h = std::max(2.0, share * area.height());
        const QRectF bar(area.left() + i * step + step * 0.15, area.bottom() - h, step * 0.7, h);
        p.fillRect(bar, share >= 0.75 ? kHit : share >= 0.35 ? kGoldenBar : kBar);
    }
}

}  // namespace

QImage PaintPitchLane(const LaneState& state, QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), kBackdrop);
    const Scale k = MakeScale(state, image.size());
    if (state.Finished) {
        PaintChart(p, state, k.Area.adjusted(0, image.height() * 0.12, 0, 0));
    } else {
        PaintBars(p, state, k);
        PaintTrace(p, state, k);
    }
    if (!state.Finished && state.Now >= state.From && state.Now <= state.To) {
        p.setPen(QPen(kNowMark, 2));
        p.drawLine(QPointF(k.X(state.Now), k.Area.top()), QPointF(k.X(state.Now), k.Area.bottom()));
    }
    p.setPen(kTrace);
    const QRect corner = image.rect().adjusted(6, 2, -6, 0);
    p.drawText(corner, Qt::AlignRight | Qt::AlignTop,
               state.TotalText.empty() ? QString::number(state.Total)
                                       : QString::fromStdString(state.TotalText));
    if (!state.Verdict.empty())
        p.drawText(corner, Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(state.Verdict));
    return image;
}

void OverlayPitchLane(QImage& frame, const LaneState& state) {
    if (frame.isNull()) return;
    const QSize size(frame.width(),
                     std::max(1, static_cast<int>(frame.height() * kPitchLaneHeightShare)));
    const QImage lane = PaintPitchLane(state, size);
    QPainter p(&frame);
    p.drawImage(0, 0, lane);
}

}  // namespace cx
