// The playlist's font and colours as the settings keep them.
#pragma once

#include "app/ThemeClass.h"
#include "playlist/gui/FlatListPainter.h"

namespace cx {

// The stored Windows default font stands for "the system's own".
inline constexpr char kStoredDefaultListFont[] = "MS Sans Serif";

FlatListLook PlaylistLookFrom(const ThemeClass& settings);
void StorePlaylistLook(const FlatListLook& look, ThemeClass& settings);

}  // namespace cx
