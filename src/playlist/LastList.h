// Moving songs between the list and playlist files, and the list kept between runs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "playlist/FlatListModel.h"
#include "playlist/PlaylistFile.h"

namespace cx {

// The entries of the list in order (the time "mm:ss" becomes seconds).
std::vector<PlaylistEntry> EntriesOf(const FlatListModel& list);

// Display text for a file without tags: its name without folder and extension.
std::string BaseNameOf(const std::string& path);

// Appends entries; one without a title shows its base name. Returns how many were added.
int AppendEntries(FlatListModel& list, const std::vector<PlaylistEntry>& entries);

// Writes the list as "Cantabilex.ini" in `folder` (created when missing).
// An empty list is written too, so a list the user cleared stays cleared.
// Returns an empty string on success.
std::string SaveLastList(const std::filesystem::path& folder, const FlatListModel& list);

// Reads the kept list; a missing file gives an empty result without error.
// A list that cannot be read whole is moved aside (".unread"), so the list
// saved at the end of the run does not overwrite it; the error says where.
PlaylistParseResult LoadLastList(const std::filesystem::path& folder);

}  // namespace cx
