#include <fstream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "lyrics/LyricsModel.h"

namespace cx::cli {

std::vector<Verb> MidiVerbs() {
    return {};
}

bool LooksLikeMidiFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    in.read(head, 4);
    return in.gcount() == 4 && (std::string(head, 4) == "MThd" || std::string(head, 4) == "RIFF");
}

bool LoadMidiLyricsForCli(const std::string&, LyricsModel&, std::string&, std::string& error) {
    error = "MIDI lyrics are not available in this build";
    return false;
}

int RenderMidiForCli(const VerbArgs&) {
    return Fail("MIDI rendering is not available in this build");
}

}  // namespace cx::cli
