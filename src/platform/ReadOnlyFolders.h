// Folders whose files stand for a file elsewhere that cannot be changed in
// place: a song unpacked from a zip archive. Every write through
// WriteFileAtomically into such a folder is refused with a message that says
// where the file can be saved instead, so nothing is written where it would
// silently be lost.
#pragma once

#include <filesystem>
#include <string>

namespace cx {

// Marks `folder` as holding the members of `archive`.
void MarkReadOnlyFolder(const std::filesystem::path& folder, const std::filesystem::path& archive);
void UnmarkReadOnlyFolder(const std::filesystem::path& folder);

// The archive a file stands for; empty when the path is an ordinary file.
std::filesystem::path ArchiveOf(const std::filesystem::path& path);

// Where a file meant for `path` can be kept: the same name beside the archive.
// `path` itself when it is an ordinary file.
std::filesystem::path BesideArchive(const std::filesystem::path& path);

// Why `path` cannot be written (naming BesideArchive), empty when it can.
std::string ArchiveWriteRefusal(const std::filesystem::path& path);

}  // namespace cx
