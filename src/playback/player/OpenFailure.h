// Why a song could not be opened, in the words the user needs: the file is
// gone, it may not be read, or it is not a song this player plays.
#pragma once

#include <string>

namespace cx {

// AudioMissing: a sing-along song file whose audio is not where it says.
enum class OpenFailure { NotFound, NoPermission, NotASong, AudioMissing };

// Looks at the file again after a failed open.
OpenFailure DiagnoseOpenFailure(const std::string& path);

// The translation key of the reason.
const char* OpenFailureKey(OpenFailure failure);

// The decoder's own detail, worth showing after "not a song" only when it
// says more than the file's name.
std::string OpenFailureDetail(const std::string& path, const std::string& detail);

}  // namespace cx
