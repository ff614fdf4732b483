// What the library keeps of one song file, read through the program's own
// readers: kind, artist and title (tags, a KAR file's title lines, else the
// file name), and length.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "library/LibrarySong.h"
#include "library/SongNames.h"

namespace cx {

class SiblingFinder;

struct SongFacts {
    LibrarySongKind Kind = LibrarySongKind::Audio;
    std::string Artist;
    std::string Title;
    std::int64_t LengthMs = 0;
};

// The library's kind of a song file (by extension; an audio file with a .cdg
// beside it is a CD+G song). nullopt for a file that is not a song itself
// (a lyrics or graphics file stands beside its song). A scan passes its
// `siblings` so that each folder is listed once.
std::optional<LibrarySongKind> LibraryKindOf(const std::string& path,
                                             SiblingFinder* siblings = nullptr);

SongFacts ReadSongFacts(const std::string& path, LibrarySongKind kind, NamePattern pattern);

// The words of a file's name and folder that search also looks at.
std::string NameWords(const std::string& path);

}  // namespace cx
