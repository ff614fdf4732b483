#include "scoring/LaneState.h"

#include <algorithm>
#include <cmath>

namespace cx {
namespace {

// The line on the lane: the one sounding at `now`, else the next, else the last.
int LineAt(const SungNotes& notes, double now) {
    int last = -1;
    for (const SungNote& n : notes.Notes) {
        if (n.StartTime + n.Length >= now) return n.Line;
        last = n.Line;
    }
    return last;
}

// The note at `t` on the line, or the nearest one, whose octave the trace takes.
int NearestPitch(const std::vector<SungNote>& line, double t) {
    const SungNote* best = &line.front();
    double bestGap = 1e300;
    for (const SungNote& n : line) {
        const double gap = t < n.StartTime              ? n.StartTime - t
                           : t > n.StartTime + n.Length ? t - n.StartTime - n.Length
                                                        : 0.0;
        if (gap < bestGap) {
            bestGap = gap;
            best = &n;
        }
    }
    return best->Pitch;
}

}  // namespace

LaneState LaneAt(const Scorer& scorer, const std::vector<SongFrame>& sung, double now) {
    LaneState lane;
    lane.Now = now;
    lane.Total = scorer.Total();
    const SungNotes& notes = scorer.Notes();
    const int line = LineAt(notes, now);
    if (line < 0) return lane;
    for (std::size_t i = 0; i < notes.Notes.size(); ++i) {
        const SungNote& n = notes.Notes[i];
        if (n.Line != line) continue;
        lane.Notes.push_back(n);
        lane.Share.push_back(scorer.NoteShare(i));
    }
    if (lane.Notes.empty()) return lane;
    lane.From = lane.Notes.front().StartTime;
    lane.To = lane.From;
    for (const SungNote& n : lane.Notes) lane.To = std::max(lane.To, n.StartTime + n.Length);
    auto first = std::lower_bound(sung.begin(), sung.end(), lane.From,
                                  [](const SongFrame& f, double t) { return f.Time < t; });
    for (auto it = first; it != sung.end() && it->Time <= std::min(now, lane.To); ++it) {
        if (lane.Trace.size() >= kMaxLaneTrace) break;
        const float p =
            it->Pitch > 0
                ? static_cast<float>(FoldIntoOctave(it->Pitch, NearestPitch(lane.Notes, it->Time)))
                : 0.0f;
        lane.Trace.push_back({it->Time, p});
    }
    return lane;
}

}  // namespace cx
