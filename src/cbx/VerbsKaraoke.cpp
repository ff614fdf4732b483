// cbx karaoke, transition and play: the karaoke display without a window.
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <cctype>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "karaoke/GuiContext.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/KaraokeSong.h"
#include "karaoke/Transitions.h"
#include "playback/AudioEngine.h"
#include "playback/AudioOutput.h"

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
    if (auto v = args.Option("--min-font"); v && !ParseInt(*v, 0, 100, s.LyricsMinFontPercent)) {
        error = "--min-font wants a percentage of the font size, 0 to 100";
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
    s.LyricsSmoothSweep = args.Flag("--sweep");
    fullscreen = args.Flag("--fullscreen");
    return true;
}

// MIDI and KAR songs take their lyrics from the MIDI verbs' loader.
SongLyricsLoader MidiLoader(CodepageChoice cp) {
    return [cp](const std::string& path, LyricsModel& model,
                std::string& error) -> std::optional<bool> {
        if (!LooksLikeMidiFile(path)) return std::nullopt;
        std::string source;
        return LoadMidiLyricsForCli(path, model, source, error, cp.codepage);
    };
}

// Why a picture cannot be written at `path`, checked before the work is done;
// empty when it can be tried.
std::string ImageOutputProblem(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return "the folder " + folder.string() + " does not exist";
    const QByteArray ext =
        QString::fromStdString(target.extension().string()).mid(1).toLower().toUtf8();
    if (ext.isEmpty() || !QImageWriter::supportedImageFormats().contains(ext))
        return "cannot write " + path + " (use a .png, .bmp or .jpg name)";
    return {};
}

int FailCodepage() {
    return Fail("--codepage takes auto, 1250, 1252 or 28592", kExitUsage);
}

const char* kKaraokeHelp =
    "usage: cbx karaoke MEDIA --at SECONDS -o FRAME.png [--size WxH] [--mode 0..3]\n"
    "                   [--line-mode] [--ball] [--fullscreen] [--fit] [--outline 0..4]\n"
    "                   [--font NAME] [--font-size PT] [--offset SECONDS] [--picture FILE]\n"
    "                   [--title] [--sweep] [--min-font PERCENT]\n"
    "                   [--codepage auto|1250|1252|28592]\n"
    "Plays the song's lyrics tick by tick (every 10 ms) from 0 to SECONDS and writes\n"
    "the karaoke window's lyric area as it then stands, pictures and transitions\n"
    "included. --size is the window's inner size (default 800x600); in windowed mode\n"
    "the caption and bottom strips (37 pixels) are not part of the lyric area.\n"
    "--sweep colours each piece from left to right over its time; a line that would\n"
    "need a font below --min-font percent of the font size (default 67) wraps.\n";

int RunKaraoke(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kKaraokeHelp << kCodepageHelp;
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
    CodepageChoice cp;
    if (!ReadCodepageOption(args, cp)) return FailCodepage();
    const auto media = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (media.size() != 1 || !at || !out)
        return Fail("usage: cbx karaoke MEDIA --at SECONDS -o FRAME.png", kExitUsage);
    double seconds = 0;
    if (!ParseNumber(*at, seconds) || seconds < 0 || seconds > 24 * 3600)
        return Fail("--at wants seconds from 0", kExitUsage);
    if (const std::string problem = ImageOutputProblem(*out); !problem.empty())
        return Fail(problem);

    EnsureGuiContext();
    KaraokeSong song;
    if (!LoadKaraokeSong(media[0], settings, cp, MidiLoader(cp), song, error)) return Fail(error);
    KaraokeDisplay display;
    display.SetSettings(settings);
    display.SetWindow(width, height, fullscreen);
    display.SetMediaOpen(true);
    display.ChangeLyrics(&song.Model, song.Look);
    const long last = std::lround(seconds * 1000);
    for (long ms = 0; ms <= last; ms += 10) display.IsPlaying(ms / 1000.0, ms);
    if (!display.Frame().save(QString::fromStdString(*out))) return Fail("cannot write " + *out);
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
    TransitionSpec desc;
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
    desc.Effect = *effect;
    desc.Variant = variant.value_or("");
    if (speed && !ParseInt(*speed, 1, 10, desc.Speed))
        return Fail("--speed wants 1 to 10", kExitUsage);
    if (desc.Effect != "No effect" && !IsKnownTransition(desc)) {
        std::string known;
        for (const auto& v : TransitionVariants(desc.Effect))
            known += (known.empty() ? "" : ", ") + v;
        if (TransitionGroup(desc.Effect).empty())
            return Fail("unknown effect '" + desc.Effect + "' (cbx transition --list)", kExitUsage);
        return Fail("'" + desc.Effect + "' has the variants " + known, kExitUsage);
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
    const int steps = TransitionSteps(desc, QSize(w, h), preview);
    for (int f = 0; f <= steps; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04d.png", f);
        const auto path = (std::filesystem::path(*dir) / name).string();
        if (!TransitionFrame(a, b, desc, f, steps).save(QString::fromStdString(path)))
            return Fail("cannot write " + path);
    }
    std::cout << steps + 1 << " frames\n";
    return kExitOk;
}

// --- cbx play ---------------------------------------------------------------

constexpr double kSeekStepSeconds = 5.0;
constexpr int kOutputRate = 44100;
constexpr int kTickMs = 10;  // the player's playback tick

// Seconds since start on the steady clock, pausable and movable: the stand-in
// for the audio clock when a song cannot be heard (MIDI, no device).
class WallClock final : public AudioClock {
public:
    WallClock() : m_start(std::chrono::steady_clock::now()) {}
    double AudiblePositionSeconds() const override {
        if (m_paused) return m_base;
        return m_base +
               std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }
    void Pause(bool paused) {
        if (paused == m_paused) return;
        m_base = AudiblePositionSeconds();
        m_start = std::chrono::steady_clock::now();
        m_paused = paused;
    }
    void MoveTo(double seconds) {
        m_base = std::max(0.0, seconds);
        m_start = std::chrono::steady_clock::now();
    }

private:
    std::chrono::steady_clock::time_point m_start;
    double m_base = 0;
    bool m_paused = false;
};

// Raw, unechoed keys on a terminal for as long as it lives.
class RawTerminal {
public:
    RawTerminal() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &m_saved) != 0) return;
        termios raw = m_saved;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        m_active = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    ~RawTerminal() {
        if (m_active) tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
    }
    // The next key: ' ', 'q', 'L' (left arrow), 'R' (right arrow), or 0.
    char Key() {
        if (!m_active) return 0;
        pollfd fd{STDIN_FILENO, POLLIN, 0};
        if (poll(&fd, 1, 0) <= 0) return 0;
        char buf[8] = {};
        const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
        if (n >= 3 && buf[0] == 27 && buf[1] == '[')
            return buf[2] == 'D' ? 'L' : buf[2] == 'C' ? 'R' : 0;
        if (n >= 1 && (buf[0] == ' ' || buf[0] == 'q' || buf[0] == 'Q'))
            return static_cast<char>(std::tolower(buf[0]));
        return 0;
    }

private:
    termios m_saved{};
    bool m_active = false;
};

std::string Stamp(double seconds) {
    char buf[32];
    const int cs = static_cast<int>(std::lround(std::max(0.0, seconds) * 100));
    std::snprintf(buf, sizeof buf, "%02d:%02d.%02d", cs / 6000, cs / 100 % 60, cs % 100);
    return buf;
}

// Writes what the progression shows: a new line when one begins, and the sung
// part of the current line as pieces are reached.
class TerminalLyrics {
public:
    explicit TerminalLyrics(bool ansi) : m_ansi(ansi) {}
    void Show(const KaraokeDisplay& d, double position) {
        const int piece = d.CurrentPiece();
        const bool lines = d.ShownPage() == KaraokeDisplay::Page::Lines;
        if (piece == m_piece && lines == m_lines) return;
        m_piece = piece;
        m_lines = lines;
        if (!lines) return;
        const std::string& line = d.ShownLine();
        const std::string& sung = d.SungText();
        const bool newLine = line != m_line || sung.size() < m_sung.size();
        if (m_ansi) {
            std::cout << (newLine && !m_line.empty() ? "\n" : "\r") << "\x1b[K\x1b[1;33m" << sung
                      << "\x1b[0m" << line.substr(std::min(sung.size(), line.size())) << std::flush;
        } else {
            if (newLine) std::cout << Stamp(position) << "  " << line << "\n";
            std::cout << Stamp(position) << "    "
                      << sung.substr(std::min(newLine ? 0 : m_sung.size(), sung.size())) << "\n";
        }
        m_line = line;
        m_sung = sung;
    }
    void End() {
        if (m_ansi && !m_line.empty()) std::cout << "\n";
        std::cout << std::flush;
    }

private:
    bool m_ansi;
    int m_piece = -1;
    bool m_lines = false;
    std::string m_line, m_sung;
};

const char* kPlayHelp =
    "usage: cbx play MEDIA [--plain] [--silent] [--seconds N] [--offset SECONDS]\n"
    "                [--codepage auto|1250|1252|28592]\n"
    "Plays a song and follows its lyrics in the terminal: each line as it comes,\n"
    "the sung pieces marked as the audible position reaches them. Space pauses,\n"
    "the left and right arrows seek 5 s, q quits. --plain writes one timed line per\n"
    "piece (the default when stdout is not a terminal); --silent follows a wall\n"
    "clock without sound; --seconds stops after N seconds. MIDI songs follow a wall\n"
    "clock.\n";

int RunPlay(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kPlayHelp << kCodepageHelp;
        return kExitOk;
    }
    KaraokeSettings settings;
    settings.DisplayMode = 1;
    const bool plain = args.Flag("--plain") || !isatty(STDOUT_FILENO);
    const bool silent = args.Flag("--silent");
    double limit = -1;
    if (auto v = args.Option("--seconds"); v && (!ParseNumber(*v, limit) || limit < 0))
        return Fail("--seconds wants a number of seconds", kExitUsage);
    if (auto v = args.Option("--offset"); v && !ParseNumber(*v, settings.LyricsOffset))
        return Fail("--offset wants seconds", kExitUsage);
    CodepageChoice cp;
    if (!ReadCodepageOption(args, cp)) return FailCodepage();
    const auto media = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (media.size() != 1) return Fail("usage: cbx play MEDIA", kExitUsage);

    EnsureGuiContext();
    KaraokeSong song;
    std::string error;
    if (!LoadKaraokeSong(media[0], settings, cp, MidiLoader(cp), song, error)) return Fail(error);

    // The audible clock of the song when it can be heard; a wall clock otherwise.
    AudioEngine engine(kOutputRate);
    std::unique_ptr<AudioOutput> output;
    std::unique_ptr<AudioClock> audioClock;
    AudioHandle channel = 0;
    WallClock wall;
    if (!silent && song.Source != "midi") {
        std::string why;
        const AudioHandle stream = engine.StreamCreateFile(song.MediaPath, true, false, &why);
        channel = stream ? engine.TempoCreate(stream) : 0;
        if (channel) {
            output = std::make_unique<SdlOutput>(engine, "");
            if (!output->Start(why)) {
                std::cerr << "cbx: no sound (" << why << "); following the song silently\n";
                output = std::make_unique<NullDevice>(engine);
                output->Start(why);
            }
            audioClock = engine.MakeClock(channel);
            engine.ChannelPlay(channel, true);
        } else {
            std::cerr << "cbx: cannot play " << song.MediaPath << " (" << why
                      << "); following a wall clock\n";
        }
    } else if (song.Source == "midi") {
        std::cerr << "cbx: MIDI songs are followed on a wall clock, without sound\n";
    }
    const AudioClock& clock = audioClock ? *audioClock : static_cast<const AudioClock&>(wall);

    KaraokeDisplay display;
    display.SetSettings(settings);
    display.SetWindow(320, 200, true);
    display.SetMediaOpen(true);
    display.ChangeLyrics(&song.Model, song.Look);
    TerminalLyrics out(!plain);
    RawTerminal keys;
    const auto started = std::chrono::steady_clock::now();
    const double lastPiece = song.Model.Lyrics.back().StartTime;
    bool paused = false;
    if (!plain) {
        std::cout << song.Model.LyricsHeader << "  (space pauses, arrows seek, q quits)\n";
    }
    for (;;) {
        const char key = keys.Key();
        if (key == 'q') break;
        if (key == ' ') {
            paused = !paused;
            if (channel && paused) engine.ChannelStop(channel);
            if (channel && !paused) engine.ChannelPlay(channel);
            wall.Pause(paused);
        }
        const std::int64_t nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - started)
                                       .count();
        if (key == 'L' || key == 'R') {
            const double to =
                std::max(0.0, clock.AudiblePositionSeconds() +
                                  (key == 'L' ? -kSeekStepSeconds : kSeekStepSeconds));
            if (channel) engine.SetPositionSeconds(channel, to);
            wall.MoveTo(to);
            display.GetLastPos(to, nowMs);
        }
        const double position = clock.AudiblePositionSeconds();
        display.IsPlaying(position, nowMs);
        out.Show(display, position);
        if (limit >= 0 && nowMs >= limit * 1000) break;
        const bool ended =
            channel ? engine.ChannelEnded(channel) : position > lastPiece + kLastTimerMs / 1000.0;
        if (ended) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
    }
    out.End();
    if (output) output->Stop();
    return kExitOk;
}

}  // namespace

std::vector<Verb> KaraokeVerbs() {
    return {
        {"karaoke", "render the karaoke window's lyric area at a moment of a song", RunKaraoke},
        {"transition", "write the frames of one picture transition", RunTransition},
        {"play", "play a song and follow its lyrics in the terminal", RunPlay},
    };
}

}  // namespace cx::cli
