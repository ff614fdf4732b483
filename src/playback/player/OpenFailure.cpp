#include "playback/player/OpenFailure.h"

#include <filesystem>
#include <fstream>

#include "lyrics/UltraStar.h"

namespace cx {

OpenFailure DiagnoseOpenFailure(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return OpenFailure::NotFound;
    if (std::filesystem::is_directory(status)) return OpenFailure::NotASong;
    std::ifstream in(path, std::ios::binary);
    if (!in) return OpenFailure::NoPermission;
    if (IsUltraStarFile(path) && !FindUltraStarAudio(path)) return OpenFailure::AudioMissing;
    return OpenFailure::NotASong;
}

const char* OpenFailureKey(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::NotFound:
            return "OpenNotFound";
        case OpenFailure::NoPermission:
            return "OpenNoPermission";
        case OpenFailure::AudioMissing:
            return "OpenSongAudioMissing";
        case OpenFailure::NotASong:
            break;
    }
    return "OpenNotASong";
}

std::string OpenFailureDetail(const std::string& path, const std::string& detail) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (detail.empty() || (!name.empty() && detail.find(name) != std::string::npos)) return {};
    return detail;
}

}  // namespace cx
