// Registers the ".lrs" lyrics file type with the desktop (shared MIME info
// and a desktop entry in the user's XDG data folder).
#pragma once

#include <filesystem>
#include <string>

namespace cx {

enum class FileTypeRegistration { AlreadyRegistered, Registered, Failed };

inline constexpr char kLyricsMimeType[] = "application/x-cantabilex-lrs";

// Writes the registration only when none exists yet, so a registration the
// user changed is never overwritten. `extension` is like ".lrs".
FileTypeRegistration RegisterLyricsFileType(const std::filesystem::path& dataHome,
                                            const std::string& extension,
                                            const std::string& description,
                                            const std::filesystem::path& programPath);

}  // namespace cx
