#include "app/LyricsFileType.h"

#include <system_error>

#include "platform/AtomicFile.h"

namespace cx {
namespace fs = std::filesystem;
namespace {

std::string XmlEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string MimePackage(const std::string& extension, const std::string& description) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           std::string(kLyricsMimeType) +
           "\">\n"
           "    <comment>" +
           XmlEscape(description) +
           "</comment>\n"
           "    <glob pattern=\"*" +
           XmlEscape(extension) +
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

}  // namespace

FileTypeRegistration RegisterLyricsFileType(const fs::path& dataHome, const std::string& extension,
                                            const std::string& description,
                                            const fs::path& programPath) {
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
