#include "playback/SongLoudness.h"

#include <algorithm>
#include <cmath>

namespace cx {

double LoudnessGainDb(double targetLufs, const LoudnessReading& reading) {
    if (!std::isfinite(reading.integratedLufs) || !std::isfinite(targetLufs)) return 0.0;
    double gain = targetLufs - reading.integratedLufs;
    // The guard only limits a boost: a song that already peaks above the
    // ceiling is not made quieter than it is for that alone.
    if (gain > 0 && std::isfinite(reading.truePeakDbtp))
        gain = std::min(gain, std::max(0.0, kTruePeakCeilingDbtp - reading.truePeakDbtp));
    return std::clamp(gain, -kMaxLoudnessCutDb, kMaxLoudnessBoostDb);
}

void SongLoudness::SetSettings(bool on, double targetLufs) {
    m_on = on;
    m_targetLufs = std::isfinite(targetLufs)
                       ? std::clamp(targetLufs, kMinLoudnessTargetLufs, kMaxLoudnessTargetLufs)
                       : kDefaultLoudnessTargetLufs;
    m_stage.SetTarget(static_cast<float>(std::pow(10.0, GainDb() / 20.0)), false);
}

void SongLoudness::NewSong() {
    m_reading.reset();
    m_stage.SetTarget(1.0f, true);
}

void SongLoudness::SetSongLoudness(const LoudnessReading& reading, bool immediate) {
    m_reading = reading;
    m_stage.SetTarget(static_cast<float>(std::pow(10.0, GainDb() / 20.0)), immediate);
}

double SongLoudness::GainDb() const {
    if (!m_on || !m_reading) return 0.0;
    return LoudnessGainDb(m_targetLufs, *m_reading);
}

}  // namespace cx
