#include "midi/SmfReader.h"

#include <algorithm>
#include <cctype>

namespace cx {
namespace {

constexpr std::string_view kHeaderTag = "MThd";
constexpr std::string_view kTrackTag = "MTrk";
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kMinHeaderLength = 6;
constexpr std::size_t kReserveEvents = 1u << 16;

std::uint32_t Be32(std::string_view b, std::size_t pos) {
    auto u = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(b[i]));
    };
    return (u(pos) << 24) | (u(pos + 1) << 16) | (u(pos + 2) << 8) | u(pos + 3);
}

std::uint16_t Be16(std::string_view b, std::size_t pos) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(b[pos]) << 8) |
                                      static_cast<unsigned char>(b[pos + 1]));
}

std::uint32_t Le32(std::string_view b, std::size_t pos) {
    auto u = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(b[i]));
    };
    return u(pos) | (u(pos + 1) << 8) | (u(pos + 2) << 16) | (u(pos + 3) << 24);
}

// The SMF inside a RIFF "RMID" wrapper, or the bytes unchanged.
std::string_view UnwrapRmid(std::string_view bytes) {
    if (bytes.size() < 20 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "RMID") {
        return bytes;
    }
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const std::uint32_t len = Le32(bytes, pos + 4);
        const std::size_t avail = bytes.size() - pos - 8;
        if (bytes.substr(pos, 4) == "data")
            return bytes.substr(pos + 8, std::min<std::size_t>(len, avail));
        if (len > avail) break;
        pos += 8 + len + (len & 1u);
    }
    return std::string_view();
}

class TrackParser {
public:
    TrackParser(std::string_view bytes, std::size_t begin, std::size_t limit,
                std::size_t& eventBudget)
        : m_b(bytes), m_pos(begin), m_limit(limit), m_budget(eventBudget) {}

    // Walks events until End-of-Track or the limit. Returns the problem, if any.
    const char* Run(SmfTrack& track) {
        track.events.reserve(std::min<std::size_t>((m_limit - m_pos) / 4, kReserveEvents));
        std::uint64_t tick = 0;
        std::uint8_t running = 0;
        while (m_pos < m_limit) {
            std::uint32_t delta = 0;
            if (!ReadVlq(delta)) return "the track ends inside a delta-time";
            tick += delta;
            if (m_pos >= m_limit) return "the track ends after a delta-time";
            if (m_budget == 0) return "too many events; the rest of the track is ignored";
            SmfEvent ev;
            ev.tick = tick;
            ev.delta = delta;
            const auto b = static_cast<std::uint8_t>(m_b[m_pos]);
            const char* problem = nullptr;
            if (b == 0xFF) {
                problem = ReadMeta(ev);
            } else if (b == 0xF0 || b == 0xF7) {
                problem = ReadSysex(ev);
            } else if (b > 0xF0) {
                // System common/real-time bytes do not belong in a file; skip them.
                ++m_pos;
                continue;
            } else {
                bool skipped = false;
                problem = ReadChannel(ev, b, running, skipped);
                if (skipped) continue;
            }
            if (problem) return problem;
            --m_budget;
            track.endTick = tick;
            const bool end = ev.IsMeta(kMetaEndOfTrack);
            if (ev.status != 0xF0 && ev.status != 0xF7) track.events.push_back(std::move(ev));
            if (end) {
                m_sawEnd = true;
                return nullptr;
            }
        }
        return nullptr;
    }

    std::size_t Pos() const { return m_pos; }
    bool SawEnd() const { return m_sawEnd; }

private:
    bool ReadVlq(std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < kMaxVlqBytes; ++i) {
            if (m_pos >= m_limit) return false;
            const auto c = static_cast<std::uint8_t>(m_b[m_pos++]);
            out = (out << 7) | (c & 0x7Fu);
            if (!(c & 0x80u)) return true;
        }
        return true;  // a fifth continuation byte is malformed; take what we have
    }

    const char* ReadMeta(SmfEvent& ev) {
        ++m_pos;
        if (m_pos >= m_limit) return "the track ends inside a meta event";
        ev.status = 0xFF;
        ev.data1 = static_cast<std::uint8_t>(m_b[m_pos++]);
        std::uint32_t len = 0;
        if (!ReadVlq(len)) return "the track ends inside a meta event";
        if (len > m_limit - m_pos) return "a meta event runs past the end of its track";
        ev.data.assign(m_b.substr(m_pos, len));
        m_pos += len;
        return nullptr;
    }

    const char* ReadSysex(SmfEvent& ev) {
        ev.status = static_cast<std::uint8_t>(m_b[m_pos++]);
        std::uint32_t len = 0;
        if (!ReadVlq(len)) return "the track ends inside a system-exclusive message";
        if (len > m_limit - m_pos)
            return "a system-exclusive message runs past the end of its track";
        m_pos += len;
        return nullptr;
    }

    const char* ReadChannel(SmfEvent& ev, std::uint8_t b, std::uint8_t& running, bool& skipped) {
        std::uint8_t status = b;
        if (b & 0x80u) {
            ++m_pos;
            running = b;
        } else if (running == 0) {
            ++m_pos;  // a data byte with no status to repeat
            skipped = true;
            return nullptr;
        } else {
            status = running;
        }
        const int kind = status & 0xF0;
        const std::size_t need = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (need > m_limit - m_pos) return "the track ends inside a channel message";
        ev.status = status;
        ev.data1 = static_cast<std::uint8_t>(m_b[m_pos] & 0x7F);
        ev.data2 = need == 2 ? static_cast<std::uint8_t>(m_b[m_pos + 1] & 0x7F) : 0;
        m_pos += need;
        return nullptr;
    }

    std::string_view m_b;
    std::size_t m_pos;
    std::size_t m_limit;
    std::size_t& m_budget;
    bool m_sawEnd = false;
};

bool IsChunkTagChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// "MTrk" or another chunk of the format (four letters or digits).
bool IsChunkTag(std::string_view tag) {
    return tag.size() == 4 && std::all_of(tag.begin(), tag.end(), IsChunkTagChar);
}

void Warn(SmfFile& f, std::string text) {
    if (f.warnings.size() < kMaxSmfWarnings) f.warnings.push_back(std::move(text));
}

bool ReadDivision(std::uint16_t raw, SmfDivision& d) {
    d.raw = static_cast<std::int16_t>(raw);
    if (raw & 0x8000u) {
        const int fps = -static_cast<int>(static_cast<std::int8_t>(raw >> 8));
        const int perFrame = raw & 0xFF;
        if (fps <= 0 || perFrame <= 0) return false;
        d.smpte = true;
        d.ticksPerSecond = (fps == 29 ? 29.97 : fps) * perFrame;
        return true;
    }
    d.ticksPerQuarter = raw;
    return raw > 0;
}

// Reads one "MTrk" chunk at pos; returns where the next chunk starts.
std::size_t ReadTrackChunk(std::string_view b, std::size_t pos, SmfFile& f, std::size_t& budget) {
    const std::size_t begin = pos + kChunkHeaderBytes;
    const std::uint32_t declared = Be32(b, pos + 4);
    const std::size_t n = f.tracks.size() + 1;
    std::size_t limit = begin + std::min<std::size_t>(declared, b.size() - begin);
    if (declared > b.size() - begin) {
        Warn(f, "track " + std::to_string(n) + " claims more bytes than the file holds");
    }
    SmfTrack track;
    const std::size_t budgetBefore = budget;
    TrackParser p(b, begin, limit, budget);
    const char* problem = p.Run(track);
    if (!p.SawEnd() && limit < b.size() && !IsChunkTag(b.substr(limit, 4))) {
        // The stated length is too short: read on up to the next track instead.
        const std::size_t next = b.find(kTrackTag, limit);
        std::size_t extended = next == std::string_view::npos ? b.size() : next;
        budget = budgetBefore;
        track = SmfTrack();
        TrackParser again(b, begin, extended, budget);
        problem = again.Run(track);
        Warn(f, "track " + std::to_string(n) + " is longer than its stated length");
        limit = again.SawEnd() ? again.Pos() : extended;
    } else if (p.SawEnd() && p.Pos() < limit && b.substr(p.Pos(), 4) == kTrackTag) {
        Warn(f, "track " + std::to_string(n) + " is shorter than its stated length");
        limit = p.Pos();
    }
    if (problem) Warn(f, "track " + std::to_string(n) + ": " + problem);
    f.tracks.push_back(std::move(track));
    return limit;
}

}  // namespace

bool IsMidiFile(std::string_view bytes) {
    if (bytes.substr(0, 4) == kHeaderTag) return true;
    return bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "RMID";
}

SmfResult ParseSmf(std::string_view whole) {
    SmfResult r;
    if (whole.size() > kMaxSmfBytes) {
        r.error = "the file is too large for a MIDI file";
        return r;
    }
    const std::string_view b = UnwrapRmid(whole);
    if (b.substr(0, 4) != kHeaderTag) {
        r.error = "not a MIDI file (no MThd header)";
        return r;
    }
    if (b.size() < kChunkHeaderBytes + kMinHeaderLength) {
        r.error = "the file ends inside the MIDI header";
        return r;
    }
    SmfFile f;
    const std::uint32_t headerLength = Be32(b, 4);
    f.format = Be16(b, 8);
    f.declaredTracks = Be16(b, 10);
    if (!ReadDivision(Be16(b, 12), f.division)) {
        r.error = "the MIDI header has an invalid time division";
        return r;
    }
    if (headerLength < kMinHeaderLength) Warn(f, "the MIDI header is shorter than 6 bytes");
    std::size_t pos = kChunkHeaderBytes + std::clamp<std::size_t>(headerLength, kMinHeaderLength,
                                                                  b.size() - kChunkHeaderBytes);
    std::size_t budget = kMaxSmfEvents;
    while (pos + kChunkHeaderBytes <= b.size() && f.tracks.size() < kMaxSmfTracks) {
        const std::string_view tag = b.substr(pos, 4);
        if (tag == kTrackTag) {
            pos = ReadTrackChunk(b, pos, f, budget);
            continue;
        }
        if (IsChunkTag(tag)) {
            // A chunk type we do not know: skip it as the format allows.
            const std::uint32_t len = Be32(b, pos + 4);
            pos +=
                kChunkHeaderBytes + std::min<std::size_t>(len, b.size() - pos - kChunkHeaderBytes);
            continue;
        }
        const std::size_t next = b.find(kTrackTag, pos);
        if (next == std::string_view::npos) break;  // trailing data, such as a settings block
        Warn(f, "skipped " + std::to_string(next - pos) + " bytes of garbage before a track");
        pos = next;
    }
    f.smfBytes = std::min(pos, b.size());
    if (f.tracks.empty()) {
        r.error = "the MIDI file holds no track";
        return r;
    }
    if (static_cast<int>(f.tracks.size()) < f.declaredTracks) {
        Warn(f, "the header promises " + std::to_string(f.declaredTracks) +
                    " tracks, the file holds " + std::to_string(f.tracks.size()));
    }
    r.file = std::move(f);
    return r;
}

}  // namespace cx
