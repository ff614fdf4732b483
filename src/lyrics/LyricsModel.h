// The timed lyrics model every lyrics source is read into.
#pragma once

#include <string>
#include <vector>

namespace cx {

// One timed unit of a line: a syllable, a word or the whole line. Texts are UTF-8.
struct LyricPiece {
    std::string LineText;   // the whole line this piece belongs to
    std::string PieceText;  // exactly what is sung and highlighted, spaces included
    double StartTime = 0;   // seconds from the start of the song
    bool LineBreak = false;  // last piece of its line
};

// Element 0 of Lyrics is a placeholder that is never shown; pieces are 1..N.
struct LyricsModel {
    std::vector<LyricPiece> Lyrics = std::vector<LyricPiece>(1);
    std::string LyricsHeader;
    std::string WidestLine;
    int CurrentPiece = 0;
    bool KokTiming = false;

    int UpperBound() const { return static_cast<int>(Lyrics.size()) - 1; }
    bool HasLyrics() const { return Lyrics.size() > 1; }
};

}  // namespace cx
