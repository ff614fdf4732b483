#include "playlist/FolderScan.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "playlist/SongFiles.h"

namespace cx {
namespace fs = std::filesystem;
namespace {

bool IsZip(const fs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".zip";
}

}  // namespace

FolderScanResult ScanSongFolder(const std::string& folder, const std::atomic<bool>& cancel,
                                const FolderScanHooks& hooks) {
    FolderScanResult result;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        result.Error = "cannot read " + folder + ": " + ec.message();
        return result;
    }
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            // An unreadable entry costs that entry only.
            ec.clear();
            continue;
        }
        if (cancel.load(std::memory_order_relaxed)) {
            result.Cancelled = true;
            break;
        }
        if (it.depth() >= kMaxFolderDepth) it.disable_recursion_pending();
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        if (++result.FilesSeen % kFolderProgressEvery == 0 && hooks.progress) {
            hooks.progress(result.FilesSeen, result.Songs.size());
        }
        const std::string path = it->path().string();
        // Songs only: a lyrics, .cdg or sing-along file stands for a song that
        // is found on its own, so pairs are not listed twice. Asked by name, as
        // asking a companion for its song would read the folder once per file.
        if (!IsSongMediaFile(path)) continue;
        if (IsZip(it->path()) && hooks.zipHoldsSong && !hooks.zipHoldsSong(path)) continue;
        if (result.Songs.size() >= kMaxFolderSongs) {
            result.Capped = true;
            break;
        }
        result.Songs.push_back(path);
    }
    std::sort(result.Songs.begin(), result.Songs.end());
    if (hooks.progress) hooks.progress(result.FilesSeen, result.Songs.size());
    return result;
}

}  // namespace cx
