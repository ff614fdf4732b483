// The notes a singer is meant to sing: written in a sing-along song file, or
// found under the words of a MIDI song. Scoring and the pitch lane read them;
// the karaoke display keeps showing the pieces of the lyrics model.
#pragma once

#include <cstdint>
#include <vector>

namespace cx {

enum class NoteKind : std::uint8_t {
    Normal,
    Golden,     // counts double
    Freestyle,  // shown, never scored
    Rap,        // scored by timing only, not pitch
    RapGolden,
};

struct SungNote {
    double StartTime = 0;  // seconds from the start of the song, as pieces
    double Length = 0;     // seconds
    int Pitch = 60;        // MIDI note number (60 = middle C)
    NoteKind Kind = NoteKind::Normal;
    int Line = 0;     // 0-based index of the sung line (phrase) it belongs to
    int Piece = 0;    // the lyrics model's piece (1..N) it lights, 0 when none
    int Singer = 0;   // 0 for a solo song; 1 or 2 in a duet
};

// All notes of a song in start order; empty when the song has none.
struct SungNotes {
    std::vector<SungNote> Notes;
    int LineCount = 0;

    bool Empty() const { return Notes.empty(); }
};

// More notes than any real song has; readers stop there.
inline constexpr std::size_t kMaxSungNotes = 100000;

}  // namespace cx
