// What the karaoke display reads from outside: the user's settings and the
// song's own look. Both are plain values so that the display can be driven
// without the settings store or the lyrics readers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cx {

// The settings the karaoke display uses, named as the settings properties,
// with the settings' defaults. Colours are 0x00BBGGRR.
struct KaraokeSettings {
    std::string LyricsFont = "Impact";
    int LyricsFontSize = 20;  // points
    bool LyricsFontBold = false;
    bool LyricsFontItalic = false;
    int LyricsFontCharset = 0;  // kept for the settings store; Qt chooses glyphs itself

    std::uint32_t LyricsColor = 0x00BD8C7D;
    std::uint32_t LyricsHighlightColor = 0x00FDDDCE;
    std::uint32_t LyricsOutlineColor1 = 0x00000000;
    std::uint32_t LyricsOutlineColor2 = 0x00000000;
    std::uint32_t LyricsOutlineColor3 = 0x00000000;
    std::uint32_t LyricsOutlineColor4 = 0x00000000;
    std::uint32_t LyricsBackColor = 0x007B4E41;
    std::uint32_t LyricsBallColor = 0x000000FF;

    int LyricsAlignment = 0;    // 0 centre, 1 top, 2 bottom
    int LyricsPicLayout = 2;    // 0 actual size, 1 tile, 2 stretch
    std::string LyricsPicPath;  // the preferred background picture

    bool LyricsFitFont = false;
    int DisplayMode = 3;      // 0 one line, 1 two lines, 2 two lines separated, 3 three lines
    bool LyricsMode = false;  // true: whole current line highlighted
    bool LyricsShowBall = false;
    int LyricsOutlineWidth = 2;  // 0..4
    double LyricsOffset = 0;     // seconds the lyrics lag the audio
    bool ShowLyricsTitle = false;
    // The smallest font a line is shown at, in percent of LyricsFontSize;
    // a line that would need less wraps onto the next slot.
    int LyricsMinFontPercent = 67;
    bool LyricsSmoothSweep = false;  // the sung colour sweeps through each piece

    std::string Monitor = "Monitor 1 (primary)";
    bool OnTop = false;
};

// One picture of the song's timeline, in time order.
struct TimelinePicture {
    std::string Path;
    int Time = 0;        // whole seconds; below 1 counts as 0
    std::string Effect;  // transition name; empty or "No effect" for a plain change
    std::string EffectDetail;
    int Speed = 5;  // 1..10
};

// The song's own look (its display block) plus what the title page falls back to.
// Missing colours are -1; missing alignment and layout are -1 or 65535.
struct SongLook {
    std::string Artist;
    std::string Title;
    std::string Picture;
    std::int64_t ForeColor = -1;
    std::int64_t HighlightColor = -1;
    std::int64_t OutlineColor1 = -1;
    std::int64_t OutlineColor2 = -1;
    std::int64_t OutlineColor3 = -1;
    std::int64_t OutlineColor4 = -1;
    std::int64_t BackColor = -1;
    int Alignment = -1;
    int Layout = -1;
    std::vector<TimelinePicture> Schedule;  // sorted by Time, equal times in file order
    int Codepage = 0;  // the user's code page for the song's texts (1250...); 0: detected
    // Shown under the heading on the title page of a song without timed
    // lyrics: its untimed words, or a word that it has none. LF between lines.
    std::string PageText;

    // Fallbacks for the title page: the media file's tags and path.
    std::string TagArtist;
    std::string TagTitle;
    std::string MediaPath;
};

}  // namespace cx
