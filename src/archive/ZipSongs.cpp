#include "archive/ZipSongs.h"

#include <deque>
#include <mutex>

#include "archive/ZipSong.h"
#include "platform/PrivateTemp.h"
#include "platform/ReadOnlyFolders.h"

namespace cx {
namespace fs = std::filesystem;
namespace {

struct Unpacked {
    fs::path zip;
    fs::file_time_type modified;
    std::uintmax_t size = 0;
    fs::path folder;
    fs::path song;
};

struct State {
    std::mutex lock;
    PrivateTemp temp;
    std::deque<Unpacked> unpacked;
    unsigned long counter = 0;
    // No unmarking at exit: the marks may be gone first; the folder goes anyway.
};

State& Zips() {
    static State state;
    return state;
}

void Forget(const Unpacked& u) {
    UnmarkReadOnlyFolder(u.folder);
    std::error_code ec;
    fs::remove_all(u.folder, ec);
}

}  // namespace

bool IsZipPath(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.size() - dot != 4) return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(c | 0x20);
    return ext == "zip";
}

std::string OpenZipSong(const std::string& zipPath, std::string& error) {
    std::error_code ec;
    const fs::path zip = fs::absolute(zipPath, ec).lexically_normal();
    const auto modified = fs::last_write_time(zip, ec);
    const std::uintmax_t size = ec ? 0 : fs::file_size(zip, ec);
    if (ec) {
        error = "file not found: " + zipPath;
        return {};
    }
    State& state = Zips();
    std::lock_guard guard(state.lock);
    for (const Unpacked& u : state.unpacked) {
        if (u.zip == zip && u.modified == modified && u.size == size &&
            fs::exists(u.song, ec)) {
            return u.song.string();
        }
    }
    if (state.temp.Folder().empty()) {
        error = "cannot create a private temporary folder";
        return {};
    }
    const fs::path folder = state.temp.File("zip" + std::to_string(++state.counter));
    fs::create_directory(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string();
        return {};
    }
    const ZipUnpacked result = UnpackZipSong(zip, folder);
    if (!result.Ok) {
        fs::remove_all(folder, ec);
        error = result.Reason;
        return {};
    }
    MarkReadOnlyFolder(folder, zip);
    state.unpacked.push_back({zip, modified, size, folder, result.Song});
    while (state.unpacked.size() > kMaxUnpackedZipSongs) {
        Forget(state.unpacked.front());
        state.unpacked.pop_front();
    }
    return result.Song.string();
}

}  // namespace cx
