#include "platform/ReadOnlyFolders.h"

#include <mutex>
#include <vector>

namespace cx {
namespace fs = std::filesystem;
namespace {

struct Marked {
    fs::path folder;
    fs::path archive;
};

std::mutex& Lock() {
    static std::mutex m;
    return m;
}

std::vector<Marked>& MarkedFolders() {
    static std::vector<Marked> folders;
    return folders;
}

// Compares lexically normalised absolute paths, so "dir/./x" and "dir/x" agree.
fs::path Normal(const fs::path& p) {
    std::error_code ec;
    fs::path abs = fs::absolute(p, ec);
    return (ec ? p : abs).lexically_normal();
}

bool Inside(const fs::path& file, const fs::path& folder) {
    const fs::path rel = file.lexically_relative(folder);
    return !rel.empty() && *rel.begin() != ".." && rel != ".";
}

}  // namespace

void MarkReadOnlyFolder(const fs::path& folder, const fs::path& archive) {
    std::lock_guard lock(Lock());
    MarkedFolders().push_back({Normal(folder), Normal(archive)});
}

void UnmarkReadOnlyFolder(const fs::path& folder) {
    std::lock_guard lock(Lock());
    const fs::path normal = Normal(folder);
    std::erase_if(MarkedFolders(), [&](const Marked& m) { return m.folder == normal; });
}

fs::path ArchiveOf(const fs::path& path) {
    const fs::path normal = Normal(path);
    std::lock_guard lock(Lock());
    for (const Marked& m : MarkedFolders()) {
        if (Inside(normal, m.folder)) return m.archive;
    }
    return {};
}

fs::path BesideArchive(const fs::path& path) {
    const fs::path archive = ArchiveOf(path);
    if (archive.empty()) return path;
    return archive.parent_path() / path.filename();
}

std::string ArchiveWriteRefusal(const fs::path& path) {
    const fs::path archive = ArchiveOf(path);
    if (archive.empty()) return {};
    return path.filename().string() + " belongs to the zip archive " + archive.string() +
           " and cannot be changed inside it; save it beside the archive as " +
           BesideArchive(path).string();
}

}  // namespace cx
