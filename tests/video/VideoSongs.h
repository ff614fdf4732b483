// Small songs for the video tests: a CD+G pair and an audio song with LRS
// lyrics, both with a click in their sound where a piece lights.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

#include "CdgWriter.h"
#include "support/TestSupport.h"

namespace cx::test {

inline constexpr double kSongSeconds = 4.0;
inline constexpr double kClickSeconds = 3.0;  // a piece lights here
inline constexpr int kSongRate = 44100;

// 16-bit stereo PCM: a quiet tone with a loud click at `click` seconds.
inline std::string ClickWav(double seconds, double click) {
    const auto frames = static_cast<unsigned>(seconds * kSongRate);
    auto le = [](unsigned v, int bytes) {
        std::string s(bytes, '\0');
        for (int i = 0; i < bytes; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    std::string data;
    data.reserve(frames * 4);
    const auto clickAt = static_cast<unsigned>(click * kSongRate);
    for (unsigned i = 0; i < frames; ++i) {
        const bool loud = i >= clickAt && i < clickAt + kSongRate / 100;
        const double v = loud ? 0.9 * ((i / 20) % 2 ? 1 : -1) : 0.01 * std::sin(i * 0.05);
        const std::string sample = le(static_cast<unsigned>(static_cast<int>(v * 32767)), 2);
        data += sample + sample;
    }
    return "RIFF" + le(36 + frames * 4, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) +
           le(kSongRate, 4) + le(kSongRate * 4, 4) + le(4, 2) + le(16, 2) + "data" +
           le(frames * 4, 4) + data;
}

// song.cdg + song.wav: words drawn at 0.5 s, the first word lit at the click.
inline std::filesystem::path WriteCdgSong(const std::filesystem::path& dir) {
    cdgwrite::CdgWriter w;
    w.Colors(0, {0x004, 0xFFF, 0xFD0, 0xF80, 0x0CF, 0x8AF, 0x226, 0x000},
             {0xF00, 0xF80, 0xFF0, 0x0F0, 0x0FF, 0x00F, 0x80F, 0xF0F});
    w.MemoryPreset(0, 0, 2);
    w.Text(0.5, 4, 4, "SING ALONG", 1, 0, 2);
    w.Text(1.0, 8, 4, "WITH ME", 1, 0, 2);
    w.Recolor(kClickSeconds, 4, 4, "SING", 1, 2, 2);
    w.Extend(kSongSeconds);
    const auto bytes = w.Bytes();
    WriteBytes(dir / "song.cdg", std::string(bytes.begin(), bytes.end()));
    WriteBytes(dir / "song.wav", ClickWav(kSongSeconds, kClickSeconds));
    return dir / "song.cdg";
}

// song.wav + song.lrs: a line whose third piece starts at the click.
inline std::filesystem::path WriteLyricsSong(const std::filesystem::path& dir) {
    WriteBytes(dir / "song.wav", ClickWav(kSongSeconds, kClickSeconds));
    WriteBytes(dir / "song.lrs",
               "#Cantabilex\n[1]Sing [2]a[3]long [3.5]with [3.7]me\n#End Cantabilex");
    return dir / "song.wav";
}

// Whether `dir` holds no half-written ".part" file.
inline bool NoPartFiles(const std::filesystem::path& dir) {
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().string().find(".part") != std::string::npos) return false;
    return true;
}

}  // namespace cx::test
