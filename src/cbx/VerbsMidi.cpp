// cbx midi, and the MIDI side of cbx lyrics and cbx render.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "lyrics/LyricsModel.h"
#include "midi/MidiInfo.h"
#include "midi/MidiLyrics.h"
#include "midi/MidiPlayer.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/SoundFonts.h"
#include "platform/AtomicFile.h"
#include "platform/PrivateTemp.h"

namespace cx::cli {
namespace {

constexpr std::size_t kRenderBlockFrames = 4096;
constexpr double kMaxRenderSeconds = 3 * 3600.0;

const char* kMidiHelp =
    "usage: cbx midi FILE [--json] [--codepage 1250|1252] [--converter COMMAND]\n"
    "       cbx midi render SONG.mid -o OUT.wav [...]   (see cbx midi render --help)\n"
    "Prints a MIDI/KAR file's format, track count, division, tempo map, length in\n"
    "seconds, KAR title and artist, where its lyrics come from, and the channel\n"
    "records of its settings block. COMMAND is the external MIDI-to-KAR converter,\n"
    "run as COMMAND MIDI OUTPUT.\n";

const char* kRenderHelp =
    "usage: cbx render SONG.mid -o OUT.wav [--transpose N] [--midi-tempo P] [--mute CH,...]\n"
    "                  [--soundfont F] [--start SECONDS]\n"
    "Renders a MIDI/KAR song to a 32-bit float stereo WAV through the player's synth.\n"
    "  --transpose N   semitones for every channel\n"
    "  --midi-tempo P  tempo slider position 77..141 (109 = as written, 141 = double)\n"
    "  --mute CH,...   channels 0..15 to silence\n"
    "  --soundfont F   SoundFont to use instead of the first one installed\n"
    "  --start S       start at S seconds (as a seek would)\n";

Codepage CodepageOption(const std::optional<std::string>& v) {
    return v && *v == "1250" ? Codepage::Cp1250 : Codepage::Cp1252;
}

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

void PrintText(const MidiFileInfo& info, const char* source, int pieces,
               const std::optional<MidiSettings>& block) {
    std::cout << "format: " << info.Format << "\ntracks: " << info.Tracks;
    if (info.DeclaredTracks != info.Tracks)
        std::cout << " (header says " << info.DeclaredTracks << ")";
    if (info.Division.smpte) {
        std::cout << "\ndivision: SMPTE, " << Num(info.Division.ticksPerSecond)
                  << " ticks per second\n";
    } else {
        std::cout << "\ndivision: " << info.Division.ticksPerQuarter << " ticks per quarter note\n";
    }
    std::cout << "tempo map:\n";
    for (const auto& t : info.TempoMap) {
        std::cout << "  tick " << t.tick << " at " << Num(t.startSeconds)
                  << " s: " << t.microsPerQuarter << " us per quarter ("
                  << Num(60e6 / t.microsPerQuarter) << " bpm)\n";
    }
    std::cout << "length: " << Num(info.LengthSeconds) << " s\ntitle: " << info.Title
              << "\nartist: " << info.Artist << "\nlyrics: " << source << " (" << pieces
              << " pieces)\n";
    if (block) {
        std::cout << "settings block:\n";
        for (int c = 0; c < kMidiChannels; ++c) {
            const auto& r = block->Channels[static_cast<std::size_t>(c)];
            std::printf("  ch%02d on=%d transposition=%d volume=%d balance=%d instrument=%d (%s)\n",
                        c, r.Enabled ? 1 : 0, block->Transposition, r.Volume, r.Balance,
                        r.Instrument, GeneralMidiName(r.Instrument).c_str());
        }
        std::fflush(stdout);
    }
    for (const auto& w : info.Warnings) std::cout << "warning: " << w << "\n";
}

void PrintJson(const MidiFileInfo& info, const char* source, int pieces,
               const std::optional<MidiSettings>& block) {
    std::ostringstream o;
    o << "{\"format\":" << info.Format << ",\"tracks\":" << info.Tracks
      << ",\"declaredTracks\":" << info.DeclaredTracks
      << ",\"division\":{\"smpte\":" << (info.Division.smpte ? "true" : "false")
      << ",\"ticksPerQuarter\":" << info.Division.ticksPerQuarter
      << ",\"ticksPerSecond\":" << Num(info.Division.ticksPerSecond) << "},\"tempoMap\":[";
    for (std::size_t i = 0; i < info.TempoMap.size(); ++i) {
        const auto& t = info.TempoMap[i];
        o << (i ? "," : "") << "{\"tick\":" << t.tick
          << ",\"microsPerQuarter\":" << t.microsPerQuarter
          << ",\"seconds\":" << Num(t.startSeconds) << "}";
    }
    o << "],\"lengthSeconds\":" << Num(info.LengthSeconds)
      << ",\"title\":" << JsonString(info.Title) << ",\"artist\":" << JsonString(info.Artist)
      << ",\"lyricSource\":" << JsonString(source) << ",\"lyricPieces\":" << pieces
      << ",\"channels\":";
    if (block) {
        o << "[";
        for (int c = 0; c < kMidiChannels; ++c) {
            const auto& r = block->Channels[static_cast<std::size_t>(c)];
            o << (c ? "," : "") << "{\"channel\":" << c
              << ",\"on\":" << (r.Enabled ? "true" : "false")
              << ",\"transposition\":" << block->Transposition << ",\"volume\":" << r.Volume
              << ",\"balance\":" << r.Balance << ",\"instrument\":" << r.Instrument
              << ",\"instrumentName\":" << JsonString(GeneralMidiName(r.Instrument)) << "}";
        }
        o << "]";
    } else {
        o << "null";
    }
    o << ",\"warnings\":[";
    for (std::size_t i = 0; i < info.Warnings.size(); ++i)
        o << (i ? "," : "") << JsonString(info.Warnings[i]);
    o << "]}";
    std::cout << o.str() << "\n";
}

int RunMidi(const VerbArgs& raw) {
    // "cbx midi render ..." reaches the renderer until the playback verbs offer it for MIDI songs.
    if (!raw.empty() && raw[0] == "render")
        return RenderMidiForCli(VerbArgs(raw.begin() + 1, raw.end()));
    Args args(raw);
    if (args.WantsHelp()) {
        std::cout << kMidiHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    const auto cp = args.Option("--codepage");
    const auto converter = args.Option("--converter");
    const auto pos = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (pos.size() != 1 || !args.Unknown().empty())
        return Fail("usage: cbx midi FILE [--json]", kExitUsage);
    ReadResult read = ReadWholeFile(pos[0], kMaxSmfBytes);
    if (!read.bytes) return Fail(pos[0] + ": " + read.error);
    const std::string_view smf = StripSettingsBlock(*read.bytes);
    MidiInfoResult info = ReadMidiFileInfo(smf, CodepageOption(cp));
    if (!info.info) return Fail(pos[0] + ": " + info.error);
    PrivateTemp temp;
    MidiLyricsOptions options;
    options.codepage = CodepageOption(cp);
    options.converterCommand = converter.value_or("");
    options.tempFolder = temp.Folder();
    LyricsModel model;
    const MidiLyricsResult lyrics = LoadMidiLyrics(smf, pos[0], options, model);
    std::optional<MidiSettings> block;
    if (MidiSettings s; ReadMidi(*read.bytes, s)) block = s;
    if (json) {
        PrintJson(*info.info, LyricSourceName(lyrics.source), model.UpperBound(), block);
    } else {
        PrintText(*info.info, LyricSourceName(lyrics.source), model.UpperBound(), block);
    }
    return kExitOk;
}

void Le(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 32-bit float stereo WAV (format 3) holding the samples.
std::string FloatWav(const std::vector<float>& samples, int rate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * sizeof(float));
    std::string out = "RIFF";
    Le(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    Le(out, 16, 4);
    Le(out, 3, 2);
    Le(out, 2, 2);
    Le(out, static_cast<std::uint32_t>(rate), 4);
    Le(out, static_cast<std::uint32_t>(rate) * 8, 4);
    Le(out, 8, 2);
    Le(out, 32, 2);
    out += "data";
    Le(out, dataBytes, 4);
    out.append(reinterpret_cast<const char*>(samples.data()), dataBytes);
    return out;
}

bool ParseInt(const std::string& s, int& v) {
    try {
        std::size_t used = 0;
        v = std::stoi(s, &used);
        return used == s.size();
    } catch (...) {
        return false;
    }
}

}  // namespace

std::vector<Verb> MidiVerbs() {
    return {{"midi",
             "MIDI/KAR file facts: tempo map, length, title, lyrics source, channel settings",
             RunMidi}};
}

bool LooksLikeMidiFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    in.read(head, sizeof head);
    return IsMidiFile(std::string_view(head, static_cast<std::size_t>(in.gcount())));
}

bool LoadMidiLyricsForCli(const std::string& path, LyricsModel& model, std::string& source,
                          std::string& error, Codepage codepage) {
    ReadResult read = ReadWholeFile(path, kMaxSmfBytes);
    if (!read.bytes) {
        error = read.error;
        return false;
    }
    MidiLyricsOptions options;  // no converter outside the player's settings
    options.codepage = codepage;
    const MidiLyricsResult r =
        LoadMidiLyrics(StripSettingsBlock(*read.bytes), path, options, model);
    source = LyricSourceName(r.source);
    error = r.error;
    return r.source != MidiLyricSource::None;
}

int RenderMidiForCli(const VerbArgs& raw) {
    Args args(raw);
    if (args.WantsHelp()) {
        std::cout << kRenderHelp;
        return kExitOk;
    }
    const auto out = args.Option("-o");
    const auto transpose = args.Option("--transpose");
    const auto tempo = args.Option("--midi-tempo");
    const auto mute = args.Option("--mute");
    const auto soundFont = args.Option("--soundfont");
    const auto start = args.Option("--start");
    const auto pos = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (pos.size() != 1 || !out || !args.Unknown().empty())
        return Fail("usage: cbx render SONG.mid -o OUT.wav", kExitUsage);
    int semitones = 0, thumb = kTempoSliderRest;
    if (transpose && (!ParseInt(*transpose, semitones) || std::abs(semitones) > 48)) {
        return Fail("--transpose takes semitones from -48 to 48", kExitUsage);
    }
    if (tempo && (!ParseInt(*tempo, thumb) || thumb < kTempoSliderMin || thumb > kTempoSliderMax)) {
        return Fail("--midi-tempo takes a slider position from 77 to 141", kExitUsage);
    }
    if (MidiTempoFactor(thumb) <= 0)
        return Fail("at tempo position 77 the song stands still; nothing to render");
    std::vector<int> muted;
    if (mute) {
        std::stringstream list(*mute);
        for (std::string item; std::getline(list, item, ',');) {
            int ch = -1;
            if (!ParseInt(item, ch) || ch < 0 || ch >= kMidiChannels)
                return Fail("--mute takes channels 0..15", kExitUsage);
            muted.push_back(ch);
        }
    }
    std::string font = soundFont.value_or("");
    if (font.empty()) {
        const auto ports = ListSoundFonts({}, SoundFontFolders());
        if (const SoundFontPort* port = SelectMidiDevice(ports, 1)) font = port->Path.string();
    }
    if (font.empty()) return Fail(kNoSoundFontMessage);

    MidiPlayer player;
    LyricsModel model;
    const MidiOpenResult opened = player.OpenMusic(pos[0], font, MidiLyricsOptions(), model);
    if (!opened.opened || !opened.playable) return Fail(pos[0] + ": " + opened.message);
    for (int ch : muted) player.ChannelEnabled(ch, false);
    player.SetTempoSlider(thumb);
    MidiSynth& synth = *player.Source();
    for (int c = 0; c < kMidiChannels; ++c) synth.SetChannelTranspose(c, semitones);
    if (start) {
        double s = 0;
        try {
            s = std::stod(*start);
        } catch (...) {
            return Fail("--start takes seconds", kExitUsage);
        }
        player.SetMidiPosition(s);
    }
    player.PlayMidi();
    std::vector<float> samples;
    std::vector<float> block(2 * kRenderBlockFrames);
    const auto maxFrames = static_cast<std::size_t>(kMaxRenderSeconds * synth.SampleRate());
    while (samples.size() / 2 < maxFrames) {
        const std::size_t n = synth.Render(block.data(), kRenderBlockFrames);
        samples.insert(samples.end(), block.begin(),
                       block.begin() + static_cast<std::ptrdiff_t>(2 * n));
        if (n < kRenderBlockFrames) break;
    }
    const std::string error = WriteFileAtomically(*out, FloatWav(samples, synth.SampleRate()));
    if (!error.empty()) return Fail(*out + ": " + error);
    std::cerr << "rendered " << Num(static_cast<double>(samples.size() / 2) / synth.SampleRate())
              << " s to " << *out << "\n";
    return kExitOk;
}

}  // namespace cx::cli
