#include "midi/MidiSynth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>

namespace cx {
namespace {

constexpr int kVolumeController = 7;
constexpr int kPanController = 10;
constexpr int kPitchBendCenter = 8192;

// FluidSynth would otherwise print from inside the audio callback.
void QuietFluidLogs() {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, nullptr, nullptr);
}

}  // namespace

struct MidiSynth::Fluid {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    ~Fluid() {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

std::vector<TimedMidiEvent> SequenceEvents(const SmfFile& file, const TempoMap& map) {
    std::vector<TimedMidiEvent> out;
    for (const auto& track : file.tracks) {
        for (const auto& ev : track.events) {
            if (ev.IsChannel()) out.push_back({0, ev.tick, ev.status, ev.data1, ev.data2});
        }
    }
    // Tracks play together: order by tick, keeping track order within a tick.
    std::stable_sort(out.begin(), out.end(), [](const TimedMidiEvent& a, const TimedMidiEvent& b) {
        return a.tick < b.tick;
    });
    for (auto& e : out) e.seconds = map.TickToSeconds(e.tick);
    return out;
}

MidiSynth::~MidiSynth() = default;

std::unique_ptr<MidiSynth> MidiSynth::Create(std::string_view songBytes,
                                             const std::string& soundFont,
                                             const SynthOptions& options, std::string& error) {
    SmfResult smf = ParseSmf(songBytes);
    if (!smf.file) {
        error = smf.error;
        return nullptr;
    }
    std::unique_ptr<MidiSynth> s(new MidiSynth());
    s->m_sampleRate = std::clamp(options.sampleRate, 8000, 192000);
    s->m_tempo = TempoMap::FromSmf(*smf.file);
    s->m_events = SequenceEvents(*smf.file, s->m_tempo);
    s->m_lengthSeconds = SongLengthSeconds(*smf.file, s->m_tempo);
    s->m_lengthFrames = std::llround(s->m_lengthSeconds * s->m_sampleRate);
    s->m_limiter.SetSampleRate(s->m_sampleRate);
    s->m_eventFrames.reserve(s->m_events.size());
    for (const auto& e : s->m_events)
        s->m_eventFrames.push_back(std::llround(e.seconds * s->m_sampleRate));

    QuietFluidLogs();
    s->m_fluid = std::make_unique<Fluid>();
    Fluid& f = *s->m_fluid;
    f.settings = new_fluid_settings();
    if (!f.settings) {
        error = "the synthesizer could not be created";
        return nullptr;
    }
    fluid_settings_setnum(f.settings, "synth.sample-rate", s->m_sampleRate);
    // Only the audio thread talks to the synth (commands arrive through the queue).
    fluid_settings_setint(f.settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(f.settings, "synth.reverb.active", options.effects ? 1 : 0);
    fluid_settings_setint(f.settings, "synth.chorus.active", options.effects ? 1 : 0);
    fluid_settings_setnum(f.settings, "synth.gain", kSynthGain);
    f.synth = new_fluid_synth(f.settings);
    if (!f.synth) {
        error = "the synthesizer could not be created";
        return nullptr;
    }
    if (soundFont.empty() || fluid_synth_sfload(f.synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        error = soundFont.empty() ? "no SoundFont is installed"
                                  : "the SoundFont " + soundFont + " could not be loaded";
        return nullptr;
    }
    for (auto& ch : s->m_channels) ch.sounding.fill(-1);
    s->PublishState();
    return s;
}

void MidiSynth::Push(const Command& c) {
    m_commands.Push(c);
}

void MidiSynth::SetChannelEnabled(int channel, bool enabled) {
    Push({Cmd::Enabled, channel, enabled ? 1 : 0, 0});
}
void MidiSynth::SetChannelVolume(int channel, int volume) {
    Push({Cmd::Volume, channel, volume, 0});
}
void MidiSynth::SetChannelBalance(int channel, int balance) {
    Push({Cmd::Balance, channel, balance, 0});
}
void MidiSynth::SetChannelProgram(int channel, int program) {
    Push({Cmd::Program, channel, program, 0});
}
void MidiSynth::SetChannelTranspose(int channel, int semitones) {
    Push({Cmd::Transpose, channel, semitones, 0});
}
void MidiSynth::SetTempoFactor(double factor) {
    m_factorOut.store(std::max(0.0, factor), std::memory_order_release);
    Push({Cmd::Tempo, 0, 0, factor});
}
void MidiSynth::RequestSeekFrame(std::int64_t frame) {
    m_pendingSeek.store(static_cast<double>(std::max<std::int64_t>(0, frame)) / m_sampleRate,
                        std::memory_order_release);
    Push({Cmd::Seek, 0, 0, static_cast<double>(frame)});
}

int MidiSynth::ChannelProgram(int channel) const {
    if (channel < 0 || channel >= kMidiChannels) return 0;
    return m_programs[static_cast<std::size_t>(channel)].load(std::memory_order_acquire);
}

void MidiSynth::ApplyCommands() {
    Command c;
    while (m_commands.Pop(c)) Apply(c);
}

void MidiSynth::Apply(const Command& c) {
    fluid_synth_t* fs = m_fluid->synth;
    if (c.kind == Cmd::Tempo) {
        m_factor = std::max(0.0, c.real);
        return;
    }
    if (c.kind == Cmd::Seek) {
        SeekNow(static_cast<std::int64_t>(c.real));
        m_pendingSeek.store(-1, std::memory_order_release);
        return;
    }
    if (c.channel < 0 || c.channel >= kMidiChannels) return;
    Channel& ch = m_channels[static_cast<std::size_t>(c.channel)];
    const int value = std::clamp(c.value, -1, 127);
    switch (c.kind) {
        case Cmd::Enabled:
            ch.enabled = c.value != 0;
            if (ch.enabled) {
                Retrigger(c.channel);
            } else {
                SilenceChannel(c.channel);
            }
            break;
        case Cmd::Volume:
            ch.volumeOverride = value;
            fluid_synth_cc(fs, c.channel, kVolumeController, value < 0 ? ch.songVolume : value);
            break;
        case Cmd::Balance:
            ch.balanceOverride = value;
            fluid_synth_cc(fs, c.channel, kPanController, value < 0 ? ch.songBalance : value);
            break;
        case Cmd::Program:
            ch.programOverride = value;
            fluid_synth_program_change(fs, c.channel, value < 0 ? ch.songProgram : value);
            break;
        case Cmd::Transpose:
            if (c.value != ch.transpose) {
                SilenceChannel(c.channel);
                ch.transpose = std::clamp(c.value, -127, 127);
                Retrigger(c.channel);
            }
            break;
        default:
            break;
    }
    PublishState();
}

void MidiSynth::NoteOn(int c, int key, int velocity) {
    Channel& ch = m_channels[static_cast<std::size_t>(c)];
    ch.held[static_cast<std::size_t>(key)] = static_cast<std::uint8_t>(velocity);
    if (!ch.enabled) return;
    auto& sounding = ch.sounding[static_cast<std::size_t>(key)];
    if (sounding >= 0) fluid_synth_noteoff(m_fluid->synth, c, sounding);  // a repeated key restarts
    sounding = -1;
    const int k = key + ch.transpose;
    if (k < 0 || k > 127) return;
    ch.sounding[static_cast<std::size_t>(key)] = static_cast<std::int16_t>(k);
    fluid_synth_noteon(m_fluid->synth, c, k, velocity);
}

void MidiSynth::NoteOff(int c, int key) {
    Channel& ch = m_channels[static_cast<std::size_t>(c)];
    ch.held[static_cast<std::size_t>(key)] = 0;
    const int k = ch.sounding[static_cast<std::size_t>(key)];
    if (k < 0) return;
    ch.sounding[static_cast<std::size_t>(key)] = -1;
    fluid_synth_noteoff(m_fluid->synth, c, k);
}

// Stops what the channel sounds but remembers which keys the song holds.
void MidiSynth::SilenceChannel(int c) {
    Channel& ch = m_channels[static_cast<std::size_t>(c)];
    for (std::size_t key = 0; key < 128; ++key) {
        if (ch.sounding[key] >= 0) fluid_synth_noteoff(m_fluid->synth, c, ch.sounding[key]);
        ch.sounding[key] = -1;
    }
    if (!ch.enabled) fluid_synth_all_sounds_off(m_fluid->synth, c);
}

void MidiSynth::Retrigger(int c) {
    Channel& ch = m_channels[static_cast<std::size_t>(c)];
    if (!ch.enabled) return;
    for (int key = 0; key < 128; ++key) {
        const int vel = ch.held[static_cast<std::size_t>(key)];
        if (vel > 0) NoteOn(c, key, vel);
    }
}

void MidiSynth::Dispatch(const TimedMidiEvent& e, bool notes) {
    fluid_synth_t* fs = m_fluid->synth;
    const int c = e.status & 0x0F;
    Channel& ch = m_channels[static_cast<std::size_t>(c)];
    switch (e.status & 0xF0) {
        case 0x90:
            if (!notes) break;
            if (e.data2 > 0) {
                NoteOn(c, e.data1, e.data2);
            } else {
                NoteOff(c, e.data1);
            }
            break;
        case 0x80:
            if (notes) NoteOff(c, e.data1);
            break;
        case 0xA0:
            if (notes && ch.sounding[e.data1] >= 0)
                fluid_synth_key_pressure(fs, c, ch.sounding[e.data1], e.data2);
            break;
        case 0xB0:
            if (e.data1 == kVolumeController) {
                ch.songVolume = e.data2;
                if (ch.volumeOverride >= 0) break;
            } else if (e.data1 == kPanController) {
                ch.songBalance = e.data2;
                if (ch.balanceOverride >= 0) break;
            }
            fluid_synth_cc(fs, c, e.data1, e.data2);
            break;
        case 0xC0:
            ch.songProgram = e.data1;
            if (ch.programOverride < 0) {
                fluid_synth_program_change(fs, c, e.data1);
                m_programs[static_cast<std::size_t>(c)].store(e.data1, std::memory_order_release);
            }
            break;
        case 0xD0:
            fluid_synth_channel_pressure(fs, c, e.data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(fs, c, e.data1 | (e.data2 << 7));
            break;
        default:
            break;
    }
}

void MidiSynth::SeekNow(std::int64_t frame) {
    fluid_synth_t* fs = m_fluid->synth;
    frame = std::clamp<std::int64_t>(frame, 0, m_lengthFrames);
    fluid_synth_system_reset(fs);
    for (int c = 0; c < kMidiChannels; ++c) {
        Channel& ch = m_channels[static_cast<std::size_t>(c)];
        ch.held.fill(0);
        ch.sounding.fill(-1);
        ch.songVolume = kDefaultChannelVolume;
        ch.songBalance = kCenterBalance;
        ch.songProgram = 0;
        fluid_synth_pitch_bend(fs, c, kPitchBendCenter);
    }
    // Replay what shapes the sound (programs, controllers, bends) up to the new point.
    m_next = 0;
    while (m_next < m_events.size() && m_eventFrames[m_next] < frame)
        Dispatch(m_events[m_next++], false);
    for (int c = 0; c < kMidiChannels; ++c) {
        const Channel& ch = m_channels[static_cast<std::size_t>(c)];
        if (ch.volumeOverride >= 0) fluid_synth_cc(fs, c, kVolumeController, ch.volumeOverride);
        if (ch.balanceOverride >= 0) fluid_synth_cc(fs, c, kPanController, ch.balanceOverride);
        if (ch.programOverride >= 0) fluid_synth_program_change(fs, c, ch.programOverride);
    }
    m_songFrame = static_cast<double>(frame);
    m_finished.store(frame >= m_lengthFrames, std::memory_order_release);
    PublishState();
}

bool MidiSynth::SeekFrame(std::int64_t frame) {
    ApplyCommands();
    SeekNow(frame);
    return true;
}

void MidiSynth::PublishState() {
    m_songSeconds.store(m_songFrame / m_sampleRate, std::memory_order_release);
    for (int c = 0; c < kMidiChannels; ++c) {
        const Channel& ch = m_channels[static_cast<std::size_t>(c)];
        m_programs[static_cast<std::size_t>(c)].store(
            ch.programOverride >= 0 ? ch.programOverride : ch.songProgram,
            std::memory_order_release);
    }
}

std::size_t MidiSynth::Render(float* out, std::size_t frames) {
    ApplyCommands();
    fluid_synth_t* fs = m_fluid->synth;
    std::size_t done = 0;
    while (done < frames) {
        while (m_next < m_events.size() &&
               static_cast<double>(m_eventFrames[m_next]) <= m_songFrame) {
            Dispatch(m_events[m_next++], true);
        }
        const double toEnd = static_cast<double>(m_lengthFrames) - m_songFrame;
        if (toEnd <= 0) {
            m_finished.store(true, std::memory_order_release);
            break;
        }
        std::size_t chunk = frames - done;
        if (m_factor > 0) {
            double until = toEnd;
            if (m_next < m_events.size())
                until = std::min(until, m_eventFrames[m_next] - m_songFrame);
            const double outFrames = std::ceil(until / m_factor - 1e-9);
            chunk =
                std::min<std::size_t>(chunk, static_cast<std::size_t>(std::max(1.0, outFrames)));
        }
        fluid_synth_write_float(fs, static_cast<int>(chunk), out, static_cast<int>(2 * done), 2,
                                out, static_cast<int>(2 * done + 1), 2);
        m_songFrame = std::min(m_songFrame + static_cast<double>(chunk) * m_factor,
                               static_cast<double>(m_lengthFrames));
        done += chunk;
    }
    m_limiter.Process(out, done);
    m_outputFrames.fetch_add(static_cast<std::int64_t>(done), std::memory_order_acq_rel);
    m_songSeconds.store(m_songFrame / m_sampleRate, std::memory_order_release);
    return done;
}

}  // namespace cx
