// Lyric pieces written out in one line, so that a test compares them whole.
#pragma once

#include <string>
#include <vector>

#include "lyrics/LyricsModel.h"

namespace cx::test {

// Pieces 1..N, each followed by "/" when it ends its line and "|" when not:
// "Hel|lo /world|" is two pieces on a line, then one more without a break.
inline std::string PieceTexts(const PieceArray& p) {
    std::string out;
    for (std::size_t i = 1; i < p.size(); ++i) out += p[i].PieceText + (p[i].LineBreak ? "/" : "|");
    return out;
}

// Each line's text once, with "/" after it; a piece whose text differs from
// the one before starts a line.
inline std::string LineTexts(const PieceArray& p) {
    std::string out;
    for (std::size_t i = 1; i < p.size(); ++i)
        if (i == 1 || p[i].LineText != p[i - 1].LineText || p[i - 1].LineBreak)
            out += p[i].LineText + "/";
    return out;
}

// The same text with every CR LF replaced by `end`.
inline std::string WithLineEnds(const std::string& text, const std::string& end) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            out += end;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

inline std::vector<double> StartTimes(const PieceArray& p) {
    std::vector<double> out;
    for (std::size_t i = 1; i < p.size(); ++i) out.push_back(p[i].StartTime);
    return out;
}

}  // namespace cx::test
