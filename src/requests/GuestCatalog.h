// What the request page may learn of the song library: ids, artist, title,
// kind and length. Never a path or a folder name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cx {

struct GuestSong {
    std::int64_t id = 0;  // the song library's id
    std::string artist;
    std::string title;
    std::string kind;  // "audio", "cdg" or "midi"
    std::int64_t lengthMs = 0;
};

// Called on the server's threads, several at once: implementations are
// thread-safe and never touch the window's objects.
class GuestCatalog {
public:
    virtual ~GuestCatalog() = default;
    virtual std::vector<GuestSong> Search(std::string_view text, std::size_t limit) = 0;
    virtual std::optional<GuestSong> Song(std::int64_t id) = 0;
};

}  // namespace cx
