// The host window's song search over the song library: its own connection to
// the library file, opened on the first search so that nothing of the library
// opens at start-up.
#pragma once

#include <memory>
#include <string>

#include "host/SongFinder.h"

namespace cx {

class SongLibrary;

class LibraryFinder : public SongFinder {
public:
    explicit LibraryFinder(std::string databasePath);
    ~LibraryFinder() override;

    std::vector<FoundSong> Find(const std::string& text, std::size_t limit) override;
    // The file of a library song; empty when unknown or gone.
    std::string PathOf(std::int64_t libraryId);

private:
    bool OpenLibrary();

    std::string m_path;
    std::unique_ptr<SongLibrary> m_library;  // null until the first search
};

}  // namespace cx
