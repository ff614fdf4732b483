// A song library of made-up songs for the guest calls' tests, benchmark and
// fuzzer: song n is "Artist n % 50" / "Title n", ids from 1.
#pragma once

#include <algorithm>
#include <string>

#include "requests/GuestCatalog.h"

namespace cx {

class FakeGuestCatalog : public GuestCatalog {
public:
    explicit FakeGuestCatalog(std::int64_t songs = 100) : m_songs(songs) {
        for (std::int64_t id = 1; id <= songs; ++id) {
            const GuestSong song = Make(id);
            m_texts.push_back(song.artist + " " + song.title);
        }
    }

    std::vector<GuestSong> Search(std::string_view text, std::size_t limit) override {
        std::vector<GuestSong> found;
        for (std::size_t i = 0; i < m_texts.size() && found.size() < limit; ++i)
            if (m_texts[i].find(text) != std::string::npos)
                found.push_back(Make(static_cast<std::int64_t>(i) + 1));
        return found;
    }
    std::optional<GuestSong> Song(std::int64_t id) override {
        if (id < 1 || id > m_songs) return std::nullopt;
        return Make(id);
    }

    static GuestSong Make(std::int64_t id) {
        static const char* const kKinds[] = {"audio", "cdg", "midi"};
        return {id, "Artist " + std::to_string(id % 50), "Title " + std::to_string(id),
                kKinds[id % 3], 180'000 + id};
    }

private:
    std::int64_t m_songs;
    std::vector<std::string> m_texts;
};

}  // namespace cx
