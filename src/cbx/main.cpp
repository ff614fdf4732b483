// cbx: inspect, convert and render songs with the player's own libraries.
#include <cstring>
#include <filesystem>
#include <iostream>

#include "archive/ZipSongs.h"
#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"

namespace {

// Every verb takes zipped songs: a .zip argument names the song unpacked from
// it (for `cdg`, its graphics). False with `error` set when one cannot be read.
bool UnpackZipArguments(const std::string& verb, cx::cli::VerbArgs& args, std::string& error) {
    for (std::string& arg : args) {
        std::error_code ec;
        if (!cx::IsZipPath(arg) || !std::filesystem::is_regular_file(arg, ec)) continue;
        std::string song = cx::OpenZipSong(arg, error);
        if (song.empty()) return false;
        if (verb == "cdg") {
            song = std::filesystem::path(song).replace_extension(".cdg").string();
            if (!std::filesystem::exists(song, ec)) {
                error = arg + " holds no CD+G graphics";
                return false;
            }
        }
        arg = song;
    }
    return true;
}

std::vector<cx::cli::Verb> AllVerbs() {
    using namespace cx::cli;
    std::vector<Verb> all;
    for (auto group : {AppVerbs, LyricsVerbs, PlaybackVerbs, KaraokeVerbs, MidiVerbs, CdgVerbs,
                       PlaylistVerbs, EditorVerbs, RecordingVerbs, VideoVerbs,
                       HostVerbs, LoudnessVerbs,
                       LibraryVerbs, ScoreVerbs}) {
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
        if (name != v.name) continue;
        cx::cli::VerbArgs args(argv + 2, argv + argc);
        std::string error;
        if (!UnpackZipArguments(name, args, error)) return cx::cli::Fail(error);
        return v.run(args);
    }
    return cx::cli::Fail("unknown verb '" + name + "' (try cbx --help)", cx::cli::kExitUsage);
}
