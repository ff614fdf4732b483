// A karaoke-shaped CD+G song of any length for the frame benchmarks: a page
// of four lines every twelve seconds, whose syllables turn colour a few
// times a second, and a border colour that changes with every page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CdgWriter.h"

namespace cx::bench {

inline std::vector<std::uint8_t> KaraokeCdgSong(double seconds) {
    using namespace cdgwrite;
    constexpr double kPageSeconds = 12.0;
    constexpr double kSyllableSeconds = 0.3;
    constexpr int kRows[] = {2, 6, 10, 14};
    const char* const words[] = {"Hold the line",  "sing it loud",  "under city lights",
                                 "all night long", "one more time", "we carry on",
                                 "stars above us", "hearts in tune"};
    CdgWriter w;
    w.Colors(0, {0x004, 0xFFF, 0xFD0, 0xF80, 0x0CF, 0x8AF, 0x226, 0x000},
             {0xF00, 0xF80, 0xFF0, 0x0F0, 0x0FF, 0x00F, 0x80F, 0xF0F});
    int page = 0;
    for (double t = 0; t + kPageSeconds <= seconds + 1e-9; t += kPageSeconds, ++page) {
        w.MemoryPreset(t, 0, 2);
        w.BorderPreset(t, static_cast<std::uint8_t>(8 + page % 8));
        std::vector<std::string> lines;
        for (int i = 0; i < 4; ++i) {
            lines.push_back(words[(page * 3 + i) % 8]);
            const int column = 1 + 3 * i;
            w.Text(t, kRows[i], column, lines.back(), 1, 0, 2);
        }
        // Syllables of three letters turn yellow in order across the page.
        double at = t + 1.0;
        for (int i = 0; i < 4; ++i) {
            const int column = 1 + 3 * i;
            for (std::size_t k = 0; k < lines[i].size() && at < t + kPageSeconds - 0.5;
                 k += 3, at += kSyllableSeconds) {
                w.Recolor(at, kRows[i], column + static_cast<int>(k) * 2, lines[i].substr(k, 3), 1,
                          2, 2);
            }
        }
    }
    w.Extend(seconds);
    return w.Bytes();
}

}  // namespace cx::bench
