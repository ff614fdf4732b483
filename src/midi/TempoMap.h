// Converts MIDI ticks to seconds with every tempo change of the file.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/SmfReader.h"

namespace cx {

inline constexpr std::uint32_t kDefaultMicrosPerQuarter = 500000;  // 120 beats per minute
// End-of-Track adds at most this much silence after the song's last real event.
inline constexpr double kMaxEndTailSeconds = 8.0;

struct TempoChange {
    std::uint64_t tick = 0;
    std::uint32_t microsPerQuarter = kDefaultMicrosPerQuarter;
    double startSeconds = 0.0;  // time at `tick`
};

class TempoMap {
public:
    TempoMap() = default;
    // Collects the tempo events of all tracks, ordered by tick.
    static TempoMap FromSmf(const SmfFile& file);

    double TickToSeconds(std::uint64_t tick) const;
    // The last tick at or before the time.
    std::uint64_t SecondsToTick(double seconds) const;
    // The changes in effect; the first always starts at tick 0.
    const std::vector<TempoChange>& Changes() const { return m_changes; }
    // Tempo of the first change that applies, in beats per minute.
    double FirstBeatsPerMinute() const;
    bool IsSmpte() const { return m_ticksPerSecond > 0; }

private:
    std::size_t SegmentForTick(std::uint64_t tick) const;
    double SecondsPerTick(const TempoChange& c) const;

    std::vector<TempoChange> m_changes{TempoChange{}};
    int m_ticksPerQuarter = 96;
    double m_ticksPerSecond = 0;  // SMPTE timing ignores tempo events
};

// Length of the song in seconds: its last real event, and End-of-Track no
// more than kMaxEndTailSeconds after it.
double SongLengthSeconds(const SmfFile& file, const TempoMap& map);

// Repairs absurd delta-times (ParseSmf does it): junk events after a long
// silence at the end of a damaged track are dropped, and every silence of the
// song longer than kMaxSilentGapSeconds is shortened to it, in all tracks at
// once. Each repair is reported in the file's warnings.
void LimitSilentGaps(SmfFile& file);

}  // namespace cx
