#include "app/PlaylistLookSettings.h"

namespace cx {

FlatListLook PlaylistLookFrom(const ThemeClass& settings) {
    FlatListLook look;
    look.fore = ColorFromBgr(settings.PlaylistForeColor);
    look.selected = ColorFromBgr(settings.PlaylistSelColor);
    look.playing = ColorFromBgr(settings.PlaylistPlayColor);
    look.border = ColorFromBgr(settings.PlaylistBorderColor);
    // The size stands on its own: the default name only means "the system's font".
    if (settings.PlaylistFontName != kStoredDefaultListFont) {
        look.fontName = QString::fromStdString(settings.PlaylistFontName);
    }
    if (settings.PlaylistFontSize > 0) look.fontSize = settings.PlaylistFontSize;
    return look;
}

void StorePlaylistLook(const FlatListLook& look, ThemeClass& settings) {
    settings.PlaylistForeColor = BgrFromColor(look.fore);
    settings.PlaylistSelColor = BgrFromColor(look.selected);
    settings.PlaylistPlayColor = BgrFromColor(look.playing);
    settings.PlaylistBorderColor = BgrFromColor(look.border);
    settings.PlaylistFontName =
        look.fontName.isEmpty() ? std::string(kStoredDefaultListFont) : look.fontName.toStdString();
    if (look.fontSize > 0) settings.PlaylistFontSize = static_cast<std::int16_t>(look.fontSize);
}

}  // namespace cx
