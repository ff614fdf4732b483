#include "midi/SmfReader.h"

#include <algorithm>
#include <cctype>

#include "lyrics/DisplayBlock.h"
#include "lyrics/LrsFormat.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/TempoMap.h"

namespace cx {
namespace {

constexpr std::string_view kHeaderTag = "MThd";
constexpr std::string_view kTrackTag = "MTrk";
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kMinHeaderLength = 6;
constexpr std::size_t kReserveEvents = 1u << 16;
constexpr std::size_t kTempoBytes = 3;

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

bool IsChunkTagChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// "MTrk" or another chunk of the format (four letters or digits).
bool IsChunkTag(std::string_view tag) {
    return tag.size() == 4 && std::all_of(tag.begin(), tag.end(), IsChunkTagChar);
}

// One of the text blocks the program appends to a song (settings, lyrics,
// display): where the MIDI data of a song ends.
bool IsAppendedBlock(std::string_view rest) {
    for (std::string_view mark : {kMidiBlockStart, kLrsBegin, kDisplayBegin}) {
        if (rest.substr(0, mark.size()) == mark) return true;
    }
    return false;
}

bool IsTextByte(unsigned char c) {
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r';
}

// Printable text where events should be: a page or manifest pasted over
// the end of a download. Read as running status it would be faint random
// notes for minutes. Real event data breaks such a run within a few bytes
// (status and meta bytes, small delta-times, zero velocities); a text run
// also holds a word.
bool IsTextRun(std::string_view b, std::size_t pos) {
    const std::string_view rest = b.substr(pos, kMinTextRunBytes);
    if (rest.size() < kMinTextRunBytes && rest.size() < kMinTextTailBytes) return false;
    int letters = 0, longest = 0;
    for (char ch : rest) {
        const auto c = static_cast<unsigned char>(ch);
        if (!IsTextByte(c)) return false;
        letters = std::isalpha(c) ? letters + 1 : 0;
        longest = std::max(longest, letters);
    }
    return longest >= kMinTextWordLetters;
}

// Why a track walk ended.
enum class TrackStop {
    End,        // End-of-Track
    Limit,      // the bytes given to the walk ran out
    NextChunk,  // the next chunk (or an appended block) starts here
    Junk,       // bytes that cannot be an event
    Truncated,  // an event is cut off by the limit
    Budget,     // too many events in the file
};

struct TrackOutcome {
    TrackStop stop = TrackStop::Limit;
    const char* problem = nullptr;
    std::size_t pos = 0;  // where the walk stopped (the start of junk)
};

class TrackParser {
public:
    TrackParser(std::string_view bytes, std::size_t begin, std::size_t limit,
                std::size_t& eventBudget)
        : m_b(bytes), m_pos(begin), m_limit(limit), m_budget(eventBudget) {}

    TrackOutcome Run(SmfTrack& track) {
        track.events.reserve(std::min<std::size_t>((m_limit - m_pos) / 4, kReserveEvents));
        std::uint64_t tick = 0;
        std::uint8_t running = 0;
        while (m_pos < m_limit) {
            if (AtChunkStart()) return Stop(TrackStop::NextChunk, "runs into the next chunk");
            if (IsTextRun(m_b, m_pos)) return Junk(m_pos, "stops at text where events should be");
            const std::size_t start = m_pos;
            std::uint32_t delta = 0;
            if (const auto s = ReadVlq(delta); s != Vlq::Ok) {
                if (s == Vlq::Bad)
                    return Junk(start, "stops at a delta-time longer than four bytes");
                return Stop(TrackStop::Truncated, "ends inside a delta-time");
            }
            if (m_pos >= m_limit) return Stop(TrackStop::Truncated, "ends after a delta-time");
            if (m_budget == 0)
                return Stop(TrackStop::Budget, "has too many events; the rest is ignored");
            SmfEvent ev;
            ev.tick = tick + delta;
            ev.delta = delta;
            const auto b = static_cast<std::uint8_t>(m_b[m_pos]);
            if (b == 0xFF) {
                ReadMeta(ev);
            } else if (b == 0xF0 || b == 0xF7) {
                ReadSysex(ev);
            } else if (b > 0xF0) {
                // System common and real-time bytes never stand in a file.
                Fail(TrackStop::Junk, "stops at a byte that cannot start an event");
            } else {
                ReadChannel(ev, b, running);
            }
            if (m_stop != TrackStop::Limit) {
                if (m_stop == TrackStop::Junk) m_pos = start;
                return Outcome();
            }
            --m_budget;
            tick = ev.tick;
            track.endTick = tick;
            const bool end = ev.IsMeta(kMetaEndOfTrack);
            if (ev.status != 0xF0 && ev.status != 0xF7) track.events.push_back(std::move(ev));
            if (end) return Stop(TrackStop::End, nullptr);
        }
        return Stop(TrackStop::Limit, nullptr);
    }

private:
    enum class Vlq { Ok, Cut, Bad };

    bool AtChunkStart() const {
        const std::string_view rest = m_b.substr(m_pos, m_limit - m_pos);
        return rest.substr(0, 4) == kTrackTag || rest.substr(0, 4) == kHeaderTag ||
               IsAppendedBlock(rest);
    }

    TrackOutcome Outcome() const { return {m_stop, m_problem, m_pos}; }
    TrackOutcome Stop(TrackStop stop, const char* problem) {
        Fail(stop, problem);
        return Outcome();
    }
    TrackOutcome Junk(std::size_t at, const char* problem) {
        m_pos = at;
        return Stop(TrackStop::Junk, problem);
    }
    void Fail(TrackStop stop, const char* problem) {
        m_stop = stop;
        m_problem = problem;
    }

    Vlq ReadVlq(std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < kMaxVlqBytes; ++i) {
            if (m_pos >= m_limit) return Vlq::Cut;
            const auto c = static_cast<std::uint8_t>(m_b[m_pos++]);
            out = (out << 7) | (c & 0x7Fu);
            if (!(c & 0x80u)) return Vlq::Ok;
        }
        return Vlq::Bad;
    }

    void ReadMeta(SmfEvent& ev) {
        ++m_pos;
        if (m_pos >= m_limit) return Fail(TrackStop::Truncated, "ends inside a meta event");
        ev.status = 0xFF;
        ev.data1 = static_cast<std::uint8_t>(m_b[m_pos++]);
        if (ev.data1 & 0x80u)
            return Fail(TrackStop::Junk, "stops at a meta event of no possible type");
        std::uint32_t len = 0;
        if (const auto s = ReadVlq(len); s != Vlq::Ok) {
            return Fail(s == Vlq::Bad ? TrackStop::Junk : TrackStop::Truncated,
                        "stops at a meta event without a length");
        }
        // These two have fixed lengths; anything else here is not an event.
        if ((ev.data1 == kMetaEndOfTrack && len != 0) ||
            (ev.data1 == kMetaTempo && len != kTempoBytes)) {
            return Fail(TrackStop::Junk, "stops at a meta event of the wrong length");
        }
        if (len > m_limit - m_pos)
            return Fail(TrackStop::Truncated, "is cut off inside a meta event");
        ev.data.assign(m_b.substr(m_pos, len));
        m_pos += len;
    }

    void ReadSysex(SmfEvent& ev) {
        ev.status = static_cast<std::uint8_t>(m_b[m_pos++]);
        std::uint32_t len = 0;
        if (const auto s = ReadVlq(len); s != Vlq::Ok) {
            return Fail(s == Vlq::Bad ? TrackStop::Junk : TrackStop::Truncated,
                        "stops at a system-exclusive message without a length");
        }
        if (len > m_limit - m_pos)
            return Fail(TrackStop::Truncated, "is cut off inside a system-exclusive message");
        m_pos += len;
    }

    void ReadChannel(SmfEvent& ev, std::uint8_t b, std::uint8_t& running) {
        std::uint8_t status = b;
        if (b & 0x80u) {
            // A new status; running status takes it once the message is whole.
        } else if (running == 0) {
            return Fail(TrackStop::Junk, "stops at a data byte with no status before it");
        } else {
            status = running;
        }
        const std::size_t at = (b & 0x80u) ? m_pos + 1 : m_pos;
        const int kind = status & 0xF0;
        const std::size_t need = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (need > m_limit - std::min(at, m_limit))
            return Fail(TrackStop::Truncated, "ends inside a channel message");
        const auto d1 = static_cast<std::uint8_t>(m_b[at]);
        const auto d2 = need == 2 ? static_cast<std::uint8_t>(m_b[at + 1]) : std::uint8_t{0};
        if ((d1 | d2) & 0x80u)
            return Fail(TrackStop::Junk, "stops at a channel message with a bad data byte");
        running = status;
        ev.status = status;
        ev.data1 = d1;
        ev.data2 = d2;
        m_pos = at + need;
    }

    std::string_view m_b;
    std::size_t m_pos;
    std::size_t m_limit;
    std::size_t& m_budget;
    TrackStop m_stop = TrackStop::Limit;  // stands for "going on" until the walk ends
    const char* m_problem = nullptr;
};

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

TrackOutcome WalkTrack(std::string_view b, std::size_t begin, std::size_t end, std::size_t& budget,
                       SmfTrack& track) {
    track = SmfTrack();
    return TrackParser(b, begin, end, budget).Run(track);
}

// Where a chunk may end: the next chunk, an appended block or the end of the file.
bool IsChunkBoundary(std::string_view b, std::size_t pos) {
    const std::string_view rest = b.substr(std::min(pos, b.size()));
    return rest.empty() || IsChunkTag(rest.substr(0, 4)) || IsAppendedBlock(rest);
}

// Reads one "MTrk" chunk at pos; returns where to look for the next chunk.
std::size_t ReadTrackChunk(std::string_view b, std::size_t pos, SmfFile& f, std::size_t& budget) {
    const std::size_t begin = pos + kChunkHeaderBytes;
    const std::uint32_t declared = Be32(b, pos + 4);
    const std::string n = "track " + std::to_string(f.tracks.size() + 1);
    const bool fits = declared <= b.size() - begin;
    const std::size_t statedEnd = fits ? begin + declared : b.size();
    // The stated length is trusted when the next chunk, an appended block or
    // the end of the file follows it.
    const bool landsWell = fits && IsChunkBoundary(b, statedEnd);
    if (!fits) Warn(f, n + " claims more bytes than the file holds");

    SmfTrack track;
    const std::size_t budgetBefore = budget;
    TrackOutcome out = WalkTrack(b, begin, statedEnd, budget, track);
    const bool cutAtStatedEnd = out.stop == TrackStop::Limit || out.stop == TrackStop::Truncated;
    if (cutAtStatedEnd && !landsWell && statedEnd < b.size()) {
        // The stated length may be too short. Reading on is right only when
        // it reaches an End-of-Track with a chunk boundary right after it;
        // anything else past the stated length is not this track's.
        std::size_t longerBudget = budgetBefore;
        SmfTrack longer;
        const TrackOutcome on = WalkTrack(b, begin, b.size(), longerBudget, longer);
        if (on.stop == TrackStop::End && IsChunkBoundary(b, on.pos)) {
            budget = longerBudget;
            track = std::move(longer);
            out = on;
            Warn(f, n + " is longer than its stated length");
        }
    }
    std::size_t next = landsWell ? statedEnd : out.pos;
    switch (out.stop) {
        case TrackStop::End:
        case TrackStop::NextChunk:
            // A chunk that ends before its stated length: the next one starts here.
            if (out.pos < statedEnd && b.substr(out.pos, 4) == kTrackTag) next = out.pos;
            if (next < statedEnd) Warn(f, n + " is shorter than its stated length");
            break;
        case TrackStop::Limit:
            track.damaged = !fits;
            if (!landsWell && fits)
                Warn(f, n + " has no End-of-Track and bytes that are not MIDI after it");
            break;
        case TrackStop::Junk:
        case TrackStop::Truncated:
        case TrackStop::Budget:
            Warn(f, n + " " + out.problem);
            track.damaged = true;
            break;
    }
    f.tracks.push_back(std::move(track));
    return next;
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
    if (b.substr(0, 4) != kHeaderTag || b.size() < kChunkHeaderBytes + kMinHeaderLength) {
        r.error = kNotMidiFileMessage;
        return r;
    }
    SmfFile f;
    const std::uint32_t headerLength = Be32(b, 4);
    f.format = Be16(b, 8);
    f.declaredTracks = Be16(b, 10);
    if (!ReadDivision(Be16(b, 12), f.division)) {
        r.error = std::string(kNotMidiFileMessage) + " (its header has no valid time division)";
        return r;
    }
    if (headerLength < kMinHeaderLength) Warn(f, "the MIDI header is shorter than 6 bytes");
    std::size_t pos = kChunkHeaderBytes + std::clamp<std::size_t>(headerLength, kMinHeaderLength,
                                                                  b.size() - kChunkHeaderBytes);
    std::size_t budget = kMaxSmfEvents;
    while (pos + kChunkHeaderBytes <= b.size() && f.tracks.size() < kMaxSmfTracks) {
        const std::string_view tag = b.substr(pos, 4);
        if (tag == kTrackTag) {
            if (f.declaredTracks > 0 &&
                f.tracks.size() == static_cast<std::size_t>(f.declaredTracks)) {
                // The header's count holds: what follows (in real files a byte
                // copy of a track, which doubles a channel) is not played.
                Warn(f, "track chunks after the " + std::to_string(f.declaredTracks) +
                            " the header counts are ignored");
                break;
            }
            pos = ReadTrackChunk(b, pos, f, budget);
            continue;
        }
        if (IsChunkTag(tag)) {
            // A chunk type we do not know: skip it as the format allows.
            const std::uint32_t len = Be32(b, pos + 4);
            const std::size_t avail = b.size() - pos - kChunkHeaderBytes;
            pos += kChunkHeaderBytes + std::min<std::size_t>(len, avail);
            continue;
        }
        const std::size_t next = b.find(kTrackTag, pos);
        if (next == std::string_view::npos) break;  // trailing data, such as a settings block
        Warn(f, "skipped " + std::to_string(next - pos) + " bytes of junk before a track");
        pos = next;
    }
    f.smfBytes = std::min(pos, b.size());
    if (f.tracks.empty()) {
        r.error = kTrackExpectedMessage;
        return r;
    }
    if (static_cast<int>(f.tracks.size()) < f.declaredTracks) {
        Warn(f, "the header promises " + std::to_string(f.declaredTracks) +
                    " tracks, the file holds " + std::to_string(f.tracks.size()));
    }
    LimitSilentGaps(f);
    r.file = std::move(f);
    return r;
}

}  // namespace cx
