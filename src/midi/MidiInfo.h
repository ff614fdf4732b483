// What the player and `cbx midi` show about a MIDI/KAR file, free of widgets.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/Mp3Class.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"
#include "platform/Codepage.h"

namespace cx {

// Title and artist from the first two "@T" text events of a KAR file, in proper case.
struct KarTitle {
    std::string Title;
    std::string Artist;
};
KarTitle MidiRead(const SmfFile& file, Codepage codepage);

struct MidiFileInfo {
    int Format = 0;
    int Tracks = 0;          // tracks read
    int DeclaredTracks = 0;  // tracks the header promises
    SmfDivision Division;
    std::vector<TempoChange> TempoMap;
    double LengthSeconds = 0;
    double BeatsPerMinute = 120;  // of the first tempo
    std::string Title;
    std::string Artist;
    std::vector<std::string> Warnings;
};

struct MidiInfoResult {
    std::optional<MidiFileInfo> info;
    std::string error;
};

MidiInfoResult ReadMidiFileInfo(std::string_view bytes, Codepage codepage);
MidiFileInfo DescribeMidi(const SmfFile& file, Codepage codepage);

// "Tempo: " and the beats per minute with two decimals, as the player shows it.
std::string TempoLabel(double beatsPerMinute);

// What MP3Class asks of a MIDI file (title, artist, length), read with this reader.
MidiInspector MidiInspectorFor(Codepage codepage);

}  // namespace cx
