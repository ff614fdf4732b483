#include "recording/VoicePaths.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>

namespace cx {
namespace {

std::filesystem::path BesideSong(const std::filesystem::path& song) {
    std::string ext = song.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::filesystem::path voice = song;
    // A WAV song would otherwise be its own voice file and be overwritten.
    voice.replace_extension(ext == ".wav" ? ".voice.wav" : ".wav");
    return voice;
}

std::filesystem::path InDirectory(const std::filesystem::path& song,
                                  const std::filesystem::path& directory) {
    return directory / (song.stem().string() + ".wav");
}

}  // namespace

std::filesystem::path VoiceFileFor(const std::filesystem::path& song, const VoiceFolders& folders) {
    if (folders.besideSongs || folders.directory.empty()) return BesideSong(song);
    return InDirectory(song, folders.directory);
}

std::filesystem::path FindVoiceFile(const std::filesystem::path& song,
                                    const VoiceFolders& folders) {
    std::error_code ec;
    if (!folders.directory.empty()) {
        const auto inFolder = InDirectory(song, folders.directory);
        if (std::filesystem::is_regular_file(inFolder, ec)) return inFolder;
    }
    const auto beside = BesideSong(song);
    if (std::filesystem::is_regular_file(beside, ec)) return beside;
    return {};
}

std::string TakeFileName(const std::tm& when) {
    char text[64];  // room for any int the fields could hold
    std::snprintf(text, sizeof text, "%02d%02d%04d%02d%02d%02d%s.WAV", when.tm_mon + 1,
                  when.tm_mday, when.tm_year + 1900, when.tm_hour, when.tm_min, when.tm_sec,
                  when.tm_hour < 12 ? "AM" : "PM");
    return text;
}

}  // namespace cx
