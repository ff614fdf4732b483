// Lyric extraction on a 100 kB KAR, and the synth's real-time factor.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "midi/MidiLyrics.h"
#include "midi/MidiSynth.h"
#include "midi/SoundFonts.h"
#include "midi/SmfWriter.h"  // tests/midi: the test SMF writer

namespace {

using cx::test::TrackWriter;

// About 100 kB: a words track of syllables with line marks, and a melody track.
std::string LargeKar() {
    TrackWriter conductor, words, melody;
    conductor.Tempo(0, 500000);
    words.Name(0, "Words").Text(0, "@TBench Song").Text(0, "@TBench Artist");
    melody.Program(0, 0, 73);
    for (int i = 0; words.Data().size() + melody.Data().size() < 100 * 1024; ++i) {
        words.Text(48, (i % 8 == 0 ? "/" : "") + std::string("syl") + std::to_string(i % 100) + " ");
        melody.NoteOn(0, 0, 60 + i % 12).NoteOff(48, 0, 60 + i % 12);
        if (i % 400 == 0) conductor.Tempo(48 * 400, 400000 + (i % 3) * 50000);
    }
    conductor.End();
    words.End();
    melody.End();
    return cx::test::Smf(1, 96, {conductor, words, melody});
}

void BM_LyricExtraction100kB(benchmark::State& state) {
    const std::string kar = LargeKar();
    for (auto _ : state) {
        cx::LyricsModel model;
        cx::LoadMidiLyrics(kar, {}, cx::MidiLyricsOptions(), model);
        benchmark::DoNotOptimize(model.Lyrics.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kar.size()));
    state.counters["kB"] = static_cast<double>(kar.size()) / 1024;
}
BENCHMARK(BM_LyricExtraction100kB)->Unit(benchmark::kMillisecond);

// A busy General MIDI song: the corpus opera aria when present, else 16 channels of chords.
std::string BusySong() {
    const std::filesystem::path corpus = std::filesystem::path(CX_CORPUS_DIR) / "midi/mozart_konigdernacht.mid";
    if (std::ifstream in{corpus, std::ios::binary}) return std::string(std::istreambuf_iterator<char>(in), {});
    std::vector<TrackWriter> tracks(16);
    for (int ch = 0; ch < 16; ++ch) {
        tracks[ch].Program(0, ch, ch * 8);
        for (int beat = 0; beat < 240; ++beat) {
            for (int k = 0; k < 4; ++k) tracks[ch].NoteOn(0, ch, 40 + ch * 2 + k * 4);
            for (int k = 0; k < 4; ++k) tracks[ch].NoteOff(k == 0 ? 96 : 0, ch, 40 + ch * 2 + k * 4);
        }
        tracks[ch].End();
    }
    return cx::test::Smf(1, 96, tracks);
}

void BM_SynthRealTimeFactor(benchmark::State& state) {
    const auto ports = cx::ListSoundFonts({}, cx::SoundFontFolders());
    const cx::SoundFontPort* port = cx::SelectMidiDevice(ports, 1);
    if (!port) {
        state.SkipWithError("no SoundFont installed");
        return;
    }
    const std::string song = BusySong();
    std::string error;
    auto synth = cx::MidiSynth::Create(song, port->Path.string(), cx::SynthOptions(), error);
    if (!synth) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<float> buf(2 * 512);
    double audio = 0, wall = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        std::size_t n = synth->Render(buf.data(), 512);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (n < 512) synth->SeekFrame(0);
        audio += static_cast<double>(n) / synth->SampleRate();
    }
    // Seconds of audio per second: by the wall clock, and per CPU second (kIsRate).
    state.counters["realtime_factor"] = wall > 0 ? audio / wall : 0;
    state.counters["audio_s_per_cpu_s"] = benchmark::Counter(audio, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SynthRealTimeFactor)->MinTime(3.0);

}  // namespace
