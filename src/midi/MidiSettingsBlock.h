// The per-song "#CBXMidi" block appended to a MIDI file: one line per channel
// with on/off, transposition, volume, balance and program.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "midi/MidiChannels.h"

namespace cx {

inline constexpr std::string_view kMidiBlockStart = "#CBXMidi";
inline constexpr std::string_view kMidiBlockEnd = "#End CBXMidi";

struct MidiSettings {
    ChannelRecords Channels;
    int Transposition = 0;  // slider value, as saved on each line
    // Tempo thumb's steps from rest; written on a line of its own only when
    // not 0, so that an untouched song's block keeps the plain 16 lines.
    int TempoSteps = 0;
};

inline constexpr std::string_view kMidiTempoKey = "tempo=";

// The file's bytes without its settings block (what the synth plays).
std::string_view StripSettingsBlock(std::string_view fileBytes);

// The file's bytes with exactly one block holding `settings`.
std::string WithSettingsBlock(std::string_view fileBytes, const MidiSettings& settings);

// Reads the block into `settings`: locked channels keep their values; a line
// with fewer than five fields ends the reading. False when there is no block.
bool ReadMidi(std::string_view fileBytes, MidiSettings& settings);

// Rewrites the song file with the block, through a temporary file and a rename.
// Returns an empty string on success, else the reason.
std::string SaveMidi(const std::filesystem::path& song, const MidiSettings& settings);

}  // namespace cx
