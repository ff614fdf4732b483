#include "platform/PrivateTemp.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace cx {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kFolderPrefix = "cantabilex-";
constexpr std::size_t kFolderSuffixLength = 6;  // the "XXXXXX" of mkdtemp

// Our own folders of earlier runs that no running process holds locked.
void RemoveOrphanFolders(const fs::path& base, const fs::path& own) {
    std::error_code ec;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        const std::string name = p.filename().string();
        if (p == own || name.size() != kFolderPrefix.size() + kFolderSuffixLength ||
            !name.starts_with(kFolderPrefix))
            continue;
        const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        const bool orphan =
            ::fstat(fd, &st) == 0 && st.st_uid == ::getuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (orphan) {
            std::error_code removeError;
            fs::remove_all(p, removeError);
        }
        ::close(fd);
    }
}

}  // namespace

PrivateTemp::PrivateTemp() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string tmpl = (base / (std::string(kFolderPrefix) + "XXXXXX")).string();
    if (::mkdtemp(tmpl.data()) == nullptr) return;  // mkdtemp makes it 0700
    m_folder = tmpl;
    m_lockFd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_lockFd >= 0) ::flock(m_lockFd, LOCK_EX);
    RemoveOrphanFolders(base, m_folder);
}

PrivateTemp::~PrivateTemp() {
    if (m_folder.empty()) return;
    std::error_code ec;
    fs::remove_all(m_folder, ec);
    if (m_lockFd >= 0) ::close(m_lockFd);
}

}  // namespace cx
