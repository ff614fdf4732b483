// cbx: inspect, convert and render songs with the player's own libraries.
#include <cstring>
#include <iostream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"

namespace {

std::vector<cx::cli::Verb> AllVerbs() {
    using namespace cx::cli;
    std::vector<Verb> all;
    for (auto group : {AppVerbs, LyricsVerbs, PlaybackVerbs, KaraokeVerbs, MidiVerbs, CdgVerbs,
                       PlaylistVerbs, RecordingVerbs}) {
        for (const auto& v : group()) all.push_back(v);
    }
    return all;
}

void PrintUsage(std::ostream& os, const std::vector<cx::cli::Verb>& verbs) {
    os << "usage: cbx VERB [ARGS...]\n"
          "       cbx VERB --help\n\n"
          "Verbs:\n";
    for (const auto& v : verbs) {
        os << "  " << v.name;
        for (size_t i = std::strlen(v.name); i < 16; ++i) os << ' ';
        os << v.summary << "\n";
    }
    os << "\nExit codes: 0 success, 1 failure (reason on stderr), 2 wrong usage.\n";
}

}  // namespace

int main(int argc, char** argv) {
    const auto verbs = AllVerbs();
    if (argc < 2) {
        PrintUsage(std::cerr, verbs);
        return cx::cli::kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(std::cout, verbs);
        return cx::cli::kExitOk;
    }
    for (const auto& v : verbs) {
        if (name == v.name) return v.run(cx::cli::VerbArgs(argv + 2, argv + argc));
    }
    return cx::cli::Fail("unknown verb '" + name + "' (try cbx --help)", cx::cli::kExitUsage);
}
