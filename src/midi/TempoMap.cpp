#include "midi/TempoMap.h"

#include <algorithm>
#include <cmath>

namespace cx {

TempoMap TempoMap::FromSmf(const SmfFile& file) {
    TempoMap map;
    map.m_ticksPerQuarter = std::max(1, file.division.ticksPerQuarter);
    if (file.division.smpte) {
        map.m_ticksPerSecond = file.division.ticksPerSecond;
        return map;
    }
    std::vector<TempoChange> raw;
    for (const auto& track : file.tracks) {
        for (const auto& ev : track.events) {
            if (!ev.IsMeta(kMetaTempo) || ev.data.size() < 3) continue;
            const auto u = [&](int i) {
                return static_cast<std::uint32_t>(static_cast<unsigned char>(ev.data[i]));
            };
            const std::uint32_t tempo = (u(0) << 16) | (u(1) << 8) | u(2);
            if (tempo > 0) raw.push_back({ev.tick, tempo, 0.0});
        }
    }
    // Tempo events may sit in any track; order them by tick, the later one at a tick wins.
    std::stable_sort(raw.begin(), raw.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    for (const auto& c : raw) {
        if (c.tick == map.m_changes.back().tick) {
            map.m_changes.back().microsPerQuarter = c.microsPerQuarter;
        } else {
            const auto& prev = map.m_changes.back();
            const double start = prev.startSeconds +
                                 static_cast<double>(c.tick - prev.tick) * map.SecondsPerTick(prev);
            map.m_changes.push_back({c.tick, c.microsPerQuarter, start});
        }
    }
    return map;
}

double TempoMap::SecondsPerTick(const TempoChange& c) const {
    if (m_ticksPerSecond > 0) return 1.0 / m_ticksPerSecond;
    return c.microsPerQuarter / 1e6 / m_ticksPerQuarter;
}

std::size_t TempoMap::SegmentForTick(std::uint64_t tick) const {
    auto it = std::upper_bound(m_changes.begin(), m_changes.end(), tick,
                               [](std::uint64_t t, const TempoChange& c) { return t < c.tick; });
    return static_cast<std::size_t>(it - m_changes.begin()) - 1;
}

double TempoMap::TickToSeconds(std::uint64_t tick) const {
    const auto& c = m_changes[SegmentForTick(tick)];
    return c.startSeconds + static_cast<double>(tick - c.tick) * SecondsPerTick(c);
}

std::uint64_t TempoMap::SecondsToTick(double seconds) const {
    if (!(seconds > 0)) return 0;
    auto it = std::upper_bound(m_changes.begin(), m_changes.end(), seconds,
                               [](double s, const TempoChange& c) { return s < c.startSeconds; });
    const auto& c = *(it - 1);
    const double ticks = (seconds - c.startSeconds) / SecondsPerTick(c);
    // A little slack so that a time computed from a tick maps back to that tick.
    return c.tick + static_cast<std::uint64_t>(std::min(std::floor(ticks + 1e-6), 1e18));
}

double TempoMap::FirstBeatsPerMinute() const {
    return 60e6 / m_changes.front().microsPerQuarter;
}

double SongLengthSeconds(const SmfFile& file, const TempoMap& map) {
    std::uint64_t last = 0;
    for (const auto& t : file.tracks) last = std::max(last, t.endTick);
    return map.TickToSeconds(last);
}

}  // namespace cx
