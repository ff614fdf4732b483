// The song library as the request page sees it: ids, names and kinds, never
// a path. Searched on the server's threads through its own connections to
// the library file (WAL lets the Library window go on), opened on first use.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "requests/GuestCatalog.h"

namespace cx {

class SongLibrary;

// Connections searched at once; more callers wait for one to be free. A
// search is CPU work: more at once only take the cores the sound and the
// window need, and make every search slower (measured with 200 guests).
inline constexpr std::size_t kMaxCatalogConnections = 2;

class LibraryCatalog final : public GuestCatalog {
public:
    explicit LibraryCatalog(std::string databasePath);
    ~LibraryCatalog() override;

    std::vector<GuestSong> Search(std::string_view text, std::size_t limit) override;
    std::optional<GuestSong> Song(std::int64_t id) override;

private:
    // A connection for this caller alone; null when the library cannot open.
    std::unique_ptr<SongLibrary> Borrow();
    void GiveBack(std::unique_ptr<SongLibrary> library);

    std::string m_path;
    std::mutex m_mutex;
    std::condition_variable m_freed;
    std::vector<std::unique_ptr<SongLibrary>> m_idle;
    std::size_t m_open = 0;  // connections made, idle or lent
};

}  // namespace cx
