#include "app/LibraryFinder.h"

#include "library/SongLibrary.h"

namespace cx {

LibraryFinder::LibraryFinder(std::string databasePath) : m_path(std::move(databasePath)) {}

LibraryFinder::~LibraryFinder() = default;

bool LibraryFinder::OpenLibrary() {
    if (m_library) return true;
    auto library = std::make_unique<SongLibrary>(m_path);
    if (!library->Open()) return false;  // tried again at the next search
    m_library = std::move(library);
    return true;
}

std::string LibraryFinder::PathOf(std::int64_t libraryId) {
    if (!OpenLibrary()) return {};
    const auto song = m_library->SongById(libraryId);
    return song && !song->Missing ? song->Path : std::string();
}

std::vector<FoundSong> LibraryFinder::Find(const std::string& text, std::size_t limit) {
    if (!OpenLibrary()) return {};
    std::vector<FoundSong> found;
    // A host cannot queue a song that is gone.
    for (const LibrarySong& song : m_library->Search(text, limit, true))
        found.push_back({song.Path, song.Artist, song.Title, song.LengthMs, song.Id});
    return found;
}

}  // namespace cx
