// Registers the ".lrs" lyrics file type with the desktop (shared MIME info
// and a desktop entry in the user's XDG data folder).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace cx {

enum class FileTypeRegistration { AlreadyRegistered, Registered, Failed };

inline constexpr char kLyricsMimeType[] = "application/x-cantabilex-lrs";
// The desktop entry an installed package provides (with icon and every song type).
inline constexpr char kInstalledDesktopEntry[] = "com.sonoferia.Cantabilex.desktop";

// The system data folders of the desktop ($XDG_DATA_DIRS or its default).
std::vector<std::filesystem::path> SystemDataDirs();

// Writes the registration only when none exists yet, so a registration the
// user changed is never overwritten, and not at all when a package installed
// the program's entry in one of `systemDataDirs` (a second entry of our own
// would show the program twice in the menu). `extension` is like ".lrs".
FileTypeRegistration RegisterLyricsFileType(
    const std::filesystem::path& dataHome, const std::string& extension,
    const std::string& description, const std::filesystem::path& programPath,
    const std::vector<std::filesystem::path>& systemDataDirs = SystemDataDirs());

}  // namespace cx
