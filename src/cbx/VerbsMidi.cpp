// cbx midi, and the MIDI side of cbx lyrics and cbx render.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/RenderOptions.h"
#include "cbx/Verbs.h"
#include "lyrics/LyricsModel.h"
#include "midi/MelodyFinder.h"
#include "midi/MidiInfo.h"
#include "midi/MidiLyrics.h"
#include "midi/MidiPlayer.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/SoundFonts.h"
#include "platform/AtomicFile.h"
#include "platform/PrivateTemp.h"
#include "playback/AudioEngine.h"
#include "playback/OfflineRenderer.h"

namespace cx::cli {
namespace {

constexpr double kMaxRenderSeconds = 3 * 3600.0;

const char* kMidiHelp =
    "usage: cbx midi FILE [--json] [--codepage 1250|1252] [--converter COMMAND]\n"
    "       cbx midi render SONG.mid -o OUT.wav [...]   (the same as cbx render)\n"
    "       cbx midi melody FILE [--json] [--codepage 1250|1252]\n"
    "Prints a MIDI/KAR file's format, track count, division, tempo map, length in\n"
    "seconds, KAR title and artist, where its lyrics come from, and the channel\n"
    "records of its settings block. COMMAND is the external MIDI-to-KAR converter,\n"
    "run as COMMAND MIDI OUTPUT. \"melody\" prints the channel (1-16) that carries\n"
    "the tune under the words and the note each syllable is sung on.\n";

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

const char* NoteName(int pitch) {
    static const char* const kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};
    return kNames[((pitch % 12) + 12) % 12];
}

void PrintMelody(const MelodyResult& m, const LyricsModel& model, bool json) {
    auto text = [&](const SungNote& n) {
        return n.Piece > 0 && n.Piece <= model.UpperBound()
                   ? model.Lyrics[static_cast<std::size_t>(n.Piece)].PieceText
                   : std::string();
    };
    if (json) {
        std::ostringstream o;
        o << "{\"channel\":" << m.Channel + 1 << ",\"syllables\":" << m.Syllables
          << ",\"lines\":" << m.Notes.LineCount << ",\"notes\":[";
        for (std::size_t i = 0; i < m.Notes.Notes.size(); ++i) {
            const SungNote& n = m.Notes.Notes[i];
            o << (i ? "," : "") << "{\"start\":" << Num(n.StartTime)
              << ",\"length\":" << Num(n.Length) << ",\"pitch\":" << n.Pitch
              << ",\"line\":" << n.Line << ",\"piece\":" << n.Piece
              << ",\"text\":" << JsonString(text(n)) << "}";
        }
        o << "],\"candidates\":[";
        for (std::size_t i = 0; i < m.Fits.size(); ++i) {
            const ChannelFit& f = m.Fits[i];
            o << (i ? "," : "") << "{\"channel\":" << f.Channel + 1 << ",\"hits\":" << f.Hits
              << ",\"notes\":" << f.Notes << ",\"meanPitch\":" << Num(f.MeanPitch) << "}";
        }
        std::cout << o.str() << "]}\n";
        return;
    }
    std::cout << "channel: " << m.Channel + 1 << "\nsyllables: " << m.Syllables << "\n";
    for (const ChannelFit& f : m.Fits)
        std::cout << "  channel " << f.Channel + 1 << ": " << f.Hits << " syllables on notes, "
                  << f.Notes << " notes, mean pitch " << Num(f.MeanPitch) << "\n";
    for (const SungNote& n : m.Notes.Notes)
        std::cout << Num(n.StartTime) << " +" << Num(n.Length) << " " << NoteName(n.Pitch)
                  << (n.Pitch / 12 - 1) << " (" << n.Pitch << ") line " << n.Line + 1 << " "
                  << text(n) << "\n";
}

int RunMelody(const VerbArgs& raw) {
    Args args(raw);
    if (args.WantsHelp()) {
        std::cout << kMidiHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    const auto cp = args.Option("--codepage");
    const auto pos = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (pos.size() != 1 || !args.Unknown().empty())
        return Fail("usage: cbx midi melody FILE [--json]", kExitUsage);
    LyricsModel model;
    MelodyResult m;
    std::string error;
    if (!LoadMidiMelodyForCli(pos[0], CodepageOption(cp), model, m, error))
        return Fail(pos[0] + ": " + error);
    PrintMelody(m, model, json);
    return kExitOk;
}

int RunMidi(const VerbArgs& raw) {
    // One renderer, one set of options: "cbx midi render" is "cbx render".
    if (!raw.empty() && raw[0] == "render")
        return RenderForCli(VerbArgs(raw.begin() + 1, raw.end()));
    if (!raw.empty() && raw[0] == "melody") return RunMelody(VerbArgs(raw.begin() + 1, raw.end()));
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

std::string FirstSoundFont(const std::string& chosen) {
    if (!chosen.empty()) return chosen;
    const auto ports = ListSoundFonts({}, SoundFontFolders());
    const SoundFontPort* port = SelectMidiDevice(ports, 1);
    return port ? port->Path.string() : std::string();
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

bool LoadMidiMelodyForCli(const std::string& path, Codepage codepage, LyricsModel& model,
                          MelodyResult& melody, std::string& error) {
    ReadResult read = ReadWholeFile(path, kMaxSmfBytes);
    if (!read.bytes) {
        error = read.error;
        return false;
    }
    melody = FindSongMelody(StripSettingsBlock(*read.bytes), codepage, model);
    error = melody.Error;
    return melody.Channel >= 0;
}

int RenderMidiForCli(const RenderOptions& o) {
    constexpr const char* kStandsStill = "at tempo position 77 the song stands still";
    if (o.midiTempo && MidiTempoFactor(*o.midiTempo) <= 0)
        return Fail(std::string(kStandsStill) + "; nothing to render", kExitUsage);
    const std::string font = FirstSoundFont(o.soundFont);
    if (font.empty()) return Fail(kNoSoundFontMessage);

    // Opening applies the song's settings block; the options given override it.
    MidiPlayer player;
    LyricsModel model;
    const MidiOpenResult opened = player.OpenMusic(o.input, font, MidiLyricsOptions(), model);
    if (!opened.opened || !opened.playable) return Fail(o.input + ": " + opened.message);
    for (int ch : o.mute) player.ChannelEnabled(ch, false);
    if (o.midiTempo) player.SetTempoSlider(*o.midiTempo);
    const double factor = MidiTempoFactor(player.TempoSlider());
    if (factor <= 0)
        return Fail(o.input + ": saved " + kStandsStill + "; give --midi-tempo", kExitUsage);
    MidiSynth& synth = *player.Source();
    if (o.transpose) {
        for (int c = 0; c < kMidiChannels; ++c) synth.SetChannelTranspose(c, *o.transpose);
    }
    player.PlayMidi();

    // The same engine and streaming writer as audio songs: no song in memory.
    const int rate = synth.SampleRate();
    AudioEngine engine(rate);
    const AudioHandle channel = engine.CreateSourceChannel(std::make_unique<BorrowedSource>(synth));
    engine.ChannelSetAttributes(channel, -1, o.volume, o.pan);
    if (o.from > 0) engine.SetPositionSeconds(channel, o.from);
    // Positions count what the synth hands out; --to is a time of the written song.
    const double to = o.to >= 0 ? o.to : kMaxRenderSeconds * factor;
    const auto toFrame =
        static_cast<std::int64_t>(std::llround((o.from + (to - o.from) / factor) * rate));
    const RenderResult r = OfflineRenderer(engine).RunToFile(channel, toFrame, o.output);
    if (!r.error.empty()) return Fail(r.error);
    for (const auto& w : player.Info().Warnings) std::cerr << "warning: " << w << "\n";
    if (o.json) {
        std::cout << "{\"output\":" << JsonString(o.output) << ",\"frames\":" << r.frames
                  << ",\"rate\":" << rate << ",\"seconds\":" << r.seconds
                  << ",\"realTimeFactor\":" << r.realTimeFactor
                  << ",\"songSeconds\":" << Num(player.Info().LengthSeconds) << "}\n";
    } else {
        std::cout << "frames " << r.frames << "\n"
                  << "real-time factor " << r.realTimeFactor << "\n";
    }
    return kExitOk;
}

}  // namespace cx::cli
