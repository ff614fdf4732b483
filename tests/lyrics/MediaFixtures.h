// Small writers of media files for the lyrics tests.
#pragma once

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace cx::test {

// How many times `needle` stands in `hay`, overlaps included.
inline std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (auto p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
    return n;
}

// MPEG-1 Layer III frames at 128 kbit/s, 44100 Hz, holding silence.
inline std::string MakeMp3(int frames) {
    const std::string frame = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\0');
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

// Words of an ID3v2 SYLT frame: time (milliseconds or MPEG frames) and text.
using SyltEntries = std::vector<std::pair<unsigned, std::string>>;

// Adds an ID3v2 tag with a SYLT frame (when `sylt` is not empty) and a USLT
// frame (when `uslt` is not empty) to an existing MP3 file, through TagLib.
// Texts are UTF-8; `inFrames` states time stamps in MPEG frames.
inline void AddId3v2Lyrics(const std::filesystem::path& mp3, const SyltEntries& sylt,
                           const std::string& uslt, bool inFrames = false) {
    namespace id3 = TagLib::ID3v2;
    TagLib::MPEG::File f(mp3.c_str());
    id3::Tag* tag = f.ID3v2Tag(true);
    tag->setTitle("Tagged");
    if (!sylt.empty()) {
        auto* frame = new id3::SynchronizedLyricsFrame(TagLib::String::UTF8);
        frame->setType(id3::SynchronizedLyricsFrame::Lyrics);
        frame->setTimestampFormat(inFrames ? id3::SynchronizedLyricsFrame::AbsoluteMpegFrames
                                           : id3::SynchronizedLyricsFrame::AbsoluteMilliseconds);
        id3::SynchronizedLyricsFrame::SynchedTextList list;
        for (const auto& [time, text] : sylt)
            list.append({time, TagLib::String(text, TagLib::String::UTF8)});
        frame->setSynchedText(list);
        tag->addFrame(frame);
    }
    if (!uslt.empty()) {
        auto* frame = new id3::UnsynchronizedLyricsFrame(TagLib::String::UTF8);
        frame->setText(TagLib::String(uslt, TagLib::String::UTF8));
        tag->addFrame(frame);
    }
    f.save(TagLib::MPEG::File::ID3v2);
}

}  // namespace cx::test
