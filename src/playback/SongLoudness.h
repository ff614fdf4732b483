// The gain that brings the current song to the loudness target: computed on
// the control thread from the song's reading and the settings, handed to the
// output's GainStage.
#pragma once

#include <optional>

#include "loudness/Loudness.h"
#include "playback/GainStage.h"

namespace cx {

inline constexpr double kDefaultLoudnessTargetLufs = -16.0;
// The targets a user may choose; a stored value outside is brought inside.
inline constexpr double kMinLoudnessTargetLufs = -30.0;
inline constexpr double kMaxLoudnessTargetLufs = -6.0;
// A boost never lifts the song's true peak above this.
inline constexpr double kTruePeakCeilingDbtp = -1.0;
// A very quiet (or nearly silent) song is not raised without limit, nor a
// wrongly measured one cut to nothing.
inline constexpr double kMaxLoudnessBoostDb = 12.0;
inline constexpr double kMaxLoudnessCutDb = 24.0;

// The gain in dB for a song: target minus measure, a boost limited by the
// true-peak ceiling and kMaxLoudnessBoostDb, a cut by kMaxLoudnessCutDb. A
// song without a measurable loudness (silence, shorter than one gating
// block) keeps its level (0 dB).
double LoudnessGainDb(double targetLufs, const LoudnessReading& reading);

class SongLoudness {
public:
    explicit SongLoudness(GainStage& stage) : m_stage(stage) {}

    // The switch and the target (clamped to the allowed range); the playing
    // song glides to its new gain.
    void SetSettings(bool on, double targetLufs);
    bool On() const { return m_on; }
    double TargetLufs() const { return m_targetLufs; }

    // A new song without a reading yet: unity gain at once.
    void NewSong();
    // The song's reading: from the measure or from the song library.
    // `immediate` when the song has not been heard long enough for a jump
    // to be noticed; otherwise the gain glides.
    void SetSongLoudness(const LoudnessReading& reading, bool immediate);
    const std::optional<LoudnessReading>& Reading() const { return m_reading; }

    // The gain asked of the output now, in dB.
    double GainDb() const;

private:
    GainStage& m_stage;
    bool m_on = true;
    double m_targetLufs = kDefaultLoudnessTargetLufs;
    std::optional<LoudnessReading> m_reading;
};

}  // namespace cx
