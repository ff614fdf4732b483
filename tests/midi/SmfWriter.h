// Builds small Standard MIDI Files for tests, including deliberately broken ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cx::test {

inline std::string Vlq(std::uint32_t v) {
    std::string out(1, static_cast<char>(v & 0x7F));
    while (v >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    return out;
}

inline std::string Be(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

class TrackWriter {
public:
    TrackWriter& Meta(std::uint32_t delta, int type, const std::string& data) {
        m_data += Vlq(delta) + '\xFF' + static_cast<char>(type) +
                  Vlq(static_cast<std::uint32_t>(data.size())) + data;
        return *this;
    }
    TrackWriter& Name(std::uint32_t delta, const std::string& s) { return Meta(delta, 0x03, s); }
    TrackWriter& Text(std::uint32_t delta, const std::string& s) { return Meta(delta, 0x01, s); }
    TrackWriter& Lyric(std::uint32_t delta, const std::string& s) { return Meta(delta, 0x05, s); }
    TrackWriter& Tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
        return Meta(delta, 0x51, Be(microsPerQuarter, 3));
    }
    TrackWriter& End(std::uint32_t delta = 0) { return Meta(delta, 0x2F, ""); }
    // A channel message; pass status 0 to rely on running status.
    TrackWriter& Msg(std::uint32_t delta, int status, int d1, int d2 = -1) {
        m_data += Vlq(delta);
        if (status) m_data += static_cast<char>(status);
        m_data += static_cast<char>(d1);
        if (d2 >= 0) m_data += static_cast<char>(d2);
        return *this;
    }
    TrackWriter& NoteOn(std::uint32_t delta, int ch, int key, int vel = 100) {
        return Msg(delta, 0x90 | ch, key, vel);
    }
    TrackWriter& NoteOff(std::uint32_t delta, int ch, int key) {
        return Msg(delta, 0x80 | ch, key, 0);
    }
    TrackWriter& Program(std::uint32_t delta, int ch, int program) {
        return Msg(delta, 0xC0 | ch, program);
    }
    TrackWriter& Control(std::uint32_t delta, int ch, int cc, int value) {
        return Msg(delta, 0xB0 | ch, cc, value);
    }
    TrackWriter& Sysex(std::uint32_t delta, const std::string& payload) {
        m_data += Vlq(delta) + '\xF0' + Vlq(static_cast<std::uint32_t>(payload.size())) + payload;
        return *this;
    }
    TrackWriter& Raw(const std::string& bytes) {
        m_data += bytes;
        return *this;
    }
    const std::string& Data() const { return m_data; }

private:
    std::string m_data;
};

// "MTrk" chunk; a stated length other than the data size makes a broken file.
inline std::string TrackChunk(const std::string& data, std::int64_t statedLength = -1) {
    const auto len = statedLength < 0 ? static_cast<std::uint32_t>(data.size())
                                      : static_cast<std::uint32_t>(statedLength);
    return "MTrk" + Be(len, 4) + data;
}

inline std::string Header(int format, int tracks, int division) {
    return "MThd" + Be(6, 4) + Be(format, 2) + Be(tracks, 2) +
           Be(static_cast<std::uint32_t>(division) & 0xFFFF, 2);
}

inline std::string Smf(int format, int division, const std::vector<TrackWriter>& tracks,
                       int declaredTracks = -1) {
    std::string out = Header(
        format, declaredTracks < 0 ? static_cast<int>(tracks.size()) : declaredTracks, division);
    for (const auto& t : tracks) out += TrackChunk(t.Data());
    return out;
}

// Deterministic junk, as found after truncated downloads.
inline std::string Junk(std::uint32_t seed, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out += static_cast<char>(seed >> 24);
    }
    return out;
}

// A Standard MIDI File wrapped as RIFF MIDI (.rmi).
inline std::string Rmid(const std::string& smf) {
    auto le32 = [](std::size_t v) {
        std::string out;
        for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
        return out;
    };
    return "RIFF" + le32(smf.size() + 12) + "RMID" + "data" + le32(smf.size()) + smf;
}

}  // namespace cx::test
