// The three lyric routes (without a converter) on any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "midi/MidiLyrics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const cx::SmfResult r = cx::ParseSmf(bytes);
    if (!r.file) return 0;
    const cx::TempoMap map = cx::TempoMap::FromSmf(*r.file);
    std::vector<cx::LyricPiece> pieces;
    cx::GetWords(*r.file, map, cx::Codepage::Cp1252, pieces);
    cx::ExtractLyrics(*r.file, map, cx::Codepage::Cp1250, pieces);
    cx::LyricsModel model;
    cx::LoadMidiLyrics(bytes, {}, cx::MidiLyricsOptions(), model);
    return 0;
}
