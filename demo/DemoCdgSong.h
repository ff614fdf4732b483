// The CD+G demo song: "Mary Had a Little Lamb", its melody for the audio and
// its graphics file: a title screen, then three lines of words on screen at a
// time whose syllables turn from white to yellow as they are sung.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CdgWriter.h"

namespace cx::demo {

inline constexpr const char* kLambBaseName = "Mary Had a Little Lamb";
inline constexpr const char* kLambTitle = "Mary Had a Little Lamb";
inline constexpr double kLambBpm = 120;
inline constexpr double kLambLeadIn = 5.0;  // seconds before the first note
inline constexpr double kLambTail = 2.0;    // seconds of audio after the last note

// Colour indices of the demo's palette.
enum LambColor : std::uint8_t {
    kPaper = 0,   // navy background
    kUnsung = 1,  // white words
    kSung = 2,    // yellow words
    kTitleInk = 4,
    kCreditInk = 5,
    kBorder = 6,
    kStripe = 8,  // 8..15, a rainbow under the title
};

inline constexpr cdgwrite::ColorHalf kLambLowColors = {0x004, 0xFFF, 0xFD0, 0xF80,
                                                       0x0CF, 0x8AF, 0x226, 0x000};
inline constexpr cdgwrite::ColorHalf kLambHighColors = {0xF00, 0xF80, 0xFF0, 0x0F0,
                                                        0x0FF, 0x00F, 0x80F, 0xF0F};

// Lines of words are drawn twice the font size: two tiles a character.
inline constexpr int kLyricScale = 2;
inline constexpr int kLineCells = cdgwrite::kAreaColumns / kLyricScale;  // 24
// Tile rows of the three places a line of words can take.
inline constexpr int kLineRows[] = {3, 7, 11};
inline constexpr int kTitleRows[] = {3, 6};
inline constexpr int kStripeRow = 9;

struct LambNote {
    int midi;         // melody key
    double beats;     // length in beats
    const char* syl;  // syllable sung on it; a trailing '/' ends the line
};

inline const std::vector<LambNote>& LambNotes() {
    static const std::vector<LambNote> notes = {
        {64, 1, "Ma"},    {62, 1, "ry "},     {60, 1, "had "},   {62, 1, "a "},
        {64, 1, "lit"},   {64, 1, "tle "},    {64, 2, "lamb,/"}, {62, 1, "lit"},
        {62, 1, "tle "},  {62, 2, "lamb, "},  {64, 1, "lit"},    {67, 1, "tle "},
        {67, 2, "lamb/"}, {64, 1, "Ma"},      {62, 1, "ry "},    {60, 1, "had "},
        {62, 1, "a "},    {64, 1, "lit"},     {64, 1, "tle "},   {64, 1, "lamb,/"},
        {64, 1, "its "},  {62, 1, "fleece "}, {62, 1, "was/"},   {64, 1, "white "},
        {62, 1, "as "},   {60, 4, "snow./"}};
    return notes;
}

// One bass note per bar of four beats.
inline const std::vector<int>& LambChordRoots() {
    static const std::vector<int> roots = {48, 48, 55, 48, 48, 48, 55, 48};
    return roots;
}

// A syllable of the words on screen and when it turns colour.
struct LambCue {
    double seconds;  // when the syllable is sung
    int line;        // line of the song, from 0
    int row;         // tile row of its line
    int column;      // tile column of its first character
    std::string text;
};

struct LambCdg {
    std::vector<std::uint8_t> bytes;
    std::vector<LambCue> cues;
    std::vector<std::string> lines;
    double titleUntil = 0;  // the words page replaces the title screen here
    double endScreen = 0;   // the closing screen appears here
    double seconds = 0;     // length of the song, audio included
};

// The first tile column of a line of words.
inline int LineColumn(const std::string& text) {
    return cdgwrite::CentredColumn(text.size(), kLyricScale);
}

namespace detail {

struct LambLine {
    std::string text;
    double start = 0;  // first syllable sung
    std::vector<LambCue> cues;
};

inline std::vector<LambLine> LambLines() {
    const double beat = 60.0 / kLambBpm;
    std::vector<LambLine> lines(1);
    double t = kLambLeadIn;
    for (const LambNote& n : LambNotes()) {
        std::string syl = n.syl;
        const bool ends = !syl.empty() && syl.back() == '/';
        if (ends) syl.pop_back();
        LambLine& line = lines.back();
        if (line.cues.empty()) line.start = t;
        line.cues.push_back(
            {t, static_cast<int>(lines.size()) - 1, 0, static_cast<int>(line.text.size()), syl});
        line.text += syl;
        if (ends) lines.emplace_back();
        t += n.beats * beat;
    }
    if (lines.back().cues.empty()) lines.pop_back();
    return lines;
}

// Draws a line of words centred on tile row `row`, blanking the rest of the
// row so that it also wipes the line that stood there before. An empty text
// just wipes.
inline void DrawLine(cdgwrite::CdgWriter& w, double seconds, int row, const std::string& text) {
    const int first = LineColumn(text);
    const int end = first + static_cast<int>(text.size()) * kLyricScale;
    const cdgwrite::TileRows blank{};
    for (int c = cdgwrite::kFirstColumn; c < first; ++c)
        for (int r = 0; r < kLyricScale; ++r) w.Tile(seconds, row + r, c, kPaper, kPaper, blank);
    w.Text(seconds, row, first, text, kUnsung, kPaper, kLyricScale);
    for (int c = end; c <= cdgwrite::kLastColumn; ++c)
        for (int r = 0; r < kLyricScale; ++r) w.Tile(seconds, row + r, c, kPaper, kPaper, blank);
}

}  // namespace detail

inline double LambSeconds() {
    double beats = 0;
    for (const LambNote& n : LambNotes()) beats += n.beats;
    return kLambLeadIn + beats * 60.0 / kLambBpm + kLambTail;
}

inline LambCdg MakeLambCdg() {
    using cdgwrite::CentredColumn;
    using cdgwrite::kFirstColumn;
    LambCdg out;
    out.seconds = LambSeconds();
    out.titleUntil = kLambLeadIn - 1.5;
    auto lines = detail::LambLines();
    out.endScreen = out.seconds - kLambTail + 0.5;
    cdgwrite::CdgWriter w;

    // Title screen.
    w.Colors(0, kLambLowColors, kLambHighColors);
    w.MemoryPreset(0, kPaper, 2);
    w.BorderPreset(0, kBorder);
    const std::string title1 = "Mary Had a", title2 = "Little Lamb";
    w.Text(0, kTitleRows[0], CentredColumn(title1.size(), 2), title1, kTitleInk, kPaper, 2);
    w.Text(0, kTitleRows[1], CentredColumn(title2.size(), 2), title2, kTitleInk, kPaper, 2);
    const cdgwrite::TileRows solid = {0, 0, 0, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0, 0, 0};
    for (int c = 0; c < cdgwrite::kAreaColumns; ++c) {
        const auto band = static_cast<std::uint8_t>(kStripe + c * 8 / cdgwrite::kAreaColumns);
        w.Tile(0, kStripeRow, kFirstColumn + c, kPaper, band, solid);
    }
    const std::string credit = "Traditional", demo = "a Cantabilex demo song";
    w.Text(0, 11, CentredColumn(credit.size(), 1), credit, kCreditInk, kPaper);
    w.Text(0, 13, CentredColumn(demo.size(), 1), demo, kUnsung, kPaper);

    // The words page: the first three lines, unsung.
    w.MemoryPreset(out.titleUntil, kPaper, 2);
    const std::string footer = std::string(kLambTitle) + " - Traditional";
    for (std::size_t i = 0; i < lines.size() && i < std::size(kLineRows); ++i) {
        detail::DrawLine(w, out.titleUntil, kLineRows[i], lines[i].text);
    }
    w.Text(out.titleUntil, 15, CentredColumn(footer.size(), 1), footer, kCreditInk, kPaper);

    // Every syllable turns colour when it is sung; these are placed before
    // the line changes below so they keep their exact packets.
    const std::size_t places = std::size(kLineRows);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int first = LineColumn(lines[i].text);
        for (LambCue& cue : lines[i].cues) {
            cue.row = kLineRows[i % places];
            cue.column = first + cue.column * kLyricScale;
            w.Recolor(cue.seconds, cue.row, cue.column, cue.text, kUnsung, kSung, kLyricScale);
            out.cues.push_back(cue);
        }
    }
    // As each line starts, the one before it has been sung and makes way for
    // the next unseen line, or for nothing near the end.
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t next = i - 1 + places;
        detail::DrawLine(w, lines[i].start, kLineRows[(i - 1) % places],
                         next < lines.size() ? lines[next].text : std::string());
    }

    // Closing screen.
    w.MemoryPreset(out.endScreen, kPaper, 2);
    const std::string end = "The End";
    w.Text(out.endScreen, 7, CentredColumn(end.size(), 2), end, kTitleInk, kPaper, 2);
    w.Extend(out.seconds);

    for (const auto& line : lines) out.lines.push_back(line.text);
    out.bytes = w.Bytes();
    return out;
}

}  // namespace cx::demo
