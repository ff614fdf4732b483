// Which sound output the player plays through. The player always starts:
// a chosen device that is gone gives way to the default, and no device at
// all to a silent output, each with a note saying so.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playback/AudioOutput.h"

namespace cx {

// Makes the output for a device name ("" = the system's default).
using OutputMaker =
    std::function<std::unique_ptr<AudioOutput>(AudioEngine& engine, const std::string& device)>;

struct SoundOutputChoice {
    std::unique_ptr<AudioOutput> output;  // started; never null
    bool silent = false;                  // nothing is heard: Play is refused
    std::string noteKey;                  // why it is not the chosen device; empty when it is
    std::string detail;                   // the sound system's own words, for the note
};

// `chosen`: 0 the default device, 1.. the entries of `devices`.
SoundOutputChoice OpenSoundOutput(AudioEngine& engine, int chosen,
                                  const std::vector<std::string>& devices, const OutputMaker& make);

// The real outputs: SDL on the named device.
OutputMaker SdlOutputMaker();

}  // namespace cx
