// cbx karaoke, transition and play: the karaoke display without a window.
#include <QDir>
#include <QImage>
#include <QString>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "karaoke/GuiContext.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/KaraokeSong.h"
#include "karaoke/Transitions.h"

namespace cx::cli {

namespace {

bool ParseSize(const std::string& text, int& w, int& h) {
    const auto x = text.find('x');
    if (x == std::string::npos) return false;
    try {
        std::size_t used = 0;
        w = std::stoi(text.substr(0, x), &used);
        if (used != x) return false;
        h = std::stoi(text.substr(x + 1), &used);
        if (used != text.size() - x - 1) return false;
    } catch (...) {
        return false;
    }
    return w >= 16 && h >= 16 && w <= 8192 && h <= 8192;
}

bool ParseNumber(const std::string& text, double& value) {
    try {
        std::size_t used = 0;
        value = std::stod(text, &used);
        return used == text.size() && std::isfinite(value);
    } catch (...) {
        return false;
    }
}

bool ParseInt(const std::string& text, int lo, int hi, int& value) {
    double d = 0;
    if (!ParseNumber(text, d) || d != std::floor(d) || d < lo || d > hi) return false;
    value = static_cast<int>(d);
    return true;
}

// Options every karaoke verb shares; false with a message on a bad value.
bool ReadDisplayOptions(Args& args, KaraokeSettings& s, int& width, int& height, bool& fullscreen,
                        std::string& error) {
    if (auto v = args.Option("--size"); v && !ParseSize(*v, width, height)) {
        error = "--size wants WIDTHxHEIGHT between 16 and 8192, not '" + *v + "'";
        return false;
    }
    if (auto v = args.Option("--mode"); v && !ParseInt(*v, 0, 3, s.DisplayMode)) {
        error = "--mode wants 0, 1, 2 or 3";
        return false;
    }
    if (auto v = args.Option("--outline"); v && !ParseInt(*v, 0, 4, s.LyricsOutlineWidth)) {
        error = "--outline wants 0 to 4";
        return false;
    }
    if (auto v = args.Option("--font-size"); v && !ParseInt(*v, 4, 200, s.LyricsFontSize)) {
        error = "--font-size wants 4 to 200";
        return false;
    }
    if (auto v = args.Option("--offset"); v && !ParseNumber(*v, s.LyricsOffset)) {
        error = "--offset wants seconds";
        return false;
    }
    if (auto v = args.Option("--font")) s.LyricsFont = *v;
    if (auto v = args.Option("--picture")) s.LyricsPicPath = *v;
    s.LyricsMode = args.Flag("--line-mode");
    s.LyricsShowBall = args.Flag("--ball");
    s.LyricsFitFont = args.Flag("--fit");
    s.ShowLyricsTitle = args.Flag("--title");
    fullscreen = args.Flag("--fullscreen");
    return true;
}

// MIDI and KAR songs take their lyrics from the MIDI verbs' loader.
SongLyricsLoader MidiLoader() {
    return
        [](const std::string& path, LyricsModel& model, std::string& error) -> std::optional<bool> {
            if (!LooksLikeMidiFile(path)) return std::nullopt;
            std::string source;
            return LoadMidiLyricsForCli(path, model, source, error);
        };
}

const char* kKaraokeHelp =
    "usage: cbx karaoke MEDIA --at SECONDS -o FRAME.png [--size WxH] [--mode 0..3]\n"
    "                   [--line-mode] [--ball] [--fullscreen] [--fit] [--outline 0..4]\n"
    "                   [--font NAME] [--font-size PT] [--offset SECONDS] [--picture FILE]\n"
    "                   [--title]\n"
    "Plays the song's lyrics tick by tick (every 10 ms) from 0 to SECONDS and writes\n"
    "the karaoke window's lyric area as it then stands, pictures and transitions\n"
    "included. --size is the window's inner size (default 800x600); in windowed mode\n"
    "the caption and bottom strips (37 pixels) are not part of the lyric area.\n";

int RunKaraoke(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kKaraokeHelp;
        return kExitOk;
    }
    KaraokeSettings settings;
    int width = 800, height = 600;
    bool fullscreen = false;
    std::string error;
    const auto at = args.Option("--at");
    auto out = args.Option("-o");
    if (!out) out = args.Option("--output");
    if (!ReadDisplayOptions(args, settings, width, height, fullscreen, error))
        return Fail(error, kExitUsage);
    const auto media = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (media.size() != 1 || !at || !out)
        return Fail("usage: cbx karaoke MEDIA --at SECONDS -o FRAME.png", kExitUsage);
    double seconds = 0;
    if (!ParseNumber(*at, seconds) || seconds < 0 || seconds > 24 * 3600)
        return Fail("--at wants seconds from 0", kExitUsage);

    EnsureGuiContext();
    KaraokeSong song;
    if (!LoadKaraokeSong(media[0], settings, MidiLoader(), song, error)) return Fail(error);
    KaraokeDisplay display;
    display.SetSettings(settings);
    display.SetWindow(width, height, fullscreen);
    display.SetMediaOpen(true);
    display.ChangeLyrics(&song.Model, song.Look);
    const long last = std::lround(seconds * 1000);
    for (long ms = 0; ms <= last; ms += 10) display.IsPlaying(ms / 1000.0, ms);
    if (!display.Frame().save(QString::fromStdString(*out)))
        return Fail("cannot write " + *out + " (use a .png, .bmp or .jpg name)");
    return kExitOk;
}

const char* kTransitionHelp =
    "usage: cbx transition --effect NAME [--variant V] [--speed 1..10] --from A.png --to B.png\n"
    "                      --frames DIR [--preview] [--size WxH]\n"
    "Writes every frame of one picture transition as DIR/frame-0000.png and on: the\n"
    "first is A, the last B. The pictures are stretched to --size (default A's size;\n"
    "112x80 with --preview, which also moves one pixel per frame). --list names the\n"
    "effects and their variants.\n";

int RunTransition(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kTransitionHelp;
        return kExitOk;
    }
    if (args.Flag("--list")) {
        for (const auto& e : TransitionEffects()) {
            std::cout << e;
            for (const auto& v : TransitionVariants(e)) std::cout << "\t" << v;
            std::cout << "\n";
        }
        return kExitOk;
    }
    TransitionSpec spec;
    const auto effect = args.Option("--effect");
    const auto variant = args.Option("--variant");
    const auto speed = args.Option("--speed");
    const auto from = args.Option("--from");
    const auto to = args.Option("--to");
    const auto dir = args.Option("--frames");
    const auto size = args.Option("--size");
    const bool preview = args.Flag("--preview");
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (!effect || !from || !to || !dir)
        return Fail("usage: cbx transition --effect NAME --from A.png --to B.png --frames DIR",
                    kExitUsage);
    spec.Effect = *effect;
    spec.Variant = variant.value_or("");
    if (speed && !ParseInt(*speed, 1, 10, spec.Speed))
        return Fail("--speed wants 1 to 10", kExitUsage);
    if (spec.Effect != "No effect" && !IsKnownTransition(spec)) {
        std::string known;
        for (const auto& v : TransitionVariants(spec.Effect))
            known += (known.empty() ? "" : ", ") + v;
        if (TransitionGroup(spec.Effect).empty())
            return Fail("unknown effect '" + spec.Effect + "' (cbx transition --list)", kExitUsage);
        return Fail("'" + spec.Effect + "' has the variants " + known, kExitUsage);
    }

    EnsureGuiContext();
    QImage a(QString::fromStdString(*from)), b(QString::fromStdString(*to));
    if (a.isNull()) return Fail("cannot read picture " + *from);
    if (b.isNull()) return Fail("cannot read picture " + *to);
    int w = a.width(), h = a.height();
    if (preview) w = kPreviewWidth, h = kPreviewHeight;
    if (size && !ParseSize(*size, w, h)) return Fail("--size wants WIDTHxHEIGHT", kExitUsage);
    a = a.scaled(w, h).convertToFormat(QImage::Format_RGB32);
    b = b.scaled(w, h).convertToFormat(QImage::Format_RGB32);
    std::error_code ec;
    std::filesystem::create_directories(*dir, ec);
    if (!std::filesystem::is_directory(*dir, ec)) return Fail("cannot make folder " + *dir);
    const int steps = TransitionSteps(spec, QSize(w, h), preview);
    for (int f = 0; f <= steps; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04d.png", f);
        const auto path = (std::filesystem::path(*dir) / name).string();
        if (!TransitionFrame(a, b, spec, f, steps).save(QString::fromStdString(path)))
            return Fail("cannot write " + path);
    }
    std::cout << steps + 1 << " frames\n";
    return kExitOk;
}

}  // namespace

std::vector<Verb> KaraokeVerbs() {
    return {
        {"karaoke", "render the karaoke window's lyric area at a moment of a song", RunKaraoke},
        {"transition", "write the frames of one picture transition", RunTransition},
    };
}

}  // namespace cx::cli
