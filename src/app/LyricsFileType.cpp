#include "app/LyricsFileType.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/MarkupEscape.h"

namespace cx {
namespace fs = std::filesystem;
namespace {

std::string MimePackage(const std::string& extension, const std::string& description) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           std::string(kLyricsMimeType) +
           "\">\n"
           "    <comment>" +
           EscapeMarkup(description) +
           "</comment>\n"
           "    <glob pattern=\"*" +
           EscapeMarkup(extension) +
           "\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string DesktopEntry(const fs::path& programPath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Cantabilex\n"
           "Comment=Karaoke player\n"
           "Exec=\"" +
           programPath.string() +
           "\" %f\n"
           "MimeType=" +
           std::string(kLyricsMimeType) +
           ";\n"
           "Terminal=false\n"
           "Categories=AudioVideo;Audio;Player;\n";
}

bool InstalledSystemWide(const std::vector<fs::path>& systemDataDirs) {
    std::error_code ec;
    for (const fs::path& dir : systemDataDirs) {
        if (fs::exists(dir / "applications" / kInstalledDesktopEntry, ec)) return true;
    }
    return false;
}

}  // namespace

std::vector<fs::path> SystemDataDirs() {
    const char* env = std::getenv("XDG_DATA_DIRS");
    const std::string dirs = (env && *env) ? env : "/usr/local/share:/usr/share";
    std::vector<fs::path> out;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        if (end > start) out.emplace_back(dirs.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

FileTypeRegistration RegisterLyricsFileType(const fs::path& dataHome, const std::string& extension,
                                            const std::string& description,
                                            const fs::path& programPath,
                                            const std::vector<fs::path>& systemDataDirs) {
    if (InstalledSystemWide(systemDataDirs)) return FileTypeRegistration::AlreadyRegistered;
    const fs::path mimeFile = dataHome / "mime" / "packages" / "cantabilex-lrs.xml";
    std::error_code ec;
    if (fs::exists(mimeFile, ec) && fs::file_size(mimeFile, ec) > 0) {
        return FileTypeRegistration::AlreadyRegistered;
    }
    fs::create_directories(mimeFile.parent_path(), ec);
    fs::create_directories(dataHome / "applications", ec);
    const fs::path desktopFile = dataHome / "applications" / "cantabilex.desktop";
    if (!WriteFileAtomically(mimeFile, MimePackage(extension, description)).empty()) {
        return FileTypeRegistration::Failed;
    }
    if (!fs::exists(desktopFile, ec) &&
        !WriteFileAtomically(desktopFile, DesktopEntry(programPath)).empty()) {
        return FileTypeRegistration::Failed;
    }
    return FileTypeRegistration::Registered;
}

}  // namespace cx
