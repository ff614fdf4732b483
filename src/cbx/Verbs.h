// Every cbx verb: takes the words after the verb, returns the exit code.
// Each subsystem owns the Verbs<Subsystem>.cpp file that defines its verbs.
#pragma once

#include <string>
#include <vector>

#include "platform/Codepage.h"

namespace cx {
struct LyricsModel;
struct MelodyResult;
}

namespace cx::cli {

using VerbArgs = std::vector<std::string>;

struct Verb {
    const char* name;
    const char* summary;
    int (*run)(const VerbArgs&);
};

// Each file returns the verbs it defines.
std::vector<Verb> AppVerbs();       // settings, translate
std::vector<Verb> LyricsVerbs();    // lyrics, convert, embed, info, display-block
std::vector<Verb> PlaybackVerbs();  // render, devices
std::vector<Verb> KaraokeVerbs();   // karaoke, transition, play
std::vector<Verb> MidiVerbs();      // midi
std::vector<Verb> CdgVerbs();       // cdg
std::vector<Verb> PlaylistVerbs();  // playlist
std::vector<Verb> EditorVerbs();     // edit
std::vector<Verb> RecordingVerbs();  // record
std::vector<Verb> VideoVerbs();      // video
std::vector<Verb> HostVerbs();       // host
std::vector<Verb> LoudnessVerbs();   // loudness
std::vector<Verb> LibraryVerbs();    // library
std::vector<Verb> ScoreVerbs();      // score

// Seams between verb files, so that one verb serves every song kind.
// Defined in VerbsMidi.cpp: lyrics of a MIDI/KAR file for `cbx lyrics`.
// Returns false with `error` set when the file is not MIDI or has no lyrics;
// `source` is "midi-words", "midi-converter" or "midi-smf".
bool LoadMidiLyricsForCli(const std::string& path, struct ::cx::LyricsModel& model,
                          std::string& source, std::string& error, Codepage codepage);
// Defined in VerbsMidi.cpp: the tune under the words of a MIDI/KAR file (the
// song's own words in `model`); false with `error` when there is none.
bool LoadMidiMelodyForCli(const std::string& path, Codepage codepage,
                          struct ::cx::LyricsModel& model, struct ::cx::MelodyResult& melody,
                          std::string& error);
struct RenderOptions;
// Defined in VerbsMidi.cpp: `cbx render` when the input is a MIDI/KAR file.
int RenderMidiForCli(const RenderOptions& options);
// Defined in VerbsPlayback.cpp: the `cbx render` verb, also reached as `cbx midi render`.
int RenderForCli(const VerbArgs& args);
// True when the file starts like a Standard MIDI File (or RIFF RMID).
bool LooksLikeMidiFile(const std::string& path);

}  // namespace cx::cli
