// The options of `cbx render`, read in one place for audio and MIDI songs.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "playback/TimeStretcher.h"

namespace cx::cli {

struct RenderOptions {
    std::string input, output, voice;
    double tempo = 0, pitch = 0, from = 0, to = -1;
    int bass = 50, treble = 50, volume = 100, pan = 0;
    bool vocalCut = false, json = false;
    PitchEngine engine = PitchEngine::SoundTouch;
    std::array<std::optional<double>, 5> effects;  // 1..4
    // MIDI songs: the player's mixer and sliders; left out, the song's
    // settings block (or its own values) stand.
    std::optional<int> transpose;  // semitones for every channel
    std::optional<int> midiTempo;  // tempo slider position
    std::vector<int> mute;
    std::string soundFont;
    // Options given that serve only one kind of song, for a clear refusal.
    std::vector<std::string> audioOnly, midiOnly;
};

}  // namespace cx::cli
