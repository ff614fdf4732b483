// Side by side in one run: `cbx render SONG.mid -o OUT.wav` against plain
// FluidSynth (a fluid_player driving fluid_synth_write_float to the end,
// FluidSynth's default settings, nothing written), each a child process so
// that its peak memory is its own.
// Usage: cx_midi_render_vs_fluidsynth [SONG.mid] [--soundfont SF2]
//        cx_midi_render_vs_fluidsynth --write-busy OUT.mid   (the generated song)
// Default: the busiest corpus song when present, and a generated busy
// five-minute song; FluidR3 GM when installed, else the first GM SoundFont.
#include <fluidsynth.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "midi/SmfWriter.h"  // tests/midi: the test SMF writer
#include "midi/SoundFonts.h"

namespace {

using namespace cx::bench;
using cx::test::TrackWriter;

constexpr int kBlockFrames = 1024;

// Plain FluidSynth: the song through a fluid_player, rendered as fast as it goes.
int RenderPlain(const char* song, const char* soundFont) {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, nullptr, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    // The player follows the rendered samples, not the wall clock.
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (fluid_synth_sfload(synth, soundFont, 1) == FLUID_FAILED) return 2;
    fluid_player_t* player = new_fluid_player(synth);
    if (fluid_player_add(player, song) != FLUID_OK || fluid_player_play(player) != FLUID_OK)
        return 3;
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    long long frames = 0;
    const auto start = std::chrono::steady_clock::now();
    while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING) {
        fluid_synth_write_float(synth, kBlockFrames, left.data(), 0, 1, right.data(), 0, 1);
        frames += kBlockFrames;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lld %.3f\n", frames, seconds);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return 0;
}

// Five minutes of all sixteen channels: three-note chords on every beat
// with controller sweeps, at 120 bpm.
std::string BusySong() {
    constexpr int kBeats = 600;
    std::vector<TrackWriter> tracks(17);
    tracks[0].Tempo(0, 500000).End();
    for (int ch = 0; ch < 16; ++ch) {
        TrackWriter& t = tracks[ch + 1];
        t.Program(0, ch, (ch * 8 + 1) % 128);
        for (int beat = 0; beat < kBeats; ++beat) {
            const int root = ch == 9 ? 35 + beat % 12 : 36 + ch * 3 + (beat / 4) % 7;
            for (int k = 0; k < 3; ++k) t.NoteOn(0, ch, root + k * 4, 60 + (beat * 7 + k) % 60);
            t.Control(0, ch, 11, 64 + beat % 64);
            for (int k = 0; k < 3; ++k) t.NoteOff(k == 0 ? 480 : 0, ch, root + k * 4);
        }
        t.End();
    }
    return cx::test::Smf(1, 480, tracks);
}

std::string DefaultSoundFont() {
    const std::string fluidR3 = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
    if (::access(fluidR3.c_str(), R_OK) == 0) return fluidR3;
    const auto ports = cx::ListSoundFonts({}, cx::SoundFontFolders());
    const cx::SoundFontPort* port = cx::SelectMidiDevice(ports, 1);
    return port ? port->Path.string() : std::string();
}

// `render` is the time of the rendering loop alone, as the program itself measured it.
void PrintRow(const char* name, const ChildResult& r, double render, double songSeconds) {
    std::printf("%-26s %8.2f %8.2f %9.2f %9.1f %9.1f\n", name, r.seconds, r.cpuSeconds, render,
                r.seconds > 0 ? songSeconds / r.seconds : 0.0, r.peakMb);
}

// The "seconds" value of cbx's JSON answer.
double JsonSeconds(const std::filesystem::path& file) {
    std::ifstream in(file);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const auto at = text.find("\"seconds\":");
    return at == std::string::npos ? 0.0 : std::atof(text.c_str() + at + 10);
}

void Compare(const std::string& self, const std::string& cbx, const std::string& song,
             const std::string& soundFont, const std::filesystem::path& dir) {
    std::printf("\n%s\n", song.c_str());
    const auto plainOut = dir / "plain.txt";
    const ChildResult plain = RunChild({self, "--plain", song, soundFont}, plainOut.string());
    std::ifstream in(plainOut);
    double frames = 0, plainRender = 0;
    in >> frames >> plainRender;
    const double seconds = frames / 44100.0;
    std::printf("%-26s %8s %8s %9s %9s %9s   (%.1f s of audio)\n", "", "wall s", "cpu s",
                "render s", "x real", "peak MB", seconds);
    if (!plain.ran) {
        std::printf("plain FluidSynth failed (exit %d)\n", plain.status);
        return;
    }
    PrintRow("FluidSynth (reference)", plain, plainRender, seconds);
    const ChildResult ours = RunChild(
        {cbx, "render", song, "-o", (dir / "out.wav").string(), "--soundfont", soundFont, "--json"},
        (dir / "cbx.txt").string());
    if (!ours.ran) {
        std::printf("cbx render failed (exit %d)\n", ours.status);
        return;
    }
    PrintRow("cbx render", ours, JsonSeconds(dir / "cbx.txt"), seconds);
    // CPU time as well: on a shared machine the wall clock also counts waiting.
    std::printf("cbx / FluidSynth: wall %.2fx, cpu %.2fx, render %.2fx\n",
                plain.seconds > 0 ? ours.seconds / plain.seconds : 0,
                plain.cpuSeconds > 0 ? ours.cpuSeconds / plain.cpuSeconds : 0,
                plainRender > 0 ? JsonSeconds(dir / "cbx.txt") / plainRender : 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--plain") == 0) return RenderPlain(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--write-busy") == 0) {
        std::ofstream(argv[2], std::ios::binary) << BusySong();
        return 0;
    }
    std::vector<std::string> songs;
    std::string soundFont;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--soundfont") == 0 && i + 1 < argc) {
            soundFont = argv[++i];
        } else {
            songs.push_back(argv[i]);
        }
    }
    const std::string cbx = std::string(CX_BINARY_DIR) + "/cbx";
    if (::access(cbx.c_str(), X_OK) != 0) {
        std::printf("skipped: %s is not built\n", cbx.c_str());
        return 0;
    }
    if (soundFont.empty()) soundFont = DefaultSoundFont();
    if (soundFont.empty()) {
        std::printf("skipped: no SoundFont installed\n");
        return 0;
    }
    std::printf("SoundFont %s\n", soundFont.c_str());
    ScratchDir dir("cx-midi-render");
    if (dir.Path().empty()) return 1;
    if (songs.empty()) {
        const auto corpus =
            std::filesystem::path(CX_CORPUS_DIR) / "midi" / "mozart_konigdernacht.mid";
        if (std::filesystem::exists(corpus)) songs.push_back(corpus.string());
        const auto busy = dir.Path() / "busy.mid";
        std::ofstream(busy, std::ios::binary) << BusySong();
        songs.push_back(busy.string());
    }
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    for (const auto& song : songs) Compare(self, cbx, song, soundFont, dir.Path());
    return 0;
}
