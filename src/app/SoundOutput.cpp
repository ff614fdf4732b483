#include "app/SoundOutput.h"

namespace cx {
namespace {

std::unique_ptr<AudioOutput> Started(AudioEngine& engine, const std::string& device,
                                     const OutputMaker& make, std::string& error) {
    std::unique_ptr<AudioOutput> output = make(engine, device);
    if (output && output->Start(error)) return output;
    if (error.empty()) error = "no output";
    return nullptr;
}

}  // namespace

SoundOutputChoice OpenSoundOutput(AudioEngine& engine, int chosen,
                                  const std::vector<std::string>& devices,
                                  const OutputMaker& make) {
    SoundOutputChoice choice;
    std::string error;
    if (chosen > 0) {
        if (static_cast<std::size_t>(chosen) <= devices.size()) {
            choice.output = Started(engine, devices[static_cast<std::size_t>(chosen - 1)], make, error);
        } else {
            error = "device " + std::to_string(chosen) + " is not there";
        }
        if (choice.output) return choice;
        choice.noteKey = "SoundDeviceGone";
        choice.detail = error;
        error.clear();
    }
    choice.output = Started(engine, std::string(), make, error);
    if (choice.output) return choice;
    // Still a player: the editor, the playlist and the preferences work, and
    // another device can be chosen without a restart.
    choice.output = std::make_unique<NullDevice>(engine);
    std::string ignored;
    choice.output->Start(ignored);
    choice.silent = true;
    choice.noteKey = "NoSoundDevice";
    choice.detail = error;
    return choice;
}

OutputMaker SdlOutputMaker() {
    return [](AudioEngine& engine, const std::string& device) {
        return std::make_unique<SdlOutput>(engine, device);
    };
}

}  // namespace cx
