// Where a song's voice file and a take's temporary file live.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

namespace cx {

struct VoiceFolders {
    bool besideSongs = false;         // keep recordings beside the songs
    std::filesystem::path directory;  // otherwise here
};

// Where a new recording of `song` is saved.
std::filesystem::path VoiceFileFor(const std::filesystem::path& song, const VoiceFolders& folders);

// The song's existing voice file: in the voice folder by the song's base
// name, else beside the song; empty when there is none.
std::filesystem::path FindVoiceFile(const std::filesystem::path& song, const VoiceFolders& folders);

// The take's file name from the time recording began: month, day, year,
// 24-hour time and AM/PM, then ".WAV" ("12062026161832PM.WAV").
std::string TakeFileName(const std::tm& when);

}  // namespace cx
