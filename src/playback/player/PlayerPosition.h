// The stored place of the player window and which companion windows were open.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "playlist/WindowRect.h"

namespace cx {

// Settings value name, under the program's settings.
inline constexpr const char* kPlayerPositionKey = "player position";

struct PlayerPosition {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool playlistShown = false;
    bool midiShown = false;
};

// "left,top,width,height,playlist,midi"; the MIDI field may be missing (then
// false). Nothing for an empty or malformed value, so the window keeps its default place.
std::optional<PlayerPosition> ParsePlayerPosition(std::string_view text);
std::string FormatPlayerPosition(const PlayerPosition& position);

// The volume slider, kept between runs: a whole number 0..100.
inline constexpr const char* kPlayerVolumeKey = "player volume";
// Nothing for an empty or malformed value; out-of-range values are clamped.
std::optional<int> ParsePlayerVolume(std::string_view text);

}  // namespace cx
