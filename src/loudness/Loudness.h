// A song's loudness as listeners hear it: integrated loudness (EBU R128,
// gated) and the true peak of its decoded sound.
#pragma once

#include <atomic>
#include <optional>
#include <string>

namespace cx {

struct LoudnessReading {
    double integratedLufs = 0;  // -inf LUFS for silence (nothing passes the gate)
    double truePeakDbtp = 0;    // -inf dBTP for digital silence
};

// Measures an audio song, a CD+G song (through its audio file) or a MIDI/KAR
// song (through the synth, rendered offline). Runs at the file's own rate and
// as fast as the decoder goes; call it off the UI thread. Empty with `error`
// set when the song cannot be read.
std::optional<LoudnessReading> MeasureLoudness(const std::string& path, std::string& error);

struct MeasureOptions {
    std::string soundFont;                    // for MIDI songs; the first one found when empty
    const std::atomic<bool>* stop = nullptr;  // set from another thread to give up early
};
std::optional<LoudnessReading> MeasureLoudness(const std::string& path,
                                               const MeasureOptions& options, std::string& error);

}  // namespace cx
