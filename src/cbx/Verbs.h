// Every cbx verb: takes the words after the verb, returns the exit code.
// Each subsystem owns the Verbs<Subsystem>.cpp file that defines its verbs.
#pragma once

#include <string>
#include <vector>

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

}  // namespace cx::cli
