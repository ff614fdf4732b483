#include "midi/TempoMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

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
    std::uint64_t lastReal = 0, lastEnd = 0;
    for (const auto& t : file.tracks) {
        lastEnd = std::max(lastEnd, t.endTick);
        for (const auto& ev : t.events) {
            if (!ev.IsMeta(kMetaEndOfTrack)) lastReal = std::max(lastReal, ev.tick);
        }
    }
    const double real = map.TickToSeconds(lastReal);
    const double end = map.TickToSeconds(std::max(lastEnd, lastReal));
    return std::min(end, real + kMaxEndTailSeconds);
}

namespace {

void AddWarning(SmfFile& f, std::string text) {
    if (f.warnings.size() < kMaxSmfWarnings) f.warnings.push_back(std::move(text));
}

std::string Seconds(double s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f s", s);
    return buf;
}

// Seconds of silence before the event in its own track.
double GapBefore(const SmfEvent& ev, const TempoMap& map) {
    return map.TickToSeconds(ev.tick) - map.TickToSeconds(ev.tick - ev.delta);
}

bool IsNoteOn(const SmfEvent& e) {
    return e.Kind() == 0x90 && e.data2 > 0;
}

bool Releases(const SmfEvent& off, const SmfEvent& on) {
    return off.IsChannel() && off.Channel() == on.Channel() && off.data1 == on.data1 &&
           (off.Kind() == 0x80 || off.Kind() == 0x90);
}

// Junk read as events at the end of a damaged track: what follows an absurd
// delta-time, and notes that are never released (they would sound to the end).
bool DropJunkTail(SmfFile& f, std::size_t t, const TempoMap& map) {
    auto& ev = f.tracks[t].events;
    const std::size_t from = ev.size() > kJunkTailEvents ? ev.size() - kJunkTailEvents : 0;
    const std::size_t before = ev.size();
    for (std::size_t i = from; i < ev.size(); ++i) {
        if (GapBefore(ev[i], map) > kMaxSilentGapSeconds) {
            ev.erase(ev.begin() + static_cast<std::ptrdiff_t>(i), ev.end());
            break;
        }
    }
    for (std::size_t i = ev.size(); i-- > from;) {
        if (!IsNoteOn(ev[i])) continue;
        const bool released = std::any_of(ev.begin() + static_cast<std::ptrdiff_t>(i) + 1, ev.end(),
                                          [&](const SmfEvent& e) { return Releases(e, ev[i]); });
        if (released) continue;
        // The next event waited for this one too.
        if (i + 1 < ev.size() && ev[i + 1].tick - ev[i + 1].delta == ev[i].tick)
            ev[i + 1].delta += ev[i].delta;
        ev.erase(ev.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (ev.size() == before) return false;
    AddWarning(f, "track " + std::to_string(t + 1) + ": " + std::to_string(before - ev.size()) +
                      " events before its damaged end are junk and are dropped");
    f.tracks[t].endTick = ev.empty() ? 0 : ev.back().tick;
    return true;
}

bool DropJunkTails(SmfFile& f, const TempoMap& map) {
    bool dropped = false;
    for (std::size_t t = 0; t < f.tracks.size(); ++t) {
        if (f.tracks[t].damaged && DropJunkTail(f, t, map)) dropped = true;
    }
    return dropped;
}

struct GapCut {
    std::uint64_t at = 0;       // first tick after the silence
    std::uint64_t removed = 0;  // ticks removed up to and including this silence
};

std::vector<GapCut> FindLongSilences(SmfFile& f, const TempoMap& map) {
    std::vector<std::uint64_t> ticks{0};
    for (const auto& t : f.tracks) {
        for (const auto& ev : t.events) ticks.push_back(ev.tick);
    }
    std::sort(ticks.begin(), ticks.end());
    ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
    std::vector<GapCut> cuts;
    std::uint64_t removed = 0;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        const double from = map.TickToSeconds(ticks[i - 1]);
        const double gap = map.TickToSeconds(ticks[i]) - from;
        if (gap <= kMaxSilentGapSeconds) continue;
        // No tempo changes inside a silence: the kept ticks run at one tempo.
        const std::uint64_t keep = std::max<std::uint64_t>(
            1, map.SecondsToTick(from + kMaxSilentGapSeconds) - ticks[i - 1]);
        if (keep >= ticks[i] - ticks[i - 1]) continue;
        removed += ticks[i] - ticks[i - 1] - keep;
        cuts.push_back({ticks[i], removed});
        AddWarning(f, "a silence of " + Seconds(gap) + " at " + Seconds(from) +
                          " (a damaged delta-time) is shortened to " +
                          Seconds(kMaxSilentGapSeconds));
    }
    return cuts;
}

}  // namespace

void LimitSilentGaps(SmfFile& file) {
    TempoMap map = TempoMap::FromSmf(file);
    if (DropJunkTails(file, map)) map = TempoMap::FromSmf(file);
    const std::vector<GapCut> cuts = FindLongSilences(file, map);
    if (cuts.empty()) return;
    const auto shifted = [&](std::uint64_t tick) {
        auto it = std::upper_bound(cuts.begin(), cuts.end(), tick,
                                   [](std::uint64_t t, const GapCut& c) { return t < c.at; });
        return it == cuts.begin() ? tick : tick - (it - 1)->removed;
    };
    for (auto& track : file.tracks) {
        for (auto& ev : track.events) {
            // The delta keeps counting from the event before in the file,
            // which may be a system-exclusive message that is not kept.
            const std::uint64_t now = shifted(ev.tick);
            ev.delta = static_cast<std::uint32_t>(now - std::min(now, shifted(ev.tick - ev.delta)));
            ev.tick = now;
        }
        track.endTick = shifted(track.endTick);
    }
}

}  // namespace cx
