// Pixels of the band and of the composed lyric area.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "KaraokeTestSupport.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/LyricPainter.h"
#include "karaoke/LyricWrap.h"
#include "karaoke/ShowOverlay.h"

namespace cx {
namespace {

using test::CountColor;
using test::Rgb;

struct Ink {
    int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1;
    int count = 0;
};

Ink InkOf(const QImage& img, QRgb color) {
    Ink ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) == 0 || (p & 0xFFFFFF) != (color & 0xFFFFFF)) continue;
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x);
            ink.minY = std::min(ink.minY, y);
            ink.maxY = std::max(ink.maxY, y);
            ++ink.count;
        }
    return ink;
}

BandSpec LineSpec(const KaraokeSettings& s, const std::string& line, const std::string& sung) {
    BandSpec desc;
    desc.Font = MakeLyricsFont(s, s.LyricsFontSize);
    desc.Width = 600;
    desc.Height = 2 * (QFontMetrics(desc.Font).height() + 9);
    desc.Colors = UpdateColors(s, SongLook{}).Colors;
    desc.Lines.push_back({line, 0, true});
    desc.SungText = sung;
    return desc;
}

TEST(Paint, ExactlyTheSungCharactersAreHighlighted) {
    const auto s = test::TestSettings();
    StampCache cache;
    const std::string line = "Hello wide world", sung = "Hello wi";
    const BandSpec desc = LineSpec(s, line, sung);
    const QImage band = PaintBand(desc, cache);
    const QFontMetrics fm(desc.Font);
    const int left = LineLeft(desc.Width, fm.horizontalAdvance(QString::fromStdString(line)));
    const int boundary = left + 4 + fm.horizontalAdvance(QString::fromStdString(sung));

    const Ink high = InkOf(band, Rgb(s.LyricsHighlightColor));
    const Ink fore = InkOf(band, Rgb(s.LyricsColor));
    ASSERT_GT(high.count, 0);
    ASSERT_GT(fore.count, 0);
    EXPECT_LT(high.maxX, boundary);
    EXPECT_GE(fore.minX, boundary);
    // Nothing but the two colours: text is drawn without antialiasing.
    int other = 0;
    for (int y = 0; y < band.height(); ++y)
        for (int x = 0; x < band.width(); ++x) other += qAlpha(band.pixel(x, y)) != 0;
    EXPECT_EQ(other, high.count + fore.count);

    BandSpec lineMode = desc;
    lineMode.LineMode = true;
    const QImage whole = PaintBand(lineMode, cache);
    EXPECT_EQ(InkOf(whole, Rgb(s.LyricsColor)).count, 0);
    EXPECT_EQ(InkOf(whole, Rgb(s.LyricsHighlightColor)).count, high.count + fore.count);
}

TEST(Paint, OutlineWidthChoosesColourAndReach) {
    auto s = test::TestSettings();
    StampCache cache;
    BandSpec desc = LineSpec(s, "Outline", "");
    desc.Lines[0].Current = false;
    const Ink text = InkOf(PaintBand(desc, cache), Rgb(s.LyricsColor));

    desc.OutlineWidth = 0;
    QImage none = PaintBand(desc, cache);
    for (auto c : {s.LyricsOutlineColor1, s.LyricsOutlineColor2, s.LyricsOutlineColor3,
                   s.LyricsOutlineColor4})
        EXPECT_EQ(InkOf(none, Rgb(c)).count, 0);

    desc.OutlineWidth = 4;
    const QImage four = PaintBand(desc, cache);
    const Ink outline = InkOf(four, Rgb(s.LyricsOutlineColor1));
    EXPECT_EQ(InkOf(four, Rgb(s.LyricsOutlineColor2)).count, 0);
    EXPECT_EQ(InkOf(four, Rgb(s.LyricsOutlineColor4)).count, 0);
    EXPECT_EQ(outline.minX, text.minX - 4);
    EXPECT_EQ(outline.maxX, text.maxX + 4);
    EXPECT_EQ(outline.minY, text.minY - 4);
    EXPECT_EQ(outline.maxY, text.maxY + 4);

    desc.OutlineWidth = 1;
    const Ink thin = InkOf(PaintBand(desc, cache), Rgb(s.LyricsOutlineColor4));
    EXPECT_EQ(thin.minX, text.minX - 1);
    EXPECT_EQ(thin.maxY, text.maxY + 1);
}

TEST(Paint, StampIsRenderedOncePerText) {
    auto s = test::TestSettings();
    StampCache cache;
    BandSpec desc = LineSpec(s, "Same text", "Same");
    desc.OutlineWidth = 3;
    PaintBand(desc, cache);
    PaintBand(desc, cache);
    EXPECT_EQ(cache.Renders(), 1);
}

// A display playing `model` in a window of `width` x `height`.
struct Shown {
    Shown(LyricsModel& model, const KaraokeSettings& s, int width = 800, int height = 600,
          bool full = true, const SongLook& look = {}) {
        d.SetSettings(s);
        d.SetWindow(width, height, full);
        d.SetMediaOpen(true);
        d.ChangeLyrics(&model, look);
    }
    void Play(double to) {  // on from where the last call stopped
        for (; ms <= std::lround(to * 1000); ms += 10) d.IsPlaying(ms / 1000.0, ms);
    }
    // The band's row `row` of the frame of a full-screen 600 high window.
    QImage Row(int row) const {
        const int lh = QFontMetrics(d.Font()).height() + 9;
        const int top = BandTopInArea(0, 600, true, 2 * lh);
        return d.Frame().copy(0, top + row * lh, d.Frame().width(), lh);
    }
    KaraokeDisplay d;
    long ms = 0;
};

TEST(Paint, FrameHoldsTheBandWhereTheAlignmentPutsIt) {
    auto s = test::TestSettings();
    LyricsModel model = test::MakeModel({{{"Top line", 1.0}}, {{"Next", 2.0}}});
    Shown shown(model, s, 500, 400, false);
    KaraokeDisplay& d = shown.d;
    d.IsPlaying(1.0, 1000);
    // One display throughout: the band moves and leaves nothing behind.
    for (int alignment : {0, 1, 2, 0}) {
        s.LyricsAlignment = alignment;
        d.SetSettings(s);
        d.Repaint();
        const QImage& frame = d.Frame();
        ASSERT_EQ(frame.size(), QSize(500, 400 - 37));
        const int lh = QFontMetrics(d.Font()).height() + 9;
        const int top = BandTopInArea(alignment, 400, false, 2 * lh);
        const Ink high = InkOf(frame, Rgb(s.LyricsHighlightColor));
        const Ink fore = InkOf(frame, Rgb(s.LyricsColor));
        ASSERT_GT(high.count, 0);
        EXPECT_GE(high.minY, top + 4);
        EXPECT_LT(high.maxY, top + lh);      // the current line in the upper slot
        EXPECT_GE(fore.minY, top + lh + 4);  // the next line below it
        EXPECT_LT(fore.maxY, top + 2 * lh);
        // Everything else is the background colour.
        EXPECT_EQ(CountColor(frame, Rgb(s.LyricsBackColor)),
                  frame.width() * frame.height() - high.count - fore.count);
    }
}

TEST(Paint, BallMarksTheCurrentLine) {
    auto s = test::TestSettings();
    s.LyricsShowBall = true;
    s.LyricsBallColor = 0x00FF8000;
    s.DisplayMode = 2;
    LyricsModel model = test::MakeModel({{{"Ball ", 1.0}, {"line", 2.0}}, {{"Next", 3.0}}});
    Shown shown(model, s, 500, 400);
    KaraokeDisplay& d = shown.d;
    d.IsPlaying(1.0, 1000);
    const Ink ball = InkOf(d.Frame(), Rgb(s.LyricsBallColor));
    const Ink text = InkOf(d.Frame(), Rgb(s.LyricsHighlightColor));
    ASSERT_GT(ball.count, 0);
    EXPECT_LT(ball.maxX, text.minX);                                   // a marker before the line
    EXPECT_GT(InkOf(d.Frame(), Rgb(s.LyricsOutlineColor1)).count, 0);  // its rim

    s.LyricsMode = true;  // line mode has no ball
    d.SetSettings(s);
    d.Repaint();
    EXPECT_EQ(InkOf(d.Frame(), Rgb(s.LyricsBallColor)).count, 0);
}

TEST(Paint, ALineTooWideWrapsAtTheReadableMinimumAndKeepsItsPiecesAndColours) {
    auto s = test::TestSettings();
    s.LyricsFontSize = 48;
    s.LyricsFitFont = true;
    test::Line line;
    for (const char* w : {"Sixty ", "letters ", "make ", "a ", "line ", "far ", "too ", "wide ",
                          "for ", "one ", "row ", "to ", "hold!!"})
        line.push_back({w, 1.0 + static_cast<double>(line.size())});
    LyricsModel model = test::MakeModel({line, {{"Next", 30.0}}});
    ASSERT_EQ(model.Lyrics[1].LineText.size(), 60u);
    Shown shown(model, s);
    EXPECT_EQ(shown.d.FontSize(), MinReadableFontSize(s));  // not shrunk to a speck
    const QRgb high = Rgb(s.LyricsHighlightColor), fore = Rgb(s.LyricsColor);

    shown.Play(2.0);  // "Sixty letters " sung: the first row partly, the second not at all
    const Ink top = InkOf(shown.Row(0), high), rest = InkOf(shown.Row(0), fore);
    EXPECT_GT(top.count, 0);
    EXPECT_GT(rest.minX, top.maxX);
    EXPECT_EQ(InkOf(shown.Row(1), high).count, 0);
    const Ink second = InkOf(shown.Row(1), fore);
    EXPECT_GT(second.count, 0);
    EXPECT_GT(std::min(top.minX, second.minX), 0);  // nothing clipped at the edges
    EXPECT_LT(std::max(rest.maxX, second.maxX), 799);

    shown.Play(13.0);  // the whole line sung: both rows in the sung colour, no next line
    EXPECT_EQ(InkOf(shown.d.Frame(), fore).count, 0);
    EXPECT_GT(InkOf(shown.Row(1), high).count, 0);
}

TEST(Paint, SmoothSweepColoursThePieceUpToItsEdge) {
    auto s = test::TestSettings();
    s.LyricsSmoothSweep = true;
    LyricsModel model = test::MakeModel({{{"Sweeping", 1.0}, {" on", 3.0}}, {{"Next", 9.0}}});
    Shown shown(model, s);
    shown.Play(2.0);  // halfway through the first piece
    const QFontMetrics fm(shown.d.Font());
    const int tx = LineLeft(800, fm.horizontalAdvance("Sweeping on")) + 4;
    const int edge = tx + fm.horizontalAdvance("Sweeping") / 2;
    const QImage row = shown.Row(0);
    const QRgb high = Rgb(s.LyricsHighlightColor), fore = Rgb(s.LyricsColor);
    EXPECT_GT(CountColor(row, high, QRect(tx, 0, edge - tx, row.height())), 0);
    EXPECT_EQ(CountColor(row, fore, QRect(tx, 0, edge - tx, row.height())), 0);
    EXPECT_EQ(CountColor(row, high, QRect(edge, 0, 800 - edge, row.height())), 0);
    EXPECT_GT(CountColor(row, fore, QRect(edge, 0, 800 - edge, row.height())), 0);

    // A paused song repaints nothing; the sweep moves only with the position.
    const int paints = shown.d.PaintCount();
    shown.d.IsPlaying(2.0, 5000);
    EXPECT_EQ(shown.d.PaintCount(), paints);
    shown.d.IsPlaying(2.5, 5500);
    EXPECT_EQ(shown.d.PaintCount(), paints + 1);

    // Piece by piece, the default: the whole piece at once.
    s.LyricsSmoothSweep = false;
    shown.d.SetSettings(s);
    shown.d.Repaint();
    EXPECT_EQ(CountColor(shown.Row(0), fore, QRect(tx, 0, edge - tx + 1, row.height())), 0);
    EXPECT_GT(CountColor(shown.Row(0), high, QRect(edge, 0, 800 - edge, row.height())), 0);
}

TEST(Paint, TitlePageShrinksToThreeQuartersOfTheWidth) {
    auto s = test::TestSettings();
    s.LyricsFontSize = 60;
    LyricsModel model = test::MakeModel({{{"x", 5.0}}});
    SongLook look;
    look.Artist = "A rather long artist name";
    look.Title = "Title";
    Shown shown(model, s, 400, 300, true, look);
    KaraokeDisplay& d = shown.d;
    ASSERT_EQ(d.ShownPage(), KaraokeDisplay::Page::Title);
    const Ink fore = InkOf(d.Frame(), Rgb(s.LyricsColor));
    ASSERT_GT(fore.count, 0);
    EXPECT_LE(fore.maxX - fore.minX, 300);
    EXPECT_EQ(d.FontSize(), 60);  // the lyrics keep their size

    s.ShowLyricsTitle = false;
    d.SetSettings(s);
    d.ClearNewLyrics();
    d.Repaint();
    EXPECT_EQ(InkOf(d.Frame(), Rgb(s.LyricsColor)).count, 0);
}

// A guest may type a long name: the "Next" card shows its start and keeps a
// margin, rather than centring it and cutting both ends at the card's edges.
TEST(Paint, ALongNameOnTheNextCardKeepsItsStartAndAMargin) {
    EnsureGuiContext();
    ShowCard card;
    card.card = true;
    card.heading = "Next: " + std::string(60, 'W');
    card.title = std::string(120, 'M');
    const QImage shown = PaintShowOverlay(card, QSize(800, 450));
    int atEdges = 0, inside = 0;  // the card spans x 120..680
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 120; x < 680; ++x) {
            const QRgb c = shown.pixel(x, y);
            const bool ink = qRed(c) > 200 && qGreen(c) > 200 && qAlpha(c) > 200;
            (x < 131 || x >= 669 ? atEdges : inside) += ink;
        }
    EXPECT_EQ(atEdges, 0);
    EXPECT_GT(inside, 0);
}

// With the request page on, the "Next" card and the QR panel share the
// picture at every shape of window, each whole and neither over the other.
TEST(Paint, TheNextCardAndTheJoinPanelNeverOverlap) {
    ShowCard card;
    card.card = true;
    card.joinQr = QImage(33, 33, QImage::Format_RGB32);
    for (const bool ticker : {false, true}) {
        card.ticker = ticker ? "Then: Ann, Bob" : "";
        for (const QSize size : {QSize(640, 480), QSize(1280, 720), QSize(320, 240),
                                 QSize(480, 640), QSize(1920, 1080)}) {
            SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()) +
                         (ticker ? " with the ticker" : ""));
            const ShowPlaces at = PlaceShow(card, size);
            const QRectF picture(QPointF(0, 0), QSizeF(size));
            EXPECT_FALSE(at.card.intersects(at.joinPanel));
            EXPECT_TRUE(picture.contains(at.card) && picture.contains(at.joinPanel));
            EXPECT_GT(at.card.width(), size.width() * 0.4);
        }
    }
    card.joinQr = QImage();  // without the panel the card stands in the middle
    const ShowPlaces alone = PlaceShow(card, QSize(800, 450));
    EXPECT_DOUBLE_EQ(alone.card.center().x(), 400);
}

}  // namespace
}  // namespace cx
