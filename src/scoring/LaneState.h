// What the pitch lane shows at one moment: the current line's notes, how
// much of each was sung right, and the singer's pitch folded into the
// notes' octave.
#pragma once

#include <string>
#include <vector>

#include "lyrics/SungNotes.h"
#include "scoring/Scorer.h"

namespace cx {

// Trace points kept for one line: a minute of 10 ms hops.
inline constexpr std::size_t kMaxLaneTrace = 6000;

struct LanePoint {
    double Time = 0;  // song seconds
    float Pitch = 0;  // folded; 0 where the singer was silent
};

struct LaneState {
    std::vector<SungNote> Notes;  // the current line
    std::vector<double> Share;    // of each note sung right, 0..1
    std::vector<LanePoint> Trace;
    double From = 0;  // the line's span on the lane
    double To = 1;
    double Now = 0;
    int Total = 0;          // points so far
    std::string TotalText;  // what the corner shows; the number when empty
    std::string Verdict;    // of the line just sung, for a moment; translated
    // After the last note: the song's chart, one share (0..1) a line.
    bool Finished = false;
    std::vector<double> LineShares;
};

// A sung frame placed in the song.
struct SongFrame {
    double Time = 0;
    float Pitch = 0;
};

// The lane at `now`: the line sounding then (or the next one to come), with
// the frames of `sung` that fall in it.
LaneState LaneAt(const Scorer& scorer, const std::vector<SongFrame>& sung, double now);

}  // namespace cx
