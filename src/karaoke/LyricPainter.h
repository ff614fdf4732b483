// Pure painting of the lyric band and the composed lyric area.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <string>
#include <vector>

#include "karaoke/LyricLayout.h"

namespace cx {

// The outline of one text rendered once: the text mask grown by the outline's
// offsets, so one draw gives the same pixels as stamping the text at every offset.
class StampCache {
public:
    // The outline image of `text`; drawn at (x + lo, y + lo) it is the outline of
    // text drawn at (x + 4, y + 4).
    const QImage& Outline(const QFont& font, const std::string& text, const OutlineRule& rule);
    int Renders() const { return m_renders; }

private:
    struct Entry {
        std::string Key;
        QImage Image;
    };
    static constexpr std::size_t kEntries = 8;
    std::vector<Entry> m_entries;  // most recent last
    int m_renders = 0;
};

// Draws `text` with its outline so that its glyphs stand at (x + 4, y + 4).
void DrawOutline(QPainter& p, const QFont& font, const std::string& text, int x, int y,
                 int outlineWidth, const LyricColors& colors, StampCache& cache);
// Draws `text` with its top-left corner at (x, y), without antialiasing.
void DrawPlainText(QPainter& p, const QFont& font, const std::string& text, int x, int y,
                   const QColor& color);

enum class BallKind {
    None,
    OverPiece,        // a ball above the current piece (two lines)
    OverPieceRimmed,  // the same, rimmed in Outline1 (single line)
    Marker,           // a rimmed ball before the current line
};

// One row of the band: a whole line, or a part of a wrapped one.
struct BandLine {
    std::string Text;
    int Top = 0;  // slot top in the band
    bool Current = false;
    int From = 0;            // where the row starts in its line, in UTF-16 units
    bool Continued = false;  // the line goes on in a later row
};

// Everything one band paint depends on.
struct BandSpec {
    int Width = 0;
    int Height = 0;
    QFont Font;
    LyricColors Colors;
    int OutlineWidth = 0;
    bool LineMode = false;  // the whole current line in the highlight colour
    std::vector<BandLine> Lines;
    std::string SungText;   // sung part of the current line
    std::string PieceText;  // the current piece, last of SungText
    double Sweep = 1.0;     // how much of the current piece is coloured, 0..1
    BallKind Ball = BallKind::None;
    std::uint32_t BallColor = 0;
};

// The band: transparent except where text, outline or ball are drawn.
QImage PaintBand(const BandSpec& desc, StampCache& cache);

// The background with the band laid over it at `bandTop` (band may be null).
QImage ComposeFrame(const QImage& background, const QImage* band, int bandTop);

// The band drawn into the band of the last paint, whose memory is kept when
// its size still fits: a paint on every tick then allocates nothing.
void PaintBandInto(QImage& band, const BandSpec& desc, StampCache& cache);

// What ComposeFrameInto last drew: when neither the background nor the frame
// has changed since, only the rows the last band covered are restored.
struct ComposedFrame {
    qint64 BackgroundKey = 0;
    qint64 FrameKey = 0;
    int Top = 0;
    int Rows = 0;
};
// ComposeFrame into the frame of the last paint, copying as few rows as it can.
void ComposeFrameInto(QImage& frame, const QImage& background, const QImage* band, int bandTop,
                      ComposedFrame& last);

}  // namespace cx
