// SMF reader, tempo map, file information and the settings block on any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "midi/MidiInfo.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cx::MidiSettings settings;
    cx::ReadMidi(bytes, settings);
    const cx::SmfResult r = cx::ParseSmf(cx::StripSettingsBlock(bytes));
    if (!r.file) return 0;
    const cx::TempoMap map = cx::TempoMap::FromSmf(*r.file);
    const double length = cx::SongLengthSeconds(*r.file, map);
    (void)map.SecondsToTick(length);
    (void)cx::DescribeMidi(*r.file, cx::Codepage::Cp1250);
    return 0;
}
