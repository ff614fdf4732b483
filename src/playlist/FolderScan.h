// Finds the songs under a folder and its subfolders for the playlist. An
// MP3+G pair or a song with lyrics beside it is one entry (the song); a zip
// archive is one entry when it holds a song.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace cx {

// More songs than this are not gathered (the playlist could not hold them).
inline constexpr std::size_t kMaxFolderSongs = 100000;
// Deeper folders are not entered (a guard against odd mounts).
inline constexpr int kMaxFolderDepth = 32;
// Progress is reported after this many files.
inline constexpr std::size_t kFolderProgressEvery = 64;

struct FolderScanResult {
    std::vector<std::string> Songs;  // sorted by path
    std::size_t FilesSeen = 0;
    bool Cancelled = false;
    bool Capped = false;  // stopped at kMaxFolderSongs
    std::string Error;    // the folder itself could not be read
};

struct FolderScanHooks {
    // Whether a .zip holds a song; every .zip is taken when unset.
    std::function<bool(const std::string& zipPath)> zipHoldsSong;
    // Called every kFolderProgressEvery files (on the scanning thread).
    std::function<void(std::size_t filesSeen, std::size_t songsFound)> progress;
};

// Runs on any thread; stops soon after `cancel` becomes true. Symbolic links
// to folders are not followed, so a link loop cannot trap the scan.
FolderScanResult ScanSongFolder(const std::string& folder, const std::atomic<bool>& cancel,
                                const FolderScanHooks& hooks = {});

}  // namespace cx
