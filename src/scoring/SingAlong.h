// One song sung along: the notes, the scorer and the trace of what was sung
// so far. The window's thread drives it on every playback tick with the
// frames the live tracker has ready; it never waits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scoring/LaneState.h"
#include "scoring/LivePitch.h"
#include "scoring/Scorer.h"

namespace cx {

// The chart of the whole song shows this long after its last note.
inline constexpr double kChartAfterSeconds = 1.0;
// A line's verdict stays on the lane this long after the line ends.
inline constexpr double kVerdictSeconds = 2.5;
// Trace points kept for a whole song: an hour of 10 ms hops.
inline constexpr std::size_t kMaxSungFrames = 360000;

// What a song sung along came to.
struct SongScore {
    int Total = 0;
    std::vector<LineScore> Lines;
    std::string TotalText;  // what the chart heads with; the number when empty
};

class SingAlong {
public:
    // A new song: its notes (empty: nothing to sing against).
    void Begin(SungNotes notes, Difficulty difficulty);
    void End() { m_scorer.reset(), m_sung.clear(), m_voiced = 0; }
    bool Active() const { return m_scorer.has_value(); }
    void SetDifficulty(Difficulty d) {
        if (m_scorer) m_scorer->SetDifficulty(d);
    }
    // Whether the singer was heard at all in this song.
    bool Heard() const { return m_voiced > 0; }

    // Takes the frames `live` has ready. `position` is the song's position
    // now and `latency` how long the voice takes to reach us after the music
    // it answers left the speakers.
    void Tick(LivePitch& live, double position, double latency);
    // A frame already placed in the song (tests and offline takes).
    void Add(double songTime, const PitchFrame& frame);

    // The lane at `position`; empty notes when there is no song. The verdict
    // is a translation key ("ScoreVerdictGood" ...).
    LaneState Lane(double position) const;
    // The total and every line's rating, for the end of the song.
    int Total() const { return m_scorer ? m_scorer->Total() : 0; }
    // Every line's bonus counted, as when the song is over.
    int TotalAtEnd() const { return m_scorer ? m_scorer->Total(true) : 0; }
    std::vector<LineScore> Lines() const;

private:
    std::optional<Scorer> m_scorer;
    std::optional<LineScore> m_lastLine;
    double m_lastLineAt = 0;
    std::vector<SongFrame> m_sung;
    std::size_t m_voiced = 0;
};

}  // namespace cx
