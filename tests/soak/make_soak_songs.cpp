// Writes the soak test's playlist: COUNT distinct short songs (20 to 60 s)
// in turn audio with the program's own lyrics block, audio with LRC lyrics,
// KAR files and CD+G pairs, with a playlist.m3u naming them all. The same
// seed gives the same files.
//   make_soak_songs OUTDIR [COUNT [SEED]]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "CdgWriter.h"
#include "DemoCdgSong.h"
#include "DemoSongWriter.h"

namespace {

namespace demo = cx::demo;
namespace cdg = cx::cdgwrite;

constexpr int kMaxCount = 1000;
constexpr double kShortest = 20.0;
constexpr double kLongest = 60.0;
// Syllables a line of CD+G words may hold at twice the font size.
constexpr std::size_t kLineChars = 22;

const char* const kWords[] = {"la",   "sun",   "rain", "moon", "sky",  "go",   "home", "light",
                              "day",  "night", "sing", "ring", "star", "blue", "road", "sea",
                              "wind", "fire",  "gold", "rose", "deep", "high", "low",  "song"};
// C major pentatonic around middle C.
const int kScale[] = {55, 57, 60, 62, 64, 67, 69, 72, 74, 76};
const int kRoots[] = {48, 53, 55, 57};
const double kBeats[] = {0.5, 1, 1, 1, 1.5, 2};

enum class Kind { Lrs, Lrc, Kar, Cdg };

struct Plan {
    std::string title;
    std::string artist;
    double bpm;
    double seconds;  // wanted length
    std::vector<demo::Note> notes;
};

template <class T, std::size_t N>
const T& Pick(std::mt19937& rng, const T (&items)[N]) {
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

// A random melody with words, long enough for the wanted length.
Plan MakePlan(int index, std::mt19937& rng, double leadIn) {
    Plan plan;
    plan.bpm = std::uniform_int_distribution<int>(84, 156)(rng);
    plan.seconds = std::uniform_real_distribution<double>(kShortest, kLongest)(rng);
    plan.title =
        "Soak " + std::to_string(index + 1) + " " + Pick(rng, kWords) + " " + Pick(rng, kWords);
    plan.artist = "Band " + std::to_string(index % 7 + 1);
    const double beat = 60.0 / plan.bpm;
    double at = leadIn;
    std::size_t lineChars = 0;
    int lineNotes = 0;
    while (at + demo::kSongTail < plan.seconds) {
        demo::Note n{Pick(rng, kScale), Pick(rng, kBeats), std::string(Pick(rng, kWords)) + " "};
        lineChars += n.syl.size();
        if (++lineNotes >= 6 || lineChars + 6 > kLineChars) {
            n.syl += "/";
            lineChars = 0;
            lineNotes = 0;
        }
        at += n.beats * beat;
        plan.notes.push_back(std::move(n));
    }
    return plan;
}

demo::Song AudioSong(const Plan& plan, const std::string& file, double leadIn, int rate) {
    demo::Song song{file, plan.title, plan.artist, plan.bpm, leadIn, plan.notes, {}, rate};
    const double beats = (demo::SongSeconds(song) - leadIn) * plan.bpm / 60.0;
    for (int bar = 0; bar * 4 < beats - 4; ++bar) song.chordRoots.push_back(kRoots[bar % 4]);
    return song;
}

// The graphics of an audio song: a title screen, then its lines of words
// three at a time, each syllable turning colour as it is sung.
std::vector<std::uint8_t> WordsCdg(const demo::Song& song) {
    using demo::kLineRows;
    cdg::CdgWriter w;
    w.Colors(0, demo::kLambLowColors, demo::kLambHighColors);
    w.MemoryPreset(0, demo::kPaper, 2);
    w.BorderPreset(0, demo::kBorder);
    const std::string title = song.title.substr(0, cdg::kAreaColumns / 2);
    w.Text(0, 5, cdg::CentredColumn(title.size(), 2), title, demo::kTitleInk, demo::kPaper, 2);
    w.Text(0, 10, cdg::CentredColumn(song.artist.size(), 1), song.artist, demo::kCreditInk,
           demo::kPaper);

    struct Line {
        std::vector<double> at;
        std::vector<std::string> syl;
        std::string text;
    };
    std::vector<Line> lines;
    demo::ForEachLine(song, [&](const std::vector<double>& at, const std::vector<std::string>& s) {
        lines.push_back({at, s, std::accumulate(s.begin(), s.end(), std::string())});
    });
    const double page = std::max(0.0, song.leadIn - 1.0);
    w.MemoryPreset(page, demo::kPaper, 2);
    const std::size_t places = std::size(kLineRows);
    for (std::size_t i = 0; i < lines.size() && i < places; ++i)
        demo::detail::DrawLine(w, page, kLineRows[i], lines[i].text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int column = demo::LineColumn(lines[i].text);
        for (std::size_t k = 0; k < lines[i].at.size(); ++k) {
            w.Recolor(lines[i].at[k], kLineRows[i % places], column, lines[i].syl[k], demo::kUnsung,
                      demo::kSung, demo::kLyricScale);
            column += static_cast<int>(lines[i].syl[k].size()) * demo::kLyricScale;
        }
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t next = i - 1 + places;
        demo::detail::DrawLine(w, lines[i].at.front(), kLineRows[(i - 1) % places],
                               next < lines.size() ? lines[next].text : std::string());
    }
    w.Extend(demo::SongSeconds(song));
    return w.Bytes();
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Writes song `index`; gives its playlist entry (empty on failure).
std::string WriteOne(const std::filesystem::path& dir, int index, std::mt19937& rng,
                     double& seconds) {
    const Kind kind = static_cast<Kind>(index % 4);
    char stem[32];
    std::snprintf(stem, sizeof stem, "%03d ", index + 1);
    const double leadIn = std::uniform_real_distribution<double>(1.5, 4.0)(rng);
    // A KAR file has a bar of lead-in of its own.
    const Plan plan = MakePlan(index, rng, kind == Kind::Kar ? 2.0 : leadIn);
    const std::string base = stem + plan.title;
    // Rates and formats vary so the decoders and the resampler all take part.
    const bool flac = index % 8 >= 4;
    const int format = flac ? SF_FORMAT_FLAC | SF_FORMAT_PCM_16 : SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const int rate = flac ? (index % 3 ? 44100 : 48000) : (index % 3 ? 22050 : 32000);
    const std::string audio = base + (flac ? ".flac" : ".wav");
    switch (kind) {
        case Kind::Lrs:
        case Kind::Lrc: {
            const demo::Song song = AudioSong(plan, audio, leadIn, rate);
            seconds = demo::SongSeconds(song);
            const auto lyrics = kind == Kind::Lrs ? demo::LyricsKind::Lrs : demo::LyricsKind::Lrc;
            return demo::WriteSong(song, dir, format, lyrics) ? audio : std::string();
        }
        case Kind::Kar: {
            demo::KarSong kar;
            kar.trackName = kar.title = plan.title;
            kar.artist = plan.artist;
            kar.bpm = plan.bpm;
            kar.program = index % 24;
            // '\\' starts the first page, '/' each later line.
            for (std::size_t i = 0; i < plan.notes.size(); ++i) {
                const std::string& syl = plan.notes[i].syl;
                std::string text = i == 0 ? "\\" : plan.notes[i - 1].syl.back() == '/' ? "/" : "";
                text.append(syl, 0, syl.back() == '/' ? syl.size() - 1 : syl.size());
                kar.notes.push_back({plan.notes[i].midi, plan.notes[i].beats, text});
            }
            seconds = demo::KarSeconds(kar);
            return demo::WriteKar(dir / (base + ".kar"), kar) ? base + ".kar" : std::string();
        }
        case Kind::Cdg: {
            const demo::Song song = AudioSong(plan, audio, leadIn, rate);
            seconds = demo::SongSeconds(song);
            if (!demo::WriteSong(song, dir, format, demo::LyricsKind::None)) return {};
            return WriteBytes(dir / (base + ".cdg"), WordsCdg(song)) ? audio : std::string();
        }
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: make_soak_songs OUTDIR [COUNT [SEED]]\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 100;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1;
    if (count < 1 || count > kMaxCount) {
        std::fprintf(stderr, "make_soak_songs: COUNT must be 1..%d\n", kMaxCount);
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::string m3u = "#EXTM3U\r\n";
    for (int i = 0; i < count; ++i) {
        std::mt19937 rng(seed * 100003u + static_cast<unsigned>(i));
        double seconds = 0;
        const std::string entry = WriteOne(dir, i, rng, seconds);
        if (entry.empty()) {
            std::fprintf(stderr, "make_soak_songs: cannot write song %d in %s\n", i + 1,
                         dir.c_str());
            return 1;
        }
        m3u += "#EXTINF:" + std::to_string(static_cast<int>(seconds)) + "," + entry + "\r\n" +
               entry + "\r\n";
    }
    std::ofstream out(dir / "playlist.m3u", std::ios::binary);
    out << m3u;
    return out ? 0 : 1;
}
