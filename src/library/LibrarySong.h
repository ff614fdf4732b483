// One song of the song library as the rest of the program sees it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "loudness/Loudness.h"

namespace cx {

enum class LibrarySongKind : int {
    Audio = 0,  // an audio song with its lyrics (beside it or inside it)
    Cdg = 1,    // an audio file with CD+G graphics, or an MP3+G zip
    Midi = 2,   // a MIDI or KAR file
};

struct LibrarySong {
    std::int64_t Id = 0;  // stable for as long as the song stays in the library
    std::string Path;
    std::string Artist;
    std::string Title;
    LibrarySongKind Kind = LibrarySongKind::Audio;
    std::int64_t LengthMs = 0;
    std::optional<LoudnessReading> Loudness;  // empty until measured
    std::int64_t Size = 0;
    std::int64_t MtimeNs = 0;
    bool Missing = false;  // the file was gone at the last scan
    // In search results: the other versions of the same song (same artist and
    // title once case, accents and punctuation are set aside), by id.
    std::vector<std::int64_t> OtherVersions;
};

// "audio", "cdg" or "midi".
const char* KindName(LibrarySongKind kind);

}  // namespace cx
