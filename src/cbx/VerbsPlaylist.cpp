// cbx playlist: what the player would read from an M3U or PLS file.
#include <filesystem>
#include <iostream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "playlist/LastList.h"
#include "playlist/PlaylistFile.h"

namespace cx::cli {
namespace {

constexpr const char* kPlaylistHelp =
    "usage: cbx playlist FILE [--json] [--codepage 1250|1252]\n"
    "       cbx playlist --write OUT.m3u SONG...\n"
    "Reads an M3U or PLS playlist (the kind comes from the name) and prints its\n"
    "entries: number, title, length and the resolved path. Relative paths are\n"
    "taken against the playlist's folder. 8-bit text is read in code page 1252\n"
    "unless --codepage says 1250; UTF-8 files are recognised by themselves.\n"
    "With --write, makes an M3U of the given songs (titled by their file names;\n"
    "songs beside the playlist are written by name alone).\n";

void PrintText(const PlaylistParseResult& r) {
    int n = 0;
    for (const auto& e : r.entries) {
        std::cout << ++n << ". " << (e.title.empty() ? "(no title)" : e.title);
        if (e.seconds >= 0) std::cout << " [" << FormatListTime(e.seconds) << "]";
        std::error_code ec;
        const bool url = e.path.find("://") != std::string::npos;
        const bool exists = !url && std::filesystem::exists(e.path, ec);
        std::cout << "\n   " << e.path << (url || exists ? "" : "  (missing)") << "\n";
    }
    std::cout << n << (n == 1 ? " entry" : " entries") << "\n";
}

void PrintJson(const std::string& file, const PlaylistParseResult& r) {
    std::cout << "{\"file\":" << JsonString(file) << ",\"kind\":"
              << (PlaylistKindForName(file) == PlaylistKind::M3U ? "\"m3u\"" : "\"pls\"")
              << ",\"entries\":[";
    bool first = true;
    for (const auto& e : r.entries) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(e.path, ec);
        std::cout << (first ? "" : ",") << "{\"path\":" << JsonString(e.path)
                  << ",\"title\":" << JsonString(e.title) << ",\"seconds\":" << e.seconds
                  << ",\"exists\":" << (exists ? "true" : "false") << "}";
        first = false;
    }
    std::cout << "],\"warning\":" << (r.error.empty() ? "null" : JsonString(r.error)) << "}\n";
}

int WritePlaylist(const std::string& out, const std::vector<std::string>& songs, Codepage cp) {
    std::vector<PlaylistEntry> entries;
    for (const auto& song : songs) {
        std::error_code ec;
        const auto full = std::filesystem::absolute(song, ec);
        if (ec || !std::filesystem::is_regular_file(full, ec)) return Fail("no such song: " + song);
        entries.push_back({full.string(), BaseNameOf(full.string()), -1});
    }
    const std::string error = SavePlaylistFile(WithM3uExtension(out), entries, cp);
    if (!error.empty()) return Fail(error);
    return kExitOk;
}

int RunPlaylist(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kPlaylistHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    const auto cpText = args.Option("--codepage");
    const auto writeTo = args.Option("--write");
    const auto files = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    Codepage cp = Codepage::Cp1252;
    if (cpText) {
        if (*cpText == "1250") {
            cp = Codepage::Cp1250;
        } else if (*cpText != "1252") {
            return Fail("--codepage takes 1250 or 1252", kExitUsage);
        }
    }
    if (writeTo) {
        if (files.empty()) return Fail("--write needs at least one SONG", kExitUsage);
        return WritePlaylist(*writeTo, files, cp);
    }
    if (files.size() != 1)
        return Fail("playlist needs one FILE (see cbx playlist --help)", kExitUsage);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(files[0], ec)) return Fail("no such file: " + files[0]);
    const auto result = LoadPlaylistFile(files[0], cp);
    if (result.entries.empty() && !result.error.empty())
        return Fail(files[0] + ": " + result.error);
    if (json) {
        PrintJson(files[0], result);
    } else {
        PrintText(result);
        if (!result.error.empty()) std::cerr << "cbx: warning: " << result.error << "\n";
    }
    return kExitOk;
}

}  // namespace

std::vector<Verb> PlaylistVerbs() {
    return {{"playlist", "list the entries of an M3U or PLS playlist", RunPlaylist}};
}

}  // namespace cx::cli
