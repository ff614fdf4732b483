// Wrapping of lyric lines too wide for the window: a line that would need a
// font below the readable minimum is broken at word boundaries into rows, and
// the rows take the slots of the band in place of shrinking the font.
#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "karaoke/KaraokeSettings.h"
#include "karaoke/LyricPainter.h"

namespace cx {

// A line is never broken into more rows than this; the rest stays on the last.
inline constexpr int kMaxWrapRows = 32;

// The smallest font size lines are shown at before they wrap: the settings'
// percentage of the chosen size, never below the smallest size there is.
int MinReadableFontSize(const KaraokeSettings& settings);

// Characters [From, From + Length) of a line, in UTF-16 units.
struct WrapRow {
    int From = 0;
    int Length = 0;
};

using TextWidth = std::function<int(const QString& text)>;
using WrapLine = std::function<std::vector<WrapRow>(const QString& text)>;

// Rows of `text` no wider than `maxWidth`, broken at the spaces between
// words; the spaces at a break belong to no row. A word wider than a row is
// broken between characters. Text that fits is one row, spaces and all.
std::vector<WrapRow> WrapRows(const QString& text, int maxWidth, const TextWidth& width);

// The rows of the lines wrapped last, so that repainting a line (on every
// tick of the sweep) does not measure it again.
class WrapCache {
public:
    const std::vector<WrapRow>& Rows(const QFont& font, int maxWidth, const QString& text);

private:
    struct Entry {
        QString Key;
        std::vector<WrapRow> Rows;
    };
    static constexpr std::size_t kEntries = 8;
    std::vector<Entry> m_entries;  // most recent last
};

// One line the display mode puts into a slot of the band (-1: the middle of
// a two-slot band, the single-line display).
struct SlotLine {
    std::string Text;
    int Slot = 0;
    bool Current = false;
};

struct SlotGeometry {
    int Slots = 2;                // slots of the band
    std::function<int(int)> Top;  // a slot's top in the band (-1: the middle)
    int MaxWidth = 0;             // widest row that fits
    int Anchor = 0;               // character of the current line that must stay in view
};

// The band's rows: a line that fits stays where the mode put it; a wrapped
// line takes the slots below its own (moved up when the band ends), the
// current line first, then the others in the order of their slots after it.
// A line whose slot is taken is left out; one that runs out of slots shows
// its first rows. A current line longer than the band shows the rows from
// the one holding `Anchor`.
std::vector<BandLine> LayOutSlots(const std::vector<SlotLine>& lines, const SlotGeometry& geometry,
                                  const WrapLine& wrap);

}  // namespace cx
