// Writes the bundled demo songs: melodies synthesised here, with lyrics timed
// to the notes. Nothing is fetched; the songs are traditional.
//   make_demo OUTDIR
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DemoCdgSong.h"

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

struct Note {
    int midi;         // MIDI key of the melody note, 0 = rest
    double beats;     // length in beats
    const char* syl;  // the syllable sung on it ("" for none); a trailing '/' ends the line
};

struct Song {
    const char* file;
    const char* title;
    const char* artist;
    double bpm;
    double leadIn;  // seconds before the first note
    std::vector<Note> notes;
    std::vector<int> chordRoots;  // one bass note per bar of 4 beats
};

double Frequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A soft plucked tone: a few harmonics under an exponential decay.
void AddTone(std::vector<float>& buf, double start, double length, int midi, double gain,
             double panLeft, double panRight) {
    const double f = Frequency(midi);
    const auto first = static_cast<size_t>(start * kRate);
    const auto count = static_cast<size_t>(length * kRate);
    for (size_t i = 0; i < count && (first + i) * 2 + 1 < buf.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
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

std::string Seconds(double s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", s);
    std::string t = buf;
    while (t.back() == '0') t.pop_back();
    if (t.back() == '.') t.pop_back();
    return t;
}

// The program's own timed-lyrics block, one lyric line per text line.
std::string LrsFor(const Song& song) {
    std::string out = "#Cantabilex\r\n";
    const double beat = 60.0 / song.bpm;
    double t = song.leadIn;
    std::string line;
    for (const auto& n : song.notes) {
        std::string syl = n.syl;
        if (!syl.empty()) {
            const bool endsLine = syl.back() == '/';
            if (endsLine) syl.pop_back();
            line += "[" + Seconds(t) + "]" + syl;
            if (endsLine) {
                out += line + "\r\n";
                line.clear();
            }
        }
        t += n.beats * beat;
    }
    if (!line.empty()) out += line + "\r\n";
    return out + "#End Cantabilex";
}

// Writes the song's audio and, unless it carries its own graphics, its
// timed lyrics beside it.
bool WriteSong(const Song& song, const std::filesystem::path& dir, int format,
               bool withLyrics = true) {
    const double beat = 60.0 / song.bpm;
    double total = song.leadIn;
    for (const auto& n : song.notes) total += n.beats * beat;
    total += 2.0;
    std::vector<float> buf(static_cast<size_t>(total * kRate) * 2, 0.0f);

    double t = song.leadIn;
    for (const auto& n : song.notes) {
        // The melody sits in the centre, so the vocal cut removes it.
        if (n.midi) AddTone(buf, t, n.beats * beat, n.midi, 0.30, 1.0, 1.0);
        t += n.beats * beat;
    }
    double bar = song.leadIn;
    for (int root : song.chordRoots) {
        for (int k = 0; k < 4; ++k) {
            AddTone(buf, bar + k * beat, beat, root - 12, 0.22, 0.9, 0.3);
            AddTone(buf, bar + k * beat + beat / 2, beat / 2, root + 7 - 12, 0.12, 0.3, 0.9);
        }
        bar += 4 * beat;
    }

    const auto audio = dir / song.file;
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = format;
    SNDFILE* f = sf_open(audio.c_str(), SFM_WRITE, &info);
    if (!f) {
        std::fprintf(stderr, "make_demo: cannot write %s: %s\n", audio.c_str(),
                     sf_strerror(nullptr));
        return false;
    }
    sf_set_string(f, SF_STR_TITLE, song.title);
    sf_set_string(f, SF_STR_ARTIST, song.artist);
    sf_writef_float(f, buf.data(), static_cast<sf_count_t>(buf.size() / 2));
    sf_close(f);

    if (withLyrics) {
        std::ofstream(std::filesystem::path(audio).replace_extension(".lrs"), std::ios::binary)
            << LrsFor(song);
    }
    return true;
}

Song Twinkle() {
    return {
        "Twinkle Twinkle Little Star.wav",
        "Twinkle Twinkle Little Star",
        "Traditional",
        120,
        2.0,
        {{60, 1, "Twin"},  {60, 1, "kle "},  {67, 1, "twin"}, {67, 1, "kle "},   {69, 1, "lit"},
         {69, 1, "tle "},  {67, 2, "star/"}, {65, 1, "How "}, {65, 1, "I "},     {64, 1, "won"},
         {64, 1, "der "},  {62, 1, "what "}, {62, 1, "you "}, {60, 2, "are/"},   {67, 1, "Up "},
         {67, 1, "a"},     {65, 1, "bove "}, {65, 1, "the "}, {64, 1, "world "}, {64, 1, "so "},
         {62, 2, "high/"}, {67, 1, "Like "}, {67, 1, "a "},   {65, 1, "dia"},    {65, 1, "mond "},
         {64, 1, "in "},   {64, 1, "the "},  {62, 2, "sky/"}, {60, 1, "Twin"},   {60, 1, "kle "},
         {67, 1, "twin"},  {67, 1, "kle "},  {69, 1, "lit"},  {69, 1, "tle "},   {67, 2, "star/"},
         {65, 1, "How "},  {65, 1, "I "},    {64, 1, "won"},  {64, 1, "der "},   {62, 1, "what "},
         {62, 1, "you "},  {60, 2, "are/"}},
        {48, 48, 53, 48, 55, 53, 55, 53, 48, 48, 53, 48}};
}

Song RowYourBoat() {
    return {"Row Row Row Your Boat.flac",
            "Row, Row, Row Your Boat",
            "Traditional",
            100,
            2.4,
            {{60, 1.5, "Row, "}, {60, 1.5, "row, "}, {60, 1, "row "},   {62, 0.5, "your "},
             {64, 1.5, "boat/"}, {64, 1, "Gent"},    {62, 0.5, "ly "},  {64, 1, "down "},
             {65, 0.5, "the "},  {67, 3, "stream/"}, {72, 0.5, "Mer"},  {72, 0.5, "ri"},
             {72, 0.5, "ly, "},  {67, 0.5, "mer"},   {67, 0.5, "ri"},   {67, 0.5, "ly, "},
             {64, 0.5, "mer"},   {64, 0.5, "ri"},    {64, 0.5, "ly, "}, {60, 0.5, "mer"},
             {60, 0.5, "ri"},    {60, 0.5, "ly/"},   {67, 1, "Life "},  {65, 0.5, "is "},
             {64, 1, "but "},    {62, 0.5, "a "},    {60, 3, "dream/"}},
            {48, 48, 48, 48, 55, 48}};
}

// ---- A CD+G song: audio with a .cdg graphics file of the same name.

Song LittleLamb() {
    Song song{};
    song.title = cx::demo::kLambTitle;
    song.artist = "Traditional";
    song.bpm = cx::demo::kLambBpm;
    song.leadIn = cx::demo::kLambLeadIn;
    song.chordRoots = cx::demo::LambChordRoots();
    for (const auto& n : cx::demo::LambNotes()) song.notes.push_back({n.midi, n.beats, n.syl});
    return song;
}

bool WriteCdgSong(const std::filesystem::path& dir) {
    Song song = LittleLamb();
    const std::string audio = std::string(cx::demo::kLambBaseName) + ".wav";
    song.file = audio.c_str();
    if (!WriteSong(song, dir, SF_FORMAT_WAV | SF_FORMAT_PCM_16, false)) return false;
    const auto cdg = cx::demo::MakeLambCdg();
    const auto path = dir / (std::string(cx::demo::kLambBaseName) + ".cdg");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(cdg.bytes.data()),
              static_cast<std::streamsize>(cdg.bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_demo: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// ---- A KAR song: a Standard MIDI File with a "Words" track of syllables.

void PutVarLen(std::string& out, uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7F);
    while (v >>= 7) bytes[n++] = static_cast<char>((v & 0x7F) | 0x80);
    while (n) out += bytes[--n];
}

void PutBE(std::string& out, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Chunk(const char* id, const std::string& body) {
    std::string out = id;
    PutBE(out, static_cast<uint32_t>(body.size()), 4);
    return out + body;
}

void MetaText(std::string& track, uint32_t delta, int type, const std::string& text) {
    PutVarLen(track, delta);
    track += '\xFF';
    track += static_cast<char>(type);
    PutVarLen(track, static_cast<uint32_t>(text.size()));
    track += text;
}

std::string EndOfTrack() {
    return std::string("\x00\xFF\x2F\x00", 4);
}

bool WriteKar(const std::filesystem::path& path) {
    constexpr int kDivision = 480;
    // Melody (MIDI key, beats) and the syllable on each note, in code page 1252.
    struct KarNote {
        int key;
        double beats;
        const char* text;
    };
    const std::vector<KarNote> notes = {
        {60, 1, "\\Fr\xE8"}, {62, 1, "re "},    {64, 1, "Jac"},     {60, 1, "ques, "},
        {60, 1, "Fr\xE8"},   {62, 1, "re "},    {64, 1, "Jac"},     {60, 1, "ques,"},
        {64, 1, "/Dor"},     {65, 1, "mez "},   {67, 2, "vous? "},  {64, 1, "Dor"},
        {65, 1, "mez "},     {67, 2, "vous?"},  {67, 0.5, "/Son"},  {69, 0.5, "nez "},
        {67, 0.5, "les "},   {65, 0.5, "ma"},   {64, 1, "ti"},      {60, 1, "nes, "},
        {67, 0.5, "Son"},    {69, 0.5, "nez "}, {67, 0.5, "les "},  {65, 0.5, "ma"},
        {64, 1, "ti"},       {60, 1, "nes,"},   {60, 1, "/Ding, "}, {55, 1, "dang, "},
        {60, 2, "dong! "},   {60, 1, "Ding, "}, {55, 1, "dang, "},  {60, 2, "dong!"},
    };
    const uint32_t leadIn = 4 * kDivision;

    std::string tempo;
    MetaText(tempo, 0, 0x03, "Frere Jacques");
    PutVarLen(tempo, 0);
    tempo += std::string("\xFF\x51\x03", 3);
    PutBE(tempo, 500000, 3);  // 120 beats per minute
    tempo += EndOfTrack();

    std::string words;
    MetaText(words, 0, 0x03, "Words");
    MetaText(words, 0, 0x01, "@KMIDI KARAOKE FILE");
    MetaText(words, 0, 0x01, "@T Fr\xE8re Jacques");
    MetaText(words, 0, 0x01, "@TTraditional");
    uint32_t last = 0;
    uint32_t at = leadIn;
    for (const auto& n : notes) {
        MetaText(words, at - last, 0x01, n.text);
        last = at;
        at += static_cast<uint32_t>(n.beats * kDivision);
    }
    words += EndOfTrack();

    std::string melody;
    MetaText(melody, 0, 0x03, "Melody");
    PutVarLen(melody, 0);
    melody += std::string("\xC0\x00", 2);  // piano
    last = 0;
    at = leadIn;
    for (const auto& n : notes) {
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    const Song twinkle = Twinkle();
    const Song boat = RowYourBoat();
    if (!WriteSong(twinkle, dir, SF_FORMAT_WAV | SF_FORMAT_PCM_16)) return 1;
    if (!WriteSong(boat, dir, SF_FORMAT_FLAC | SF_FORMAT_PCM_16)) return 1;
    if (!WriteKar(dir / "Frere Jacques.kar")) return 1;
    if (!WriteCdgSong(dir)) return 1;
    std::ofstream m3u(dir / "demo.m3u", std::ios::binary);
    m3u << "#EXTM3U\r\n"
        << "#EXTINF:26,Traditional - Twinkle Twinkle Little Star\r\n"
        << twinkle.file << "\r\n"
        << "#EXTINF:22,Traditional - Row, Row, Row Your Boat\r\n"
        << boat.file << "\r\n"
        << "#EXTINF:22,Traditional - Frere Jacques\r\n"
        << "Frere Jacques.kar\r\n"
        << "#EXTINF:" << static_cast<int>(cx::demo::LambSeconds()) << ",Traditional - "
        << cx::demo::kLambTitle << "\r\n"
        << cx::demo::kLambBaseName << ".wav\r\n";
    return 0;
}
