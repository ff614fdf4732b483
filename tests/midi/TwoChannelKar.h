// A small KAR song for the mixer tests: a piano note on channel 1, then a
// flute melody note on channel 4, with a words track, at 120 beats a minute.
#pragma once

#include <string>
#include <tuple>

#include "midi/SmfWriter.h"

namespace cx::test {

inline constexpr int kKarPianoChannel = 0;
inline constexpr int kKarMelodyChannel = 3;
inline constexpr int kKarPianoKey = 60;   // C4, 0.25 s to 1.25 s
inline constexpr int kKarMelodyKey = 67;  // G4, 1.75 s to 2.75 s
inline constexpr int kKarFluteProgram = 73;

inline std::string TwoChannelKar() {
    TrackWriter tempo;
    tempo.Name(0, "Two Channels").Tempo(0, 500000).End(576);
    TrackWriter words, piano, melody;
    words.Name(0, "Words").Text(0, "@KMIDI KARAOKE FILE").Text(0, "@TTest Song");
    words.Text(0, "@TTester").Text(48, "\\Hel").Text(96, "lo ").Text(192, "/world").End(240);
    // Each instrument: its program and volume, then its one note.
    for (auto [track, name, channel, program, key, before, after] :
         {std::tuple{&piano, "Piano", kKarPianoChannel, 0, kKarPianoKey, 48, 336},
          {&melody, "Melody", kKarMelodyChannel, kKarFluteProgram, kKarMelodyKey, 336, 48}}) {
        track->Name(0, name).Program(0, channel, program).Control(0, channel, 7, 120);
        track->NoteOn(before, channel, key).NoteOff(192, channel, key).End(after);
    }
    return Smf(1, 96, {tempo, words, piano, melody});
}

}  // namespace cx::test
