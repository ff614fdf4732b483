#include "karaoke/gui/ThemeSettings.h"

namespace cx {

KaraokeSettings KaraokeSettingsFrom(const ThemeClass& t) {
    KaraokeSettings s;
    s.LyricsFont = t.LyricsFont;
    s.LyricsFontSize = t.LyricsFontSize;
    s.LyricsFontBold = t.LyricsFontBold;
    s.LyricsFontItalic = t.LyricsFontItalic;
    s.LyricsFontCharset = t.LyricsFontCharset;
    s.LyricsColor = t.LyricsColor;
    s.LyricsHighlightColor = t.LyricsHighlightColor;
    s.LyricsOutlineColor1 = t.LyricsOutlineColor1;
    s.LyricsOutlineColor2 = t.LyricsOutlineColor2;
    s.LyricsOutlineColor3 = t.LyricsOutlineColor3;
    s.LyricsOutlineColor4 = t.LyricsOutlineColor4;
    s.LyricsBackColor = t.LyricsBackColor;
    s.LyricsBallColor = t.LyricsBallColor;
    s.LyricsAlignment = t.LyricsAlignment;
    s.LyricsPicLayout = t.LyricsPicLayout;
    s.LyricsPicPath = t.LyricsPicPath;
    s.LyricsFitFont = t.LyricsFitFont;
    s.DisplayMode = t.DisplayMode;
    s.LyricsMode = t.LyricsMode;
    s.LyricsShowBall = t.LyricsShowBall;
    s.LyricsOutlineWidth = t.LyricsOutlineWidth;
    s.LyricsOffset = t.LyricsOffset;
    s.ShowLyricsTitle = t.ShowLyricsTitle;
    s.LyricsMinFontPercent = t.LyricsMinFontPercent;
    s.LyricsSmoothSweep = t.LyricsSmoothSweep;
    s.Monitor = t.Monitor;
    s.OnTop = t.OnTop;
    return s;
}

void StoreKaraokeSettings(const KaraokeSettings& s, ThemeClass& t) {
    t.LyricsFontSize = static_cast<std::int16_t>(s.LyricsFontSize);
    t.LyricsFitFont = s.LyricsFitFont;
    t.LyricsOffset = s.LyricsOffset;
}

}  // namespace cx
