#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

std::string WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    // A song unpacked from a zip: the change would vanish with the unpacked copy.
    if (std::string refusal = ArchiveWriteRefusal(path); !refusal.empty()) return refusal;
    fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string tmpl = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return "cannot create a temporary file beside " + path.string();

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
            ::close(fd);
            ::unlink(tmpl.c_str());
            return "cannot write " + path.string() + ": " + std::strerror(errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        ::unlink(tmpl.c_str());
        return "cannot flush " + path.string();
    }
    if (std::rename(tmpl.c_str(), path.c_str()) != 0) {
        ::unlink(tmpl.c_str());
        return "cannot replace " + path.string() + ": " + std::strerror(errno);
    }
    return {};
}

}  // namespace cx
