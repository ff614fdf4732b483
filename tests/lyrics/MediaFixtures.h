// Small writers of media files for the lyrics tests.
#pragma once

#include <string>

namespace cx::test {

// MPEG-1 Layer III frames at 128 kbit/s, 44100 Hz, holding silence.
inline std::string MakeMp3(int frames) {
    std::string frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\x00';
    std::string out;
    for (int i = 0; i < frames; ++i) out += frame;
    return out;
}

// A 128-byte ID3v1.1 tag.
inline std::string MakeId3v1(const std::string& title, const std::string& artist, int track,
                             int genre) {
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, artist.size(), artist);
    tag[126] = static_cast<char>(track);
    tag[127] = static_cast<char>(genre);
    return tag;
}

// 16-bit PCM WAV of `frames` silent stereo frames at 8000 Hz.
inline std::string MakeWav(int frames) {
    auto le32 = [](unsigned v) {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    const unsigned data = static_cast<unsigned>(frames) * 4;
    std::string fmt = le32(16) + std::string("\x01\x00\x02\x00", 4) + le32(8000) + le32(32000) +
                      std::string("\x04\x00\x10\x00", 4);
    return "RIFF" + le32(36 + data) + "WAVEfmt " + fmt + "data" + le32(data) +
           std::string(data, '\0');
}

}  // namespace cx::test
