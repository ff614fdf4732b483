#include "app/LibraryCatalog.h"

#include "library/SongLibrary.h"

namespace cx {
namespace {

GuestSong ToGuest(const LibrarySong& song) {
    return {song.Id, song.Artist, song.Title, KindName(song.Kind), song.LengthMs};
}

}  // namespace

LibraryCatalog::LibraryCatalog(std::string databasePath) : m_path(std::move(databasePath)) {}

LibraryCatalog::~LibraryCatalog() = default;

std::unique_ptr<SongLibrary> LibraryCatalog::Borrow() {
    std::unique_lock lock(m_mutex);
    m_freed.wait(lock, [this] { return !m_idle.empty() || m_open < kMaxCatalogConnections; });
    if (!m_idle.empty()) {
        auto library = std::move(m_idle.back());
        m_idle.pop_back();
        return library;
    }
    ++m_open;
    lock.unlock();
    auto library = std::make_unique<SongLibrary>(m_path);
    if (library->Open()) return library;
    // Tried again by the next caller: the library may not exist yet.
    lock.lock();
    --m_open;
    m_freed.notify_one();
    return nullptr;
}

void LibraryCatalog::GiveBack(std::unique_ptr<SongLibrary> library) {
    const std::lock_guard lock(m_mutex);
    m_idle.push_back(std::move(library));
    m_freed.notify_one();
}

std::vector<GuestSong> LibraryCatalog::Search(std::string_view text, std::size_t limit) {
    auto library = Borrow();
    if (!library) return {};
    std::vector<GuestSong> found;
    // A song whose file is gone cannot be sung.
    for (const LibrarySong& song : library->Search(text, limit, true))
        found.push_back(ToGuest(song));
    GiveBack(std::move(library));
    return found;
}

std::optional<GuestSong> LibraryCatalog::Song(std::int64_t id) {
    auto library = Borrow();
    if (!library) return std::nullopt;
    const std::optional<LibrarySong> song = library->SongById(id);
    GiveBack(std::move(library));
    if (!song || song->Missing) return std::nullopt;
    return ToGuest(*song);
}

}  // namespace cx
