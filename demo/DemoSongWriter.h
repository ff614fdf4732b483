// Writes synthesised songs: a melody over a bass line rendered to an audio
// file with its timed lyrics (the program's own block or LRC) beside it, and
// KAR files (a Standard MIDI File with a "Words" track). Used for the demo
// songs and for the soak test's playlist.
#pragma once

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace cx::demo {

inline constexpr int kSongRate = 44100;
inline constexpr double kSongTail = 2.0;  // seconds of audio after the last note

struct Note {
    int midi;         // MIDI key of the melody note, 0 = rest
    double beats;     // length in beats
    std::string syl;  // the syllable sung on it ("" for none); a trailing '/' ends the line
};

struct Song {
    std::string file;
    std::string title;
    std::string artist;
    double bpm;
    double leadIn;  // seconds before the first note
    std::vector<Note> notes;
    std::vector<int> chordRoots;  // one bass note per bar of 4 beats
    int rate = kSongRate;
};

enum class LyricsKind { None, Lrs, Lrc };

inline double Frequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A soft plucked tone: a few harmonics under an exponential decay.
inline void AddTone(std::vector<float>& buf, int rate, double start, double length, int midi,
                    double gain, double panLeft, double panRight) {
    constexpr double kPi = 3.14159265358979323846;
    const double f = Frequency(midi);
    const auto first = static_cast<size_t>(start * rate);
    const auto count = static_cast<size_t>(length * rate);
    for (size_t i = 0; i < count && (first + i) * 2 + 1 < buf.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double attack = std::min(1.0, t / 0.01);
        const double release = std::min(1.0, (length - t) / 0.05);
        const double env = attack * release * std::exp(-2.5 * t);
        const double s = std::sin(2 * kPi * f * t) + 0.4 * std::sin(4 * kPi * f * t) +
                         0.2 * std::sin(6 * kPi * f * t);
        const auto v = static_cast<float>(gain * env * s);
        buf[(first + i) * 2] += v * static_cast<float>(panLeft);
        buf[(first + i) * 2 + 1] += v * static_cast<float>(panRight);
    }
}

inline std::string Seconds(double s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", s);
    std::string t = buf;
    while (t.back() == '0') t.pop_back();
    if (t.back() == '.') t.pop_back();
    return t;
}

// Length of the song's audio, tail included.
inline double SongSeconds(const Song& song) {
    const double beat = 60.0 / song.bpm;
    double total = song.leadIn;
    for (const auto& n : song.notes) total += n.beats * beat;
    return total + kSongTail;
}

// Calls `line(stamps, syllables)` for every lyric line: the time each
// syllable is sung and its text.
template <class LineFn>
void ForEachLine(const Song& song, LineFn line) {
    const double beat = 60.0 / song.bpm;
    double t = song.leadIn;
    std::vector<double> stamps;
    std::vector<std::string> syllables;
    for (const auto& n : song.notes) {
        std::string syl = n.syl;
        if (!syl.empty()) {
            const bool endsLine = syl.back() == '/';
            if (endsLine) syl.pop_back();
            stamps.push_back(t);
            syllables.push_back(syl);
            if (endsLine) {
                line(stamps, syllables);
                stamps.clear();
                syllables.clear();
            }
        }
        t += n.beats * beat;
    }
    if (!stamps.empty()) line(stamps, syllables);
}

// The program's own timed-lyrics block, one lyric line per text line.
inline std::string LrsFor(const Song& song) {
    std::string out = "#Cantabilex\r\n";
    ForEachLine(song, [&](const std::vector<double>& at, const std::vector<std::string>& syl) {
        for (size_t i = 0; i < at.size(); ++i) {
            out += '[';
            out += Seconds(at[i]);
            out += ']';
            out += syl[i];
        }
        out += "\r\n";
    });
    return out + "#End Cantabilex";
}

// "mm:ss.hh" as LRC writes times.
inline std::string LrcTime(double s) {
    const long hundredths = std::lround(std::max(0.0, s) * 100);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60,
                  hundredths % 100);
    return buf;
}

// LRC with a line tag and a word tag for every syllable.
inline std::string LrcFor(const Song& song) {
    std::string out = "[ti:" + song.title + "]\n[ar:" + song.artist + "]\n";
    ForEachLine(song, [&](const std::vector<double>& at, const std::vector<std::string>& syl) {
        out += '[';
        out += LrcTime(at.front());
        out += ']';
        for (size_t i = 0; i < at.size(); ++i) {
            out += '<';
            out += LrcTime(at[i]);
            out += '>';
            out += syl[i];
        }
        out += "\n";
    });
    return out;
}

// Writes the song's audio in `format` (libsndfile's) and, unless told
// otherwise, its timed lyrics beside it.
inline bool WriteSong(const Song& song, const std::filesystem::path& dir, int format,
                      LyricsKind lyrics = LyricsKind::Lrs) {
    const double beat = 60.0 / song.bpm;
    const int rate = song.rate;
    std::vector<float> buf(static_cast<size_t>(SongSeconds(song) * rate) * 2, 0.0f);

    double t = song.leadIn;
    for (const auto& n : song.notes) {
        // The melody sits in the centre, so the vocal cut removes it.
        if (n.midi) AddTone(buf, rate, t, n.beats * beat, n.midi, 0.30, 1.0, 1.0);
        t += n.beats * beat;
    }
    double bar = song.leadIn;
    for (int root : song.chordRoots) {
        for (int k = 0; k < 4; ++k) {
            AddTone(buf, rate, bar + k * beat, beat, root - 12, 0.22, 0.9, 0.3);
            AddTone(buf, rate, bar + k * beat + beat / 2, beat / 2, root + 7 - 12, 0.12, 0.3, 0.9);
        }
        bar += 4 * beat;
    }

    const auto audio = dir / song.file;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = format;
    SNDFILE* f = sf_open(audio.c_str(), SFM_WRITE, &info);
    if (!f) {
        std::fprintf(stderr, "cannot write %s: %s\n", audio.c_str(), sf_strerror(nullptr));
        return false;
    }
    sf_set_string(f, SF_STR_TITLE, song.title.c_str());
    sf_set_string(f, SF_STR_ARTIST, song.artist.c_str());
    sf_writef_float(f, buf.data(), static_cast<sf_count_t>(buf.size() / 2));
    sf_close(f);

    if (lyrics == LyricsKind::None) return true;
    const bool lrs = lyrics == LyricsKind::Lrs;
    std::ofstream(std::filesystem::path(audio).replace_extension(lrs ? ".lrs" : ".lrc"),
                  std::ios::binary)
        << (lrs ? LrsFor(song) : LrcFor(song));
    return true;
}

// ---- KAR: a Standard MIDI File with a "Words" track of syllables.

struct KarNote {
    int key;
    double beats;
    std::string text;  // code page 1252; '\' starts a page, '/' a line
};

struct KarSong {
    std::string trackName;  // the tempo track's name
    std::string title;      // code page 1252
    std::string artist;
    double bpm = 120;
    int program = 0;  // General MIDI instrument of the melody
    std::vector<KarNote> notes;
};

inline void PutVarLen(std::string& out, uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7F);
    while (v >>= 7) bytes[n++] = static_cast<char>((v & 0x7F) | 0x80);
    while (n) out += bytes[--n];
}

inline void PutBE(std::string& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::string Chunk(const char* id, const std::string& body) {
    std::string out = id;
    PutBE(out, static_cast<uint32_t>(body.size()), 4);
    return out + body;
}

inline void MetaText(std::string& track, uint32_t delta, int type, const std::string& text) {
    PutVarLen(track, delta);
    track += '\xFF';
    track += static_cast<char>(type);
    PutVarLen(track, static_cast<uint32_t>(text.size()));
    track += text;
}

inline std::string EndOfTrack() {
    return std::string("\x00\xFF\x2F\x00", 4);
}

// Seconds from the file's start to the end of its last note.
inline double KarSeconds(const KarSong& song) {
    double beats = 4;  // the lead-in bar
    for (const auto& n : song.notes) beats += n.beats;
    return beats * 60.0 / song.bpm;
}

inline bool WriteKar(const std::filesystem::path& path, const KarSong& song) {
    constexpr int kDivision = 480;
    const uint32_t leadIn = 4 * kDivision;

    std::string tempo;
    MetaText(tempo, 0, 0x03, song.trackName);
    PutVarLen(tempo, 0);
    tempo += std::string("\xFF\x51\x03", 3);
    PutBE(tempo, static_cast<uint32_t>(std::lround(60'000'000.0 / song.bpm)), 3);
    tempo += EndOfTrack();

    std::string words;
    MetaText(words, 0, 0x03, "Words");
    MetaText(words, 0, 0x01, "@KMIDI KARAOKE FILE");
    MetaText(words, 0, 0x01, "@T " + song.title);
    MetaText(words, 0, 0x01, "@T" + song.artist);
    uint32_t last = 0;
    uint32_t at = leadIn;
    for (const auto& n : song.notes) {
        MetaText(words, at - last, 0x01, n.text);
        last = at;
        at += static_cast<uint32_t>(n.beats * kDivision);
    }
    words += EndOfTrack();

    std::string melody;
    MetaText(melody, 0, 0x03, "Melody");
    PutVarLen(melody, 0);
    melody += '\xC0';
    melody += static_cast<char>(song.program & 0x7F);
    last = 0;
    at = leadIn;
    for (const auto& n : song.notes) {
        const auto len = static_cast<uint32_t>(n.beats * kDivision);
        PutVarLen(melody, at - last);
        melody += '\x90';
        melody += static_cast<char>(n.key);
        melody += '\x64';
        PutVarLen(melody, len - 10);
        melody += '\x80';
        melody += static_cast<char>(n.key);
        melody += '\x40';
        last = at + len - 10;
        at += len;
    }
    melody += EndOfTrack();

    std::string header;
    PutBE(header, 1, 2);  // format 1
    PutBE(header, 3, 2);  // tracks
    PutBE(header, kDivision, 2);
    std::ofstream out(path, std::ios::binary);
    out << Chunk("MThd", header) << Chunk("MTrk", tempo) << Chunk("MTrk", words)
        << Chunk("MTrk", melody);
    return static_cast<bool>(out);
}

}  // namespace cx::demo
