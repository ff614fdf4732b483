// Scores a singer's pitch against the notes of a song as the singing games
// count: 10,000 in all, 9,000 for the notes by the length sung on pitch
// (golden notes double, freestyle not scored, rap by timing only) and 1,000
// shared by the lines. Pitches are folded into the note's octave.
#pragma once

#include <string>
#include <vector>

#include "lyrics/SungNotes.h"
#include "scoring/PitchTracker.h"

namespace cx {

inline constexpr int kMaxScore = 10000;
inline constexpr int kNotesScore = 9000;
inline constexpr int kLinesScore = 1000;

// How far from the note a sung pitch may be, in whole semitones.
enum class Difficulty { Easy, Medium, Hard };
int ToleranceSemitones(Difficulty d);  // 2, 1, 0
// "easy", "medium", "hard"; anything else is medium.
Difficulty DifficultyFromName(const std::string& name);
const char* DifficultyName(Difficulty d);
// The stored setting (0 easy, 1 medium, 2 hard); out of range is held to it.
Difficulty DifficultyFromSetting(int value);

// Distance in semitones from `sung` to the nearest octave of `note` (-6..6).
double FoldedDistance(double sung, int note);
// `sung` moved by whole octaves to lie nearest `note`.
double FoldIntoOctave(double sung, int note);

// The lowest pitch to listen for in a song: an octave under its lowest note
// (singers may take the tune an octave down), never under a bass's range.
double LowestPitchToHear(const SungNotes& notes);

// The translation keys of the line verdicts, best first.
enum class Verdict { Perfect, Great, Good, NotBad, Bad, Awful };
const char* VerdictKey(Verdict v);  // "ScoreVerdictPerfect" ...
Verdict VerdictFor(double share);   // share of the line sung right, 0..1

struct LineScore {
    int Line = 0;
    double Share = 0;  // of the line's notes sung right, by length
    int Points = 0;    // what the line earned, its notes and its bonus
    Verdict Rating = Verdict::Awful;
};

class Scorer {
public:
    Scorer(SungNotes notes, Difficulty difficulty);

    // One tracked frame at `songTime` (seconds of the song, latency taken
    // off). Frames come in time order; a frame before the last is ignored.
    void Add(double songTime, const PitchFrame& frame);
    // Lines whose last note ended before `songTime` are rated (once each).
    void CloseLinesBefore(double songTime);

    // From the next frame on; what was sung keeps its score.
    void SetDifficulty(Difficulty d) { m_difficulty = d; }
    const SungNotes& Notes() const { return m_notes; }
    // Sung right so far of note `i`, in seconds.
    double SungRight(std::size_t i) const { return m_right[i]; }
    // Of note `i` sung right so far, 0..1 (its first moment is not asked for).
    double NoteShare(std::size_t i) const;
    // The index of the note sounding at `songTime`, or -1.
    int NoteAt(double songTime) const;

    // Points so far (lines not closed count their notes only, unless
    // `allLines`: then every line's bonus counts, as at the end of the song).
    int Total(bool allLines = false) const;
    // Every line with scored notes, rated; call at the end of the song.
    std::vector<LineScore> Lines() const;
    // Lines rated by CloseLinesBefore since the last call.
    std::vector<LineScore> TakeClosedLines();

private:
    bool Scored(const SungNote& n) const { return n.Kind != NoteKind::Freestyle; }
    double Weight(const SungNote& n) const;
    bool Hit(const SungNote& n, const PitchFrame& f) const;
    LineScore RateLine(int line) const;

    SungNotes m_notes;
    Difficulty m_difficulty;
    std::vector<double> m_right;
    std::vector<double> m_lineWeight;
    std::vector<double> m_lineEnd;
    std::vector<bool> m_lineClosed;
    std::vector<LineScore> m_closed;
    double m_totalWeight = 0;
    int m_scoredLines = 0;
    double m_lastTime = -1e9;
    std::size_t m_cursor = 0;
};

// Scores a whole take: frames of the voice, whose time `latency` seconds
// after the song's is when the song heard it.
struct TakeScore {
    int Total = 0;
    std::vector<LineScore> Lines;
    int VoicedFrames = 0;
};
TakeScore ScoreTake(const SungNotes& notes, const std::vector<PitchFrame>& frames,
                    double latencySeconds, Difficulty difficulty);

}  // namespace cx
