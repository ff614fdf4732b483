// What the MIDI information dialog tells about a song, free of widgets: the
// file's layout and timing, its title, where its words come from and which
// channels it plays with which instruments.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "midi/MidiChannels.h"
#include "midi/MidiInfo.h"
#include "midi/MidiLyrics.h"

namespace cx {

// Tempo changes listed in the dialog; a longer map ends with a count.
inline constexpr std::size_t kMaxListedTempoChanges = 16;

struct ChannelUse {
    int Notes = 0;         // notes the song plays on the channel
    int FirstProgram = 0;  // the first program change, 0 when none
    bool HasProgram = false;
};
using ChannelUses = std::array<ChannelUse, kMidiChannels>;

ChannelUses ChannelsInUse(const SmfFile& file);

struct MidiSongReport {
    MidiFileInfo Info;
    ChannelUses Channels{};
    // Where the player took the words from: the words track, lyric events,
    // or (when the file holds neither but words were loaded) the converter.
    MidiLyricSource LyricSource = MidiLyricSource::None;
};

struct MidiSongReportResult {
    std::optional<MidiSongReport> report;
    std::string error;
};

// `bytes` may end with a settings block. `wordsLoaded`: the player holds words for the song.
MidiSongReportResult DescribeMidiSong(std::string_view bytes, Codepage codepage, bool wordsLoaded);

// The report as caption and value rows, in the dialog's order.
using ReportRows = std::vector<std::pair<std::string, std::string>>;
ReportRows ReportRowsOf(const MidiSongReport& report);

// "m:ss".
std::string MinutesSeconds(double seconds);

}  // namespace cx
