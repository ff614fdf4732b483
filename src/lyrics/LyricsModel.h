// The timed lyrics model every lyrics source is read into, and the steps
// every reader runs after filling it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cx {

// One timed unit of a line: a syllable, a word or the whole line. Texts are UTF-8.
struct LyricPiece {
    std::string LineText;    // the whole line this piece belongs to
    std::string PieceText;   // exactly what is sung and highlighted, spaces included
    double StartTime = 0;    // seconds from the start of the song
    bool LineBreak = false;  // last piece of its line
};

// A piece array with the placeholder at element 0 and pieces from 1 (the
// model's own array and the editor's working array share this layout).
using PieceArray = std::vector<LyricPiece>;

// Element 0 of Lyrics is a placeholder that is never shown; pieces are 1..N.
struct LyricsModel {
    PieceArray Lyrics = PieceArray(1);
    std::string LyricsHeader;
    std::string WidestLine;
    int CurrentPiece = 0;
    bool KokTiming = false;

    int UpperBound() const { return static_cast<int>(Lyrics.size()) - 1; }
    bool HasLyrics() const { return Lyrics.size() > 1; }
};

// Caps shared by every reader so that hostile input cannot exhaust memory.
inline constexpr std::size_t kMaxPieces = 200000;
// Longest line text, in bytes, that readers keep and the karaoke display lays
// out. No window shows more of a line at any font size, and every piece of a
// line carries the line's text, so the cap keeps reading, layout and fitting
// linear in the file's size however long one of its lines is. Text beyond it
// is dropped from the line text (and from a line timed as a whole).
inline constexpr std::size_t kMaxLineTextBytes = 2048;

// The start of `text`, at most `maxBytes` long, cut at a UTF-8 character boundary.
std::string_view CutLineText(std::string_view text, std::size_t maxBytes = kMaxLineTextBytes);

// Outcome of a reader or writer: ok, or why not. `warning` carries a note
// about a successful write (for example that UTF-8 had to be used).
struct LyricsResult {
    bool ok = false;
    std::string reason;
    std::string warning;
    std::string messageKey;  // translation key of the user's message, when there is one

    static LyricsResult Ok() { return {true, {}, {}, {}}; }
    static LyricsResult Fail(std::string why) { return {false, std::move(why), {}, {}}; }
    explicit operator bool() const { return ok; }
};

// Measures the drawn width of a line in the karaoke font.
using MeasureText = std::function<int(const std::string&)>;

// One unit per character (UTF-8 code point); for tools and tests.
int FixedWidthMeasure(const std::string& utf8);

// What the song heading is built from.
struct HeaderSources {
    std::string BlockArtist;  // the song's display block
    std::string BlockTitle;
    std::string TagArtist;  // the media file's tags
    std::string TagTitle;
    std::string MediaPath;  // base name is the last fallback
    std::string LrcArtist;  // the [ar:] and [ti:] lines of an LRC file
    std::string LrcTitle;
};

// Everything a reader needs besides the bytes: heading sources and the font measure.
struct AfterLoadContext {
    HeaderSources Header;
    MeasureText Measure;  // empty: FixedWidthMeasure
};

// The context with the media path filled in when the caller left it empty.
AfterLoadContext ForMedia(AfterLoadContext context, const std::string& mediaPath);

// Empties the model (placeholder only) and the heading, and rewinds CurrentPiece.
void ResetLyricsModel(LyricsModel& model);

// "artist|title", or the one that is known, from the display block, then the
// tags, then the LRC file's metadata, then the media file's base name.
std::string BuildLyricsHeader(const HeaderSources& sources);

// The widest LineText of pieces 1..N; the first wins on equal widths.
std::string FindWidestLine(const PieceArray& pieces, const MeasureText& measure);

// Heading and widest line, as every reader does after a load. Refitting and
// restarting the karaoke display are the caller's business.
void RunAfterLoad(LyricsModel& model, const AfterLoadContext& context);

// Gives each line's pieces the concatenation of that line's piece texts. A
// trailing run without a closing break is a line too.
void RebuildLineTexts(PieceArray& pieces);

}  // namespace cx
