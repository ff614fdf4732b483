// The sound card's mixer lines as the voice panel sees them: a list of
// mixers, the chosen one open, and a level or mute per control. Without a
// card (or without a control) levels read 0 and writes are ignored.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recording/MixerDevice.h"

namespace cx {

struct MixerBackend {
    std::function<std::vector<std::string>()> names;
    std::function<std::unique_ptr<MixerDevice>(int index, std::string& error)> open;
};
// The ALSA simple mixer.
MixerBackend AlsaMixerBackend();

class ClsVolume {
public:
    explicit ClsVolume(MixerBackend backend = AlsaMixerBackend());

    // Fills the list of mixer names.
    void EnumMixer();
    const std::vector<std::string>& MixerList() const { return m_names; }
    // Closes the open mixer, then opens mixer `index`; false when it cannot.
    bool SetMixerSelect(int index);
    int MixerSelect() const { return m_select; }
    const std::string& MixerName() const { return m_name; }
    // Empty when the last open worked; otherwise why not.
    const std::string& MixerState() const { return m_state; }
    bool Open() const { return m_device != nullptr; }

    bool Has(MixerControl c) const { return m_device && m_device->Has(c); }
    long Level(MixerControl c) const { return Has(c) ? m_device->Get(c) : 0; }
    void SetLevel(MixerControl c, long value) {
        if (Has(c)) m_device->Set(c, value);
    }
    long Min(MixerControl c) const { return Has(c) ? m_device->Min(c) : 0; }
    long Max(MixerControl c) const { return Has(c) ? m_device->Max(c) : 0; }
    bool Mute(MixerControl c) const { return Level(c) != 0; }
    void SetMute(MixerControl c, bool muted) { SetLevel(c, muted ? 1 : 0); }

    // A level as 0..100 of the control's range, and back.
    int Percent(MixerControl c) const;
    void SetPercent(MixerControl c, int percent);

    // The named properties the panel uses most.
    long VolumeLevel() const { return Level(MixerControl::Volume); }
    void SetVolumeLevel(long v) { SetLevel(MixerControl::Volume, v); }
    bool VolumeMute() const { return Mute(MixerControl::VolumeMute); }
    void SetVolumeMute(bool m) { SetMute(MixerControl::VolumeMute, m); }
    bool MicroOutMute() const { return Mute(MixerControl::MicroOutMute); }
    void SetMicroOutMute(bool m) { SetMute(MixerControl::MicroOutMute, m); }
    long MidiLevel() const { return Level(MixerControl::Midi); }
    void SetMidiLevel(long v) { SetLevel(MixerControl::Midi, v); }
    long MicInLevel() const { return Level(MixerControl::MicIn); }
    void SetMicInLevel(long v) { SetLevel(MixerControl::MicIn, v); }
    int getRecordLine() const { return 0; }

private:
    MixerBackend m_backend;
    std::vector<std::string> m_names;
    std::unique_ptr<MixerDevice> m_device;
    int m_select = -1;
    std::string m_name;
    std::string m_state;
};

}  // namespace cx
