// SMF reader, tempo map, file information and the settings block on any bytes.
// Beyond not crashing: every track's ticks run forward with their deltas, no
// silence of the song is longer than the cap, and the length is finite.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "midi/MidiInfo.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void CheckTiming(const cx::SmfFile& file, const cx::TempoMap& map) {
    std::vector<std::uint64_t> ticks{0};
    for (const auto& track : file.tracks) {
        std::uint64_t previous = 0;
        for (const auto& ev : track.events) {
            // Deltas count from the event before in the file, which may be
            // an unkept system-exclusive message.
            Check(ev.tick >= previous && ev.delta <= ev.tick - previous);
            previous = ev.tick;
            ticks.push_back(ev.tick);
        }
    }
    std::sort(ticks.begin(), ticks.end());
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        const double gap = map.TickToSeconds(ticks[i]) - map.TickToSeconds(ticks[i - 1]);
        Check(gap <= cx::kMaxSilentGapSeconds + 1.0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cx::MidiSettings settings;
    cx::ReadMidi(bytes, settings);
    const cx::SmfResult r = cx::ParseSmf(cx::StripSettingsBlock(bytes));
    if (!r.file) {
        Check(!r.error.empty());
        return 0;
    }
    const cx::TempoMap map = cx::TempoMap::FromSmf(*r.file);
    const double length = cx::SongLengthSeconds(*r.file, map);
    Check(std::isfinite(length) && length >= 0);
    CheckTiming(*r.file, map);
    (void)map.SecondsToTick(length);
    (void)cx::DescribeMidi(*r.file, cx::Codepage::Cp1250);
    return 0;
}
