#include "playback/player/PlayerPosition.h"

#include <algorithm>

namespace cx {

std::optional<PlayerPosition> ParsePlayerPosition(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const auto n = ParseNumberList(text, 6);
    if (!n || n->size() < 5) return std::nullopt;
    PlayerPosition p;
    p.left = (*n)[0];
    p.top = (*n)[1];
    p.width = (*n)[2];
    p.height = (*n)[3];
    p.playlistShown = (*n)[4] == 1;
    p.midiShown = n->size() > 5 && (*n)[5] == 1;
    return p;
}

std::string FormatPlayerPosition(const PlayerPosition& p) {
    return std::to_string(p.left) + "," + std::to_string(p.top) + "," + std::to_string(p.width) +
           "," + std::to_string(p.height) + "," + (p.playlistShown ? "1" : "0") + "," +
           (p.midiShown ? "1" : "0");
}

std::optional<int> ParsePlayerVolume(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const auto n = ParseNumberList(text, 1);
    if (!n || n->size() != 1) return std::nullopt;
    return std::clamp((*n)[0], 0, 100);
}

}  // namespace cx
