// One opened sound-card mixer, reduced to the controls the voice panel
// uses. A card without a control reports it missing; reads then give 0 and
// writes do nothing.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace cx {

enum class MixerControl {
    Volume,  // master output level
    VolumeMute,
    VolumeBass,
    VolumeTreble,
    Wave,  // the program's own output (PCM)
    WaveMute,
    Midi,    // synthesizer
    MicOut,  // microphone heard through the speakers
    MicroOutMute,
    MicIn,    // microphone recording level
    Current,  // the recording input's level
    CurrentMute,
};
inline constexpr int kMixerControlCount = static_cast<int>(MixerControl::CurrentMute) + 1;

// Mutes are controls with range 0..1 where 1 means muted.
bool IsMuteControl(MixerControl control);

class MixerDevice {
public:
    virtual ~MixerDevice() = default;
    virtual bool Has(MixerControl control) const = 0;
    virtual long Min(MixerControl control) const = 0;
    virtual long Max(MixerControl control) const = 0;
    virtual long Get(MixerControl control) const = 0;
    virtual void Set(MixerControl control, long value) = 0;
};

// The ALSA simple mixer of the cards in the machine.
std::vector<std::string> AlsaMixerNames();
// Opens card `index` of AlsaMixerNames(); null with `error` set when it cannot.
std::unique_ptr<MixerDevice> OpenAlsaMixer(int index, std::string& error);

}  // namespace cx
