// The libraries the player is built on, with their versions, for the about box.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace cx {

// Name and version of each library; `soundFont` names the SoundFont the MIDI
// synthesiser uses (empty: none found).
std::vector<std::pair<std::string, std::string>> LibraryVersions(const std::string& soundFont);

}  // namespace cx
