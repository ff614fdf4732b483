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
#include "DemoSongWriter.h"

namespace {

using cx::demo::KarSong;
using cx::demo::LyricsKind;
using cx::demo::Song;
using cx::demo::WriteSong;

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
    song.file = std::string(cx::demo::kLambBaseName) + ".wav";
    if (!WriteSong(song, dir, SF_FORMAT_WAV | SF_FORMAT_PCM_16, LyricsKind::None)) return false;
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

bool WriteKar(const std::filesystem::path& path) {
    // Melody (MIDI key, beats) and the syllable on each note, in code page 1252.
    KarSong song;
    song.trackName = "Frere Jacques";
    song.title = "Fr\xE8re Jacques";
    song.artist = "Traditional";
    song.bpm = 120;
    song.notes = {
        {60, 1, "\\Fr\xE8"}, {62, 1, "re "},    {64, 1, "Jac"},     {60, 1, "ques, "},
        {60, 1, "Fr\xE8"},   {62, 1, "re "},    {64, 1, "Jac"},     {60, 1, "ques,"},
        {64, 1, "/Dor"},     {65, 1, "mez "},   {67, 2, "vous? "},  {64, 1, "Dor"},
        {65, 1, "mez "},     {67, 2, "vous?"},  {67, 0.5, "/Son"},  {69, 0.5, "nez "},
        {67, 0.5, "les "},   {65, 0.5, "ma"},   {64, 1, "ti"},      {60, 1, "nes, "},
        {67, 0.5, "Son"},    {69, 0.5, "nez "}, {67, 0.5, "les "},  {65, 0.5, "ma"},
        {64, 1, "ti"},       {60, 1, "nes,"},   {60, 1, "/Ding, "}, {55, 1, "dang, "},
        {60, 2, "dong! "},   {60, 1, "Ding, "}, {55, 1, "dang, "},  {60, 2, "dong!"},
    };
    return cx::demo::WriteKar(path, song);
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
