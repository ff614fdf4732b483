// The ALSA simple mixer behind MixerDevice: each control maps to the first
// simple element of a short list of usual names that the card has.
#include <alsa/asoundlib.h>

#include <array>
#include <cstdarg>

#include "recording/MixerDevice.h"

namespace cx {
namespace {

// ALSA prints its complaints on stderr unless told otherwise; a missing
// control is normal here, not an error.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
    static const bool once = [] {
        snd_lib_error_set_handler(&QuietAlsa);
        return true;
    }();
    (void)once;
}

enum class Side { Playback, Capture };
enum class Kind { Level, Switch };

struct ControlMap {
    std::array<const char*, 3> names;  // tried in order
    Side side;
    Kind kind;
};

ControlMap MapOf(MixerControl c) {
    switch (c) {
        case MixerControl::Volume:
            return {{"Master", "Speaker", "Headphone"}, Side::Playback, Kind::Level};
        case MixerControl::VolumeMute:
            return {{"Master", "Speaker", "Headphone"}, Side::Playback, Kind::Switch};
        case MixerControl::VolumeBass:
            return {{"Bass", nullptr, nullptr}, Side::Playback, Kind::Level};
        case MixerControl::VolumeTreble:
            return {{"Treble", nullptr, nullptr}, Side::Playback, Kind::Level};
        case MixerControl::Wave:
            return {{"PCM", nullptr, nullptr}, Side::Playback, Kind::Level};
        case MixerControl::WaveMute:
            return {{"PCM", nullptr, nullptr}, Side::Playback, Kind::Switch};
        case MixerControl::Midi:
            return {{"Synth", "MIDI", nullptr}, Side::Playback, Kind::Level};
        case MixerControl::MicOut:
            return {{"Mic", nullptr, nullptr}, Side::Playback, Kind::Level};
        case MixerControl::MicroOutMute:
            return {{"Mic", nullptr, nullptr}, Side::Playback, Kind::Switch};
        case MixerControl::MicIn:
            return {{"Mic", "Capture", nullptr}, Side::Capture, Kind::Level};
        case MixerControl::Current:
            return {{"Capture", "Mic", nullptr}, Side::Capture, Kind::Level};
        case MixerControl::CurrentMute:
            return {{"Capture", "Mic", nullptr}, Side::Capture, Kind::Switch};
    }
    return {{nullptr, nullptr, nullptr}, Side::Playback, Kind::Level};
}

bool Fits(snd_mixer_elem_t* e, Side side, Kind kind) {
    if (side == Side::Playback) {
        return kind == Kind::Level ? snd_mixer_selem_has_playback_volume(e)
                                   : snd_mixer_selem_has_playback_switch(e);
    }
    return kind == Kind::Level ? snd_mixer_selem_has_capture_volume(e)
                               : snd_mixer_selem_has_capture_switch(e);
}

class AlsaMixer final : public MixerDevice {
public:
    explicit AlsaMixer(snd_mixer_t* handle) : m_handle(handle) {
        for (int i = 0; i < kMixerControlCount; ++i) {
            const auto control = static_cast<MixerControl>(i);
            const ControlMap map = MapOf(control);
            ControlSlot& slot = m_slots[static_cast<std::size_t>(i)];
            slot.side = map.side;
            slot.kind = map.kind;
            for (const char* name : map.names) {
                if (!name) break;
                snd_mixer_selem_id_t* id = nullptr;
                snd_mixer_selem_id_alloca(&id);
                snd_mixer_selem_id_set_name(id, name);
                snd_mixer_elem_t* e = snd_mixer_find_selem(m_handle, id);
                if (e && Fits(e, map.side, map.kind)) {
                    slot.elem = e;
                    break;
                }
            }
            if (slot.elem && slot.kind == Kind::Level) {
                if (slot.side == Side::Playback)
                    snd_mixer_selem_get_playback_volume_range(slot.elem, &slot.min, &slot.max);
                else
                    snd_mixer_selem_get_capture_volume_range(slot.elem, &slot.min, &slot.max);
            } else if (slot.elem) {
                slot.min = 0;
                slot.max = 1;
            }
        }
    }
    ~AlsaMixer() override { snd_mixer_close(m_handle); }

    bool Has(MixerControl c) const override { return At(c).elem != nullptr; }
    long Min(MixerControl c) const override { return At(c).min; }
    long Max(MixerControl c) const override { return At(c).max; }

    long Get(MixerControl c) const override {
        const auto& s = At(c);
        if (!s.elem) return 0;
        snd_mixer_handle_events(m_handle);
        long v = 0;
        int on = 1;
        const auto ch = SND_MIXER_SCHN_FRONT_LEFT;
        if (s.side == Side::Playback) {
            if (s.kind == Kind::Level)
                snd_mixer_selem_get_playback_volume(s.elem, ch, &v);
            else
                snd_mixer_selem_get_playback_switch(s.elem, ch, &on);
        } else {
            if (s.kind == Kind::Level)
                snd_mixer_selem_get_capture_volume(s.elem, ch, &v);
            else
                snd_mixer_selem_get_capture_switch(s.elem, ch, &on);
        }
        return s.kind == Kind::Level ? v : (on ? 0 : 1);
    }

    void Set(MixerControl c, long value) override {
        const auto& s = At(c);
        if (!s.elem) return;
        if (s.kind == Kind::Switch) {
            // The switch is "on" when the line sounds; muted is the reverse.
            const int on = value ? 0 : 1;
            if (s.side == Side::Playback)
                snd_mixer_selem_set_playback_switch_all(s.elem, on);
            else
                snd_mixer_selem_set_capture_switch_all(s.elem, on);
            return;
        }
        const long v = value < s.min ? s.min : value > s.max ? s.max : value;
        if (s.side == Side::Playback)
            snd_mixer_selem_set_playback_volume_all(s.elem, v);
        else
            snd_mixer_selem_set_capture_volume_all(s.elem, v);
    }

private:
    struct ControlSlot {
        snd_mixer_elem_t* elem = nullptr;
        Side side = Side::Playback;
        Kind kind = Kind::Level;
        long min = 0, max = 0;
    };
    const ControlSlot& At(MixerControl c) const { return m_slots[static_cast<std::size_t>(c)]; }

    snd_mixer_t* m_handle;
    std::array<ControlSlot, kMixerControlCount> m_slots{};
};

}  // namespace

bool IsMuteControl(MixerControl control) {
    return control == MixerControl::VolumeMute || control == MixerControl::WaveMute ||
           control == MixerControl::MicroOutMute || control == MixerControl::CurrentMute;
}

std::vector<std::string> AlsaMixerNames() {
    SilenceAlsa();
    std::vector<std::string> names;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        char* name = nullptr;
        if (snd_card_get_name(card, &name) == 0 && name) {
            names.emplace_back(name);
            free(name);
        } else {
            names.push_back("hw:" + std::to_string(card));
        }
    }
    return names;
}

std::unique_ptr<MixerDevice> OpenAlsaMixer(int index, std::string& error) {
    SilenceAlsa();
    int card = -1;
    for (int i = 0; snd_card_next(&card) == 0 && card >= 0; ++i) {
        if (i != index) continue;
        snd_mixer_t* handle = nullptr;
        const std::string device = "hw:" + std::to_string(card);
        int rc = snd_mixer_open(&handle, 0);
        if (rc == 0) rc = snd_mixer_attach(handle, device.c_str());
        if (rc == 0) rc = snd_mixer_selem_register(handle, nullptr, nullptr);
        if (rc == 0) rc = snd_mixer_load(handle);
        if (rc != 0) {
            error = std::string("cannot open the mixer of ") + device + ": " + snd_strerror(rc);
            if (handle) snd_mixer_close(handle);
            return nullptr;
        }
        return std::make_unique<AlsaMixer>(handle);
    }
    error = "no sound card";
    return nullptr;
}

}  // namespace cx
