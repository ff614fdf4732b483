// What the host window asks of a song library: songs matching typed text.
// The library plugs its search in here; without one the search box is off.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cx {

struct FoundSong {
    std::string path;
    std::string artist;
    std::string title;
    std::int64_t lengthMs = 0;
    std::int64_t libraryId = 0;
};

class SongFinder {
public:
    virtual ~SongFinder() = default;
    // Best matches first, at most `limit`.
    virtual std::vector<FoundSong> Find(const std::string& text, std::size_t limit) = 0;
};

}  // namespace cx
