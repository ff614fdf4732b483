// A small KAR song for the mixer tests: a piano note on channel 1, then a
// flute melody note on channel 4, with a words track, at 120 beats a minute.
#pragma once

#include <string>

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
    TrackWriter words;
    words.Name(0, "Words")
        .Text(0, "@KMIDI KARAOKE FILE")
        .Text(0, "@TTest Song")
        .Text(0, "@TTester")
        .Text(48, "\\Hel")
        .Text(96, "lo ")
        .Text(192, "/world")
        .End(240);
    TrackWriter piano;
    piano.Name(0, "Piano")
        .Program(0, kKarPianoChannel, 0)
        .Control(0, kKarPianoChannel, 7, 120)
        .NoteOn(48, kKarPianoChannel, kKarPianoKey)
        .NoteOff(192, kKarPianoChannel, kKarPianoKey)
        .End(336);
    TrackWriter melody;
    melody.Name(0, "Melody")
        .Program(0, kKarMelodyChannel, kKarFluteProgram)
        .Control(0, kKarMelodyChannel, 7, 120)
        .NoteOn(336, kKarMelodyChannel, kKarMelodyKey)
        .NoteOff(192, kKarMelodyChannel, kKarMelodyKey)
        .End(48);
    return Smf(1, 96, {tempo, words, piano, melody});
}

}  // namespace cx::test
