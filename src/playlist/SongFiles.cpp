#include "playlist/SongFiles.h"

#include <array>
#include <filesystem>

#include "lyrics/UltraStar.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

constexpr std::array<const char*, 9> kSongExtensions = {"mp3", "ogg",  "mid",  "midi", "kar",
                                                        "wav", "flac", "opus", "rmi"};
constexpr std::array<const char*, 4> kCompanionExtensions = {"lrs", "lrc", "kok", "cdg"};
constexpr const char* kZipExtension = "zip";
// Sing-along song files: only text files that read as songs are taken.
constexpr const char* kSongTextExtension = "txt";

std::string LowerExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

template <std::size_t N>
bool OneOf(const std::string& ext, const std::array<const char*, N>& list) {
    for (const char* e : list) {
        if (ext == e) return true;
    }
    return false;
}

}  // namespace

bool IsAcceptedSongFile(const std::string& path) {
    const std::string ext = LowerExtension(path);
    return OneOf(ext, kSongExtensions) || OneOf(ext, kCompanionExtensions) ||
           ext == kZipExtension || (ext == kSongTextExtension && IsUltraStarFile(path));
}

bool IsSongMediaFile(const std::string& path) {
    const std::string ext = LowerExtension(path);
    return OneOf(ext, kSongExtensions) || ext == kZipExtension;
}

std::string MediaFileFor(const std::string& path) {
    const std::string ext = LowerExtension(path);
    // A zipped song is one entry; it is unpacked when it is opened.
    if (IsSongMediaFile(path)) return path;
    // A sing-along song file plays the audio it names, wherever that is.
    if (ext == kSongTextExtension) {
        if (!IsUltraStarFile(path)) return {};
        const auto audio = FindUltraStarAudio(path);
        return audio ? audio->string() : std::string();
    }
    if (!OneOf(ext, kCompanionExtensions)) return {};
    const fs::path p(path);
    const fs::path folder = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    // Several songs may share the name; the first kind in our list wins, so the
    // answer does not depend on the order the folder lists its files in.
    std::string best;
    std::size_t bestRank = kSongExtensions.size();
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path candidate = it->path();
        if (candidate.stem() != p.stem()) continue;
        const std::string candidateExt = LowerExtension(candidate.string());
        for (std::size_t rank = 0; rank < bestRank; ++rank) {
            std::error_code fileEc;
            if (candidateExt == kSongExtensions[rank] && it->is_regular_file(fileEc)) {
                best = candidate.string();
                bestRank = rank;
                break;
            }
        }
    }
    return best;
}

}  // namespace cx
