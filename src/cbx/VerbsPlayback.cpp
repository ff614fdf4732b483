// cbx render and cbx devices: the audio engine from the command line.
#include <cctype>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/RenderOptions.h"
#include "cbx/Verbs.h"
#include "midi/MidiChannels.h"
#include "midi/MidiPlayer.h"
#include "playback/AudioOutput.h"
#include "playback/ControlMappings.h"
#include "playback/FileDecoder.h"
#include "playback/MediaControl.h"
#include "playback/OfflineRenderer.h"

namespace cx::cli {
namespace {

const char* const kRenderHelp =
    "usage: cbx render IN -o OUT.wav [options]\n"
    "Plays IN offline through the player's own chain and writes 32-bit float\n"
    "WAV at the source's rate, streamed to the file. Prints the frame count and\n"
    "the real-time factor. Audio songs pass tempo and key, bass and treble,\n"
    "vocal cut, volume and pan, and the voice channel with effects; MIDI and KAR\n"
    "songs pass the synth with the player's mixer, then volume and pan.\n"
    "Any song:\n"
    "  --volume V             0..100 (100)\n"
    "  --pan P                -100..100 (0)\n"
    "  --from S, --to S       seconds of the song to render (MIDI: at its written tempo)\n"
    "  --json                 print the result as JSON\n"
    "Audio songs:\n"
    "  --tempo PERCENT        -30..30 (0)\n"
    "  --pitch SEMITONES      -6..6 (0)\n"
    "  --pitch-engine NAME    soundtouch or rubberband (soundtouch)\n"
    "  --bass V, --treble V   0..100, 50 neutral (50)\n"
    "  --vocal-cut            cancel what is centred (stereo songs only)\n"
    "  --voice VOICE.wav      play a voice file beside the song, with\n"
    "  --reverb A --echo A --chorus A --flanger A   effect amounts 0..100\n"
    "MIDI and KAR songs (left out, the values saved in the song stand):\n"
    "  --transpose N          semitones for every channel, -48..48\n"
    "  --midi-tempo P         tempo slider position 77..141 (109 = as written, 141 = double)\n"
    "  --mute CH,...          channels 0..15 to silence, besides those saved off\n"
    "  --soundfont F          SoundFont to use instead of the first one installed\n";

const char* const kDevicesHelp =
    "usage: cbx devices [--json]\n"
    "Lists the audio output and capture devices.\n";

// A number option inside [lo, hi]; sets `bad` with a reason when it is not.
std::optional<double> Number(Args& args, const std::string& name, double lo, double hi,
                             std::string& bad) {
    const auto text = args.Option(name);
    if (!text) return std::nullopt;
    try {
        std::size_t used = 0;
        const double v = std::stod(*text, &used);
        if (used == text->size() && std::isfinite(v) && v >= lo && v <= hi) return v;
    } catch (const std::exception&) {
    }
    bad =
        name + " wants a number from " + std::to_string(int(lo)) + " to " + std::to_string(int(hi));
    return std::nullopt;
}

// An integer option inside [lo, hi]; sets `bad` with a reason when it is not.
std::optional<int> Integer(Args& args, const std::string& name, int lo, int hi, std::string& bad) {
    const auto text = args.Option(name);
    if (!text) return std::nullopt;
    try {
        std::size_t used = 0;
        const int v = std::stoi(*text, &used);
        if (used == text->size() && v >= lo && v <= hi) return v;
    } catch (const std::exception&) {
    }
    bad = name + " wants a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
    return std::nullopt;
}

// Channels 0..15, comma-separated.
bool ChannelList(const std::string& text, std::vector<int>& out) {
    std::stringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        try {
            std::size_t used = 0;
            const int ch = std::stoi(item, &used);
            if (used != item.size() || ch < 0 || ch >= kMidiChannels) return false;
            out.push_back(ch);
        } catch (const std::exception&) {
            return false;
        }
    }
    return !out.empty();
}

void ReadAudioOptions(Args& args, RenderOptions& o, std::string& bad) {
    auto given = [&](const char* name, bool present) {
        if (present) o.audioOnly.push_back(name);
    };
    o.vocalCut = args.Flag("--vocal-cut");
    given("--vocal-cut", o.vocalCut);
    const auto tempo = Number(args, "--tempo", -30, 30, bad);
    const auto pitch = Number(args, "--pitch", -6, 6, bad);
    const auto bass = Number(args, "--bass", 0, 100, bad);
    const auto treble = Number(args, "--treble", 0, 100, bad);
    given("--tempo", tempo.has_value());
    given("--pitch", pitch.has_value());
    given("--bass", bass.has_value());
    given("--treble", treble.has_value());
    o.tempo = tempo.value_or(0);
    o.pitch = pitch.value_or(0);
    o.bass = int(bass.value_or(50));
    o.treble = int(treble.value_or(50));
    o.voice = args.Option("--voice").value_or("");
    given("--voice", !o.voice.empty());
    const char* names[] = {"", "--reverb", "--echo", "--chorus", "--flanger"};
    for (int k = 1; k <= 4; ++k) {
        o.effects[k] = Number(args, names[k], 0, 100, bad);
        given(names[k], o.effects[k].has_value());
    }
    if (const auto name = args.Option("--pitch-engine")) {
        bool known = false;
        o.engine = ParsePitchEngine(*name, &known);
        if (!known) bad = "--pitch-engine is soundtouch or rubberband";
        given("--pitch-engine", true);
    }
}

void ReadMidiOptions(Args& args, RenderOptions& o, std::string& bad) {
    if (const auto v = Integer(args, "--transpose", -48, 48, bad)) {
        o.transpose = *v;
        o.midiOnly.push_back("--transpose");
    }
    if (const auto v = Integer(args, "--midi-tempo", kTempoSliderMin, kTempoSliderMax, bad)) {
        o.midiTempo = *v;
        o.midiOnly.push_back("--midi-tempo");
    }
    if (const auto v = args.Option("--mute")) {
        if (!ChannelList(*v, o.mute)) bad = "--mute takes channels 0..15, comma-separated";
        o.midiOnly.push_back("--mute");
    }
    if (const auto v = args.Option("--soundfont")) {
        o.soundFont = *v;
        o.midiOnly.push_back("--soundfont");
    }
}

// Reads the options; returns the exit code for wrong usage, or -1 to go on.
int ParseRender(const VerbArgs& words, RenderOptions& o) {
    Args args(words);
    std::string bad;
    o.json = args.Flag("--json");
    o.output = args.Option("-o").value_or(args.Option("--output").value_or(""));
    o.volume = int(Number(args, "--volume", 0, 100, bad).value_or(100));
    o.pan = int(Number(args, "--pan", -100, 100, bad).value_or(0));
    o.from = Number(args, "--from", 0, 1e6, bad).value_or(0);
    o.to = Number(args, "--to", 0, 1e6, bad).value_or(-1);
    ReadAudioOptions(args, o, bad);
    ReadMidiOptions(args, o, bad);
    const auto pos = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!bad.empty()) return Fail(bad, kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (pos.size() != 1 || o.output.empty())
        return Fail("usage: cbx render IN -o OUT.wav", kExitUsage);
    if (o.to >= 0 && o.to <= o.from) return Fail("--to must come after --from", kExitUsage);
    o.input = pos[0];
    return -1;
}

int RenderAudio(const RenderOptions& o) {
    std::string error;
    auto probe = FileDecoder::Open(o.input, error);
    if (!probe) return Fail("cannot read " + o.input + ": " + error);
    const int rate = probe->SampleRate();
    probe.reset();

    AudioEngine engine(rate, o.engine);
    MediaSettings settings;
    settings.customBass = o.bass;
    settings.customTreble = o.treble;
    settings.volume = o.volume / 100.0;
    MediaControl media(engine, MediaHooks{}, settings, true);
    std::string path = o.input;
    if (!media.OpenName(path, false)) return Fail(media.LastError());
    const AudioHandle song = media.CurrentChannel();
    if (song == 0) return Fail("cannot play " + o.input);
    if (o.vocalCut) {
        if (!media.VocalCutAvailable()) return Fail("the vocal cut needs a stereo song");
        media.ToggleVocalRemover();
    }
    engine.TempoSet(song, float(o.tempo), float(o.pitch));
    media.SetChannelPan(song, o.pan);
    if (o.from > 0) engine.SetPositionSeconds(song, o.from);
    if (!o.voice.empty()) {
        for (int k = 1; k <= 4; ++k) {
            media.VoiceEffects()[k].On = o.effects[k].has_value();
            media.VoiceEffects().SetAmount(k, int(o.effects[k].value_or(50)));
        }
        if (!media.LoadAudio(o.voice))
            return Fail("cannot play the voice " + o.voice + ": " + media.LastError());
    }
    const std::int64_t toFrame = o.to >= 0 ? std::int64_t(std::llround(o.to * rate)) : -1;
    const RenderResult r = OfflineRenderer(engine).RunToFile(song, toFrame, o.output);
    if (!r.error.empty()) return Fail(r.error);
    if (engine.UnderrunFrames() > 0) return Fail("the decoder fell behind (internal error)");
    if (o.json) {
        std::cout << "{\"output\":" << JsonString(o.output) << ",\"frames\":" << r.frames
                  << ",\"rate\":" << rate << ",\"seconds\":" << r.seconds
                  << ",\"realTimeFactor\":" << r.realTimeFactor << "}\n";
    } else {
        std::cout << "frames " << r.frames << "\n"
                  << "real-time factor " << r.realTimeFactor << "\n";
    }
    return kExitOk;
}

// Whether the song goes to the synth: a file the decoder reads is audio even
// when it starts like a RIFF MIDI file would (WAV); a file named as MIDI goes
// to the MIDI reader, which says what is wrong with it.
bool IsMidiSong(const std::string& path) {
    std::string error;
    if (LooksLikeMidiFile(path)) return !FileDecoder::Open(path, error);
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ext == ".mid" || ext == ".midi" || ext == ".kar" || ext == ".rmi";
}

int Render(const VerbArgs& words) {
    if (Args(words).WantsHelp()) {
        std::cout << kRenderHelp;
        return kExitOk;
    }
    RenderOptions o;
    if (const int code = ParseRender(words, o); code >= 0) return code;
    if (IsMidiSong(o.input)) {
        if (!o.audioOnly.empty())
            return Fail(o.audioOnly[0] + " serves audio songs; " + o.input + " is a MIDI song",
                        kExitUsage);
        return RenderMidiForCli(o);
    }
    if (!o.midiOnly.empty())
        return Fail(o.midiOnly[0] + " serves MIDI songs; " + o.input + " is not one", kExitUsage);
    return RenderAudio(o);
}

int Devices(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kDevicesHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (!args.Positionals().empty()) return Fail("usage: cbx devices [--json]", kExitUsage);
    std::string error;
    const auto outputs = SdlOutput::ListDevices(false, error);
    if (!error.empty()) return Fail(error);
    const auto inputs = SdlOutput::ListDevices(true, error);
    if (!error.empty()) return Fail(error);
    if (json) {
        auto list = [](const std::vector<std::string>& names) {
            std::string s = "[";
            for (std::size_t i = 0; i < names.size(); ++i)
                s += (i ? "," : "") + JsonString(names[i]);
            return s + "]";
        };
        std::cout << "{\"output\":" << list(outputs) << ",\"capture\":" << list(inputs) << "}\n";
        return kExitOk;
    }
    std::cout << "Output devices:\n";
    for (const auto& n : outputs) std::cout << "  " << n << "\n";
    std::cout << "Capture devices:\n";
    for (const auto& n : inputs) std::cout << "  " << n << "\n";
    return kExitOk;
}

}  // namespace

int RenderForCli(const VerbArgs& args) {
    return Render(args);
}

std::vector<Verb> PlaybackVerbs() {
    return {
        {"render", "render a song offline through the playback chain", &Render},
        {"devices", "list the audio output and capture devices", &Devices},
    };
}

}  // namespace cx::cli
