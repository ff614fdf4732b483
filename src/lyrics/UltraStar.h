// Sing-along song files (UltraStar TXT): headers, notes on a beat grid,
// phrase ends and duet voices, read into the timed lyrics model (notes as
// pieces, phrases as lines) and into the notes a singer is meant to sing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/LyricsModel.h"
#include "lyrics/SungNotes.h"
#include "platform/Codepage.h"

namespace cx {

// Real song files are a few tens of kilobytes; larger ones are not songs.
inline constexpr std::size_t kMaxUltraStarBytes = 4u * 1024u * 1024u;
// Headers kept per file; real files have about twenty.
inline constexpr std::size_t kMaxUltraStarHeaders = 512;
// Warnings kept per file; further bad lines are only counted.
inline constexpr std::size_t kMaxUltraStarWarnings = 64;
// Beats, lengths and pitches beyond these are typing errors, not songs.
inline constexpr long long kMaxUltraStarBeat = 10000000;
inline constexpr int kMaxUltraStarPitch = 67;  // MIDI 0..127 around 60
// No song plays longer; later notes are refused.
inline constexpr double kMaxUltraStarSeconds = 6 * 3600.0;
// How much of a file is read to tell whether it is a song.
inline constexpr std::size_t kUltraStarSniffBytes = 64u * 1024u;
// Text files looked at in a folder when a song's file has another name.
inline constexpr std::size_t kMaxUltraStarFolderTexts = 64;

struct UltraStarHeader {
    std::string Key;  // upper case, without '#'
    std::string Value;
};

struct UltraStarSong {
    std::vector<UltraStarHeader> Headers;  // every header in file order, unknown ones too
    std::string Title, Artist, Audio, Video, Cover, Background, Version, Encoding;
    std::string Singer1, Singer2;  // duet voice names
    double Bpm = 0;                // quarter-beats per minute / 4 as written
    double GapSeconds = 0;         // time of beat 0
    double StartSeconds = 0;       // where playing starts in the audio
    double EndSeconds = 0;         // where it stops; 0 when the song plays to its end
    double VideoGapSeconds = 0;
    bool Relative = false;
    bool Duet = false;
    PieceArray Pieces = PieceArray(1);  // placeholder at 0, pieces from 1
    SungNotes Notes;
    std::vector<std::string> Warnings;  // "line N: why", at most kMaxUltraStarWarnings
    std::size_t BadLines = 0;           // all of them, kept or not
};

struct UltraStarRead {
    bool ok = false;
    std::string reason;
    UltraStarSong song;
};

// Reads a song file's bytes: UTF-8 with or without a BOM, else the code page
// its #ENCODING names, else the detected one (a fixed choice wins). A bad
// line is skipped with a warning; the song fails only without a usable #BPM
// or without any note.
UltraStarRead ReadUltraStar(std::string_view bytes, CodepageChoice cp);

// The seconds of a beat: gap plus quarter-beats of the tempo.
double UltraStarBeatSeconds(double gapSeconds, double bpm, double beat);

// Whether the start of a text file is a song: #TITLE and #BPM headers, or note lines.
bool LooksLikeUltraStar(std::string_view bytes);
// The same for a file on disk (reads at most kUltraStarSniffBytes).
bool IsUltraStarFile(const std::filesystem::path& path);

// The audio a song file names (#AUDIO, else #MP3), found beside it without
// regard to case; nullopt when the file names none or it is not there.
// `wanted` receives the name it gave.
std::optional<std::filesystem::path> FindUltraStarAudio(const std::filesystem::path& songFile,
                                                        std::string* wanted = nullptr);

// The song file that plays `media`: the .txt of the same name, else a .txt in
// its folder naming it as its audio. nullopt when none does.
std::optional<std::filesystem::path> FindUltraStarFor(const std::filesystem::path& media);

}  // namespace cx
