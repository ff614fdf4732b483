// cbx library: scan folders into the song library and search it.
#include <iostream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "library/SongLibrary.h"

namespace cx::cli {
namespace {

constexpr const char* kLibraryHelp =
    "usage: cbx library scan DIR [--db FILE] [--pattern NAME] [--json]\n"
    "       cbx library search TEXT [--db FILE] [--limit N] [--json]\n"
    "scan adds the folder to the song library and reads the songs that are new or\n"
    "changed since the last scan; songs whose files are gone are marked missing.\n"
    "--pattern tells how file names read when a song has no tags: auto,\n"
    "artist-title, disc-artist-title or title-artist (kept for later scans).\n"
    "search lists the songs whose artist, title or file name words start with every\n"
    "word of TEXT, accents and case aside; versions of one song come as one entry.\n"
    "The library is ~/.local/share/Cantabilex/library.db unless --db names another.\n";

constexpr std::size_t kDefaultLimit = 50;
constexpr const char* kPatternNames[kNamePatternCount] = {"auto", "artist-title",
                                                          "disc-artist-title", "title-artist"};

std::string Clock(std::int64_t ms) {
    const std::int64_t s = (ms + 500) / 1000;
    const std::string sec = std::to_string(s % 60);
    return std::to_string(s / 60) + ":" + (sec.size() < 2 ? "0" : "") + sec;
}

int OpenLibrary(SongLibrary& library) {
    const bool opened = library.Open();
    if (library.Note()) std::cerr << "cbx: " << library.Note().Message << "\n";
    return opened ? kExitOk : kExitFailure;
}

int Scan(SongLibrary& library, const std::string& folder, bool json) {
    const std::atomic<bool> cancel{false};
    const LibraryScanReport r = library.ScanFolder(folder, {}, cancel);
    if (!r.Error.empty() && r.Songs == 0) return Fail(r.Error);
    if (json) {
        std::cout << "{\"folder\":" << JsonString(folder) << ",\"songs\":" << r.Songs
                  << ",\"added\":" << r.Added << ",\"updated\":" << r.Updated
                  << ",\"unchanged\":" << r.Unchanged << ",\"missing\":" << r.MarkedMissing
                  << ",\"capped\":" << (r.Capped ? "true" : "false")
                  << ",\"warning\":" << (r.Error.empty() ? "null" : JsonString(r.Error)) << "}\n";
    } else {
        std::cout << r.Songs << " songs: " << r.Added << " added, " << r.Updated << " updated, "
                  << r.Unchanged << " unchanged, " << r.MarkedMissing << " marked missing\n";
        if (r.Capped) std::cout << "stopped at " << kMaxLibraryFolderSongs << " songs\n";
        if (!r.Error.empty()) std::cerr << "cbx: warning: " << r.Error << "\n";
    }
    return kExitOk;
}

void PrintSong(const LibrarySong& s, bool json, bool first) {
    if (json) {
        std::cout << (first ? "" : ",") << "{\"id\":" << s.Id
                  << ",\"artist\":" << JsonString(s.Artist) << ",\"title\":" << JsonString(s.Title)
                  << ",\"kind\":\"" << KindName(s.Kind) << "\",\"length_ms\":" << s.LengthMs
                  << ",\"path\":" << JsonString(s.Path)
                  << ",\"missing\":" << (s.Missing ? "true" : "false") << ",\"lufs\":";
        if (s.Loudness)
            std::cout << s.Loudness->integratedLufs << ",\"true_peak\":" << s.Loudness->truePeakDbtp;
        else
            std::cout << "null,\"true_peak\":null";
        std::cout << ",\"versions\":[";
        for (std::size_t i = 0; i < s.OtherVersions.size(); ++i)
            std::cout << (i ? "," : "") << s.OtherVersions[i];
        std::cout << "]}";
        return;
    }
    std::cout << s.Id << ". " << (s.Artist.empty() ? "" : s.Artist + " - ") << s.Title << " ["
              << Clock(s.LengthMs) << "] " << KindName(s.Kind) << (s.Missing ? " (missing)" : "");
    if (!s.OtherVersions.empty()) std::cout << " (+" << s.OtherVersions.size() << " versions)";
    std::cout << "\n   " << s.Path << "\n";
}

int Search(SongLibrary& library, const std::string& text, std::size_t limit, bool json) {
    const auto songs = library.Search(text, limit);
    if (json) std::cout << "{\"query\":" << JsonString(text) << ",\"songs\":[";
    for (std::size_t i = 0; i < songs.size(); ++i) PrintSong(songs[i], json, i == 0);
    if (json)
        std::cout << "]}\n";
    else
        std::cout << songs.size() << (songs.size() == 1 ? " song" : " songs") << "\n";
    return kExitOk;
}

int RunLibrary(const VerbArgs& words) {
    Args args(words);
    if (args.WantsHelp()) {
        std::cout << kLibraryHelp;
        return kExitOk;
    }
    const bool json = args.Flag("--json");
    const auto db = args.Option("--db");
    const auto limitText = args.Option("--limit");
    const auto patternText = args.Option("--pattern");
    const auto rest = args.Positionals();
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (rest.size() != 2 || (rest[0] != "scan" && rest[0] != "search"))
        return Fail("expected `library scan DIR` or `library search TEXT`", kExitUsage);
    std::size_t limit = kDefaultLimit;
    if (limitText) {
        try {
            const long value = std::stol(*limitText);
            if (value < 1 || static_cast<std::size_t>(value) > kMaxSearchResults) throw 0;
            limit = static_cast<std::size_t>(value);
        } catch (...) {
            return Fail("--limit takes a number from 1 to " + std::to_string(kMaxSearchResults),
                        kExitUsage);
        }
    }
    int pattern = -1;
    for (int i = 0; patternText && i < kNamePatternCount; ++i)
        if (*patternText == kPatternNames[i]) pattern = i;
    if (patternText && pattern < 0)
        return Fail("--pattern takes auto, artist-title, disc-artist-title or title-artist",
                    kExitUsage);
    SongLibrary library(db ? *db : SongLibrary::DefaultPath());
    if (const int rc = OpenLibrary(library); rc != kExitOk) return rc;
    if (pattern >= 0 && !library.SetPattern(static_cast<NamePattern>(pattern)))
        return Fail("cannot store the name pattern in " + library.DatabasePath());
    return rest[0] == "scan" ? Scan(library, rest[1], json) : Search(library, rest[1], limit, json);
}

}  // namespace

std::vector<Verb> LibraryVerbs() {
    return {{"library", "scan folders into the song library and search it", RunLibrary}};
}

}  // namespace cx::cli
