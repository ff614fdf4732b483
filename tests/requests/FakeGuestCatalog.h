// A song library of made-up songs for the guest calls' tests, benchmark and
// fuzzer: song n is "Artist n % 50" / "Title n", ids from 1.
#pragma once

#include <algorithm>
#include <string>

#include "requests/GuestCatalog.h"

namespace cx {

class FakeGuestCatalog : public GuestCatalog {
public:
    explicit FakeGuestCatalog(std::int64_t songs = 100) : m_songs(songs) {}

    std::vector<GuestSong> Search(std::string_view text, std::size_t limit) override {
        std::vector<GuestSong> found;
        for (std::int64_t id = 1; id <= m_songs && found.size() < limit; ++id) {
            GuestSong song = Make(id);
            if ((song.artist + " " + song.title).find(text) != std::string::npos) found.push_back(song);
        }
        return found;
    }
    std::optional<GuestSong> Song(std::int64_t id) override {
        if (id < 1 || id > m_songs) return std::nullopt;
        return Make(id);
    }

    static GuestSong Make(std::int64_t id) {
        static const char* const kKinds[] = {"audio", "cdg", "midi"};
        return {id, "Artist " + std::to_string(id % 50), "Title " + std::to_string(id), kKinds[id % 3],
                180'000 + id};
    }

private:
    std::int64_t m_songs;
};

}  // namespace cx
