#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/ReadOnlyFolders.h"

namespace cx {
namespace fs = std::filesystem;

ReadResult ReadWholeFile(const fs::path& path, std::size_t maxBytes) {
    ReadResult result;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        result.error = "cannot open " + path.string() + ": " + std::strerror(errno);
        return result;
    }
    std::string data;
    char buf[65536];
    for (;;) {
        size_t n = std::fread(buf, 1, sizeof buf, f);
        if (n == 0) break;
        if (data.size() + n > maxBytes) {
            std::fclose(f);
            result.error = "file too large: " + path.string();
            return result;
        }
        data.append(buf, n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        result.error = "cannot read " + path.string();
        return result;
    }
    result.bytes = std::move(data);
    return result;
}

ReadResult ReadFileTail(const fs::path& path, std::size_t maxBytes, bool* wholeFile) {
    ReadResult result;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        result.error.append("cannot open ").append(path.string()).append(": ").append(
            std::strerror(errno));
        return result;
    }
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    const std::size_t take = ec ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(size, maxBytes));
    std::string data(take, '\0');
    const bool seeked = std::fseek(f, -static_cast<long>(take), SEEK_END) == 0;
    const std::size_t got = seeked && take ? std::fread(data.data(), 1, take, f) : 0;
    const bool failed = ec || !seeked || got != take;
    std::fclose(f);
    if (failed) {
        result.error.append("cannot read ").append(path.string());
        return result;
    }
    if (wholeFile) *wholeFile = take == size;
    result.bytes = std::move(data);
    return result;
}

namespace {

constexpr std::size_t kTempSuffixLength = 6;  // the "XXXXXX" of mkstemp

// Temporary files are named "." + the target's name + "." + six characters.
std::string TempPrefix(const fs::path& path) {
    return "." + path.filename().string() + ".";
}

// Removes temporary files that a killed writer left beside `path`. A writer
// at work holds a lock on its temporary file, so only orphans can be locked
// here; at worst a writer that has just created its file loses it and reports
// a failed save, leaving the target as it was.
void RemoveStaleTemps(const fs::path& dir, const fs::path& path) {
    const std::string prefix = TempPrefix(path);
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + kTempSuffixLength || !name.starts_with(prefix)) continue;
        const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(it->path().c_str());
        ::close(fd);
    }
}

// Makes the rename itself durable; a failure here leaves a correct file.
void SyncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    // A song unpacked from a zip: the change would vanish with the unpacked copy.
    if (std::string refusal = ArchiveWriteRefusal(path); !refusal.empty()) return refusal;
    fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string tmpl = (dir / (TempPrefix(path) + std::string(kTempSuffixLength, 'X'))).string();
    int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) return "cannot create a temporary file beside " + path.string();
    // Held until the rename: marks the file as in use for RemoveStaleTemps.
    ::flock(fd, LOCK_EX);
    RemoveStaleTemps(dir, path);

    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        ::fchmod(fd, st.st_mode & 07777);
    else
        ::fchmod(fd, 0644);

    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const std::string why = std::strerror(errno);
            ::unlink(tmpl.c_str());
            ::close(fd);
            return "cannot write " + path.string() + ": " + why;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    // The data must be on disk before the rename makes it the file.
    if (::fsync(fd) != 0) {
        ::unlink(tmpl.c_str());
        ::close(fd);
        return "cannot flush " + path.string();
    }
    if (std::rename(tmpl.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(tmpl.c_str());
        ::close(fd);
        return "cannot replace " + path.string() + ": " + why;
    }
    ::close(fd);
    SyncFolder(dir);
    return {};
}

}  // namespace cx
