// A player with one song open whose position the test sets, for the editor's tests.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/EditorDocument.h"

namespace cx::test {

struct FakePlayer {
    std::string song = "/music/song.mp3";
    std::optional<double> position;
    LyricsModel model;
    std::vector<std::pair<LyricsEdit, int>> edits;

    PlayerLink Link() {
        PlayerLink link;
        link.openMediaPath = [this] { return song; };
        link.playingPosition = [this] { return position; };
        link.lyrics = [this] { return &model; };
        link.edited = [this](LyricsEdit e, int piece) { edits.emplace_back(e, piece); };
        return link;
    }
};

}  // namespace cx::test
