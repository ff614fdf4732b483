// The song library over real files in a scratch folder: names, search,
// rescans, a broken database and a scan killed mid-write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include <sqlite3.h>

#include "library/SongLibrary.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

const std::atomic<bool> kGoOn{false};

// A KAR file of one two-second note whose title lines name the song.
std::string KarBytes(const std::string& title, const std::string& artist) {
    std::string track;
    for (const std::string& line : {"@T" + title, "@T" + artist})
        track += std::string("\x00\xFF\x01", 3) + static_cast<char>(line.size()) + line;
    track += std::string("\x00\x90\x3C\x40\x83\x00\x80\x3C\x40\x00\xFF\x2F\x00", 13);
    std::string smf("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk", 18);
    for (int shift = 24; shift >= 0; shift -= 8) smf += static_cast<char>(track.size() >> shift);
    return smf + track;
}

std::vector<std::string> Titles(const std::vector<LibrarySong>& songs) {
    std::vector<std::string> out;
    for (const auto& s : songs) out.push_back(s.Artist + "|" + s.Title);
    return out;
}

TEST(SongNames, FileNamesReadByEachPattern) {
    struct Case {
        const char* stem;
        NamePattern pattern;
        const char *artist, *title;
    };
    const Case cases[] = {
        {"ABBA - Dancing Queen", NamePattern::Auto, "ABBA", "Dancing Queen"},
        {"SF001-05 - ABBA - Dancing Queen", NamePattern::Auto, "ABBA", "Dancing Queen"},
        {"Dancing Queen - ABBA", NamePattern::TitleArtist, "ABBA", "Dancing Queen"},
        {"SC8123 - Queen - Bohemian Rhapsody", NamePattern::DiscArtistTitle, "Queen",
         "Bohemian Rhapsody"},
        // Three parts without a disc id: the title keeps its dash.
        {"Simon & Garfunkel - Mrs. Robinson - Live", NamePattern::Auto, "Simon & Garfunkel",
         "Mrs. Robinson - Live"},
        {"Elton_John_-_Your_Song", NamePattern::Auto, "Elton John", "Your Song"},
        {"Just A Title", NamePattern::ArtistTitle, "", "Just A Title"},
        {" - ", NamePattern::Auto, "", ""},
        {"SC8123 - Queen", NamePattern::DiscArtistTitle, "SC8123", "Queen"},
    };
    for (const Case& c : cases) {
        const NameParts parts = PartsFromName(c.stem, c.pattern);
        EXPECT_EQ(parts.Artist + "|" + parts.Title, std::string(c.artist) + "|" + c.title)
            << c.stem;
    }
}

class LibraryFolder : public ::testing::Test {
protected:
    void Song(const std::string& relative, const std::string& bytes = "") {
        fs::create_directories((songs / relative).parent_path());
        test::WriteBytes(songs / relative, bytes);
    }
    LibraryScanReport Scan(SongLibrary& library) {
        return library.ScanFolder(songs.string(), {}, kGoOn);
    }
    test::TempDir dir;
    fs::path songs = dir / "songs";
    std::string db = (dir / "library.db").string();
};

TEST_F(LibraryFolder, SearchIgnoresAccentsAndCaseMatchesPrefixesAndGroupsVersions) {
    // "x/ - .mp3" and "y/ - .mp3" have no title: never a version of another.
    for (const char* name :
         {"ABBA - Dancing Queen.mp3", "ABBA - Dancing Queen.lrc", "more/abba - DANCING queen!.ogg",
          "SF001-01 - Beyoncé - Halo.mp3", "SF001-01 - Beyoncé - Halo.cdg", "Zaz - Je veux.zip",
          "only lyrics.lrc", "x/ - .mp3", "y/ - .mp3"})
        Song(name);
    Song("kar/track01.kar", KarBytes("Sous Le Ciel De Paris", "Edith Piaf"));
    SongLibrary library(db);
    ASSERT_TRUE(library.Open());
    EXPECT_EQ(Scan(library).Added, 7u);

    // The disc id is among the name's words, KAR title lines count, folder words find the one
    // version, query syntax is taken as text and lyrics alone are not a song.
    // clang-format off
    const struct { const char* typed; std::vector<std::string> found; } cases[] = {
        {"dan", {"ABBA|Dancing Queen"}}, {"BEYONCE", {"Beyoncé|Halo"}},
        {"beyoncé ha", {"Beyoncé|Halo"}}, {"  queen,, abba ", {"ABBA|Dancing Queen"}},
        {"sf001", {"Beyoncé|Halo"}}, {"ciel piaf", {"Edith Piaf|Sous Le Ciel De Paris"}},
        {"more", {"abba|DANCING queen!"}}, {"halo queen", {}}, {"\"dan*", {"ABBA|Dancing Queen"}},
        {"NEAR( AND OR", {}}, {"lyrics", {}}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(Titles(library.Search(c.typed, 10)), c.found) << c.typed;

    const auto abba = library.Search("abba", 10);
    ASSERT_EQ(abba.size(), 1u);
    EXPECT_EQ(abba[0].OtherVersions.size(), 1u);
    const auto other = library.SongById(abba[0].OtherVersions[0]);
    ASSERT_TRUE(other);
    EXPECT_NE(other->Path, abba[0].Path);
    EXPECT_EQ(library.Search("halo", 10)[0].Kind, LibrarySongKind::Cdg);
    EXPECT_EQ(library.Search("je veux", 10)[0].Kind, LibrarySongKind::Cdg);
    const auto kar = library.Search("piaf", 10);
    EXPECT_EQ(kar[0].Kind, LibrarySongKind::Midi);
    EXPECT_EQ(kar[0].LengthMs, 2000);
    EXPECT_EQ(library.Search("", 10).size(), 6u);  // an empty box lists songs
    EXPECT_TRUE(library.Search("x", 10).at(0).OtherVersions.empty());
}

TEST_F(LibraryFolder, RescanReadsOnlyChangedFilesAndMarksVanishedOnesMissing) {
    for (const char* name : {"A - One.mp3", "B - Two.mp3", "C - Three.mp3"}) Song(name);
    int measured = 0;
    SongLibrary library(db);
    ASSERT_TRUE(library.Open());
    library.SetLoudnessMeasurer([&measured](const std::string&) {
        ++measured;
        return std::optional<LoudnessReading>(LoudnessReading{-14.5, -1.0});
    });
    EXPECT_EQ(Scan(library).Added, 3u);
    const std::int64_t twoId = library.Search("two", 1).at(0).Id;

    struct Step {
        const char* what;
        std::function<void()> change;
        std::size_t added, updated, unchanged, missing;
        int measuredSoFar;
    };
    const Step steps[] = {
        {"nothing changed", [] {}, 0, 0, 3, 0, 3},
        {"one file grew", [&] { Song("B - Two.mp3", "longer now"); }, 0, 1, 2, 0, 4},
        {"one file vanished", [&] { fs::remove(songs / "C - Three.mp3"); }, 0, 0, 2, 1, 4},
        {"still gone", [] {}, 0, 0, 2, 0, 4},
        {"back again", [&] { Song("C - Three.mp3"); }, 0, 1, 2, 0, 5},
        {"a new one", [&] { Song("D - Four.mp3"); }, 1, 0, 3, 0, 6},
    };
    for (const Step& s : steps) {
        s.change();
        const LibraryScanReport r = Scan(library);
        EXPECT_EQ((std::vector{r.Added, r.Updated, r.Unchanged, r.MarkedMissing}),
                  (std::vector{s.added, s.updated, s.unchanged, s.missing}))
            << s.what;
        EXPECT_EQ(measured, s.measuredSoFar) << s.what;
        if (std::string(s.what) == "one file vanished") {
            const auto three = library.Search("three", 1);
            ASSERT_EQ(three.size(), 1u);  // kept, marked
            EXPECT_TRUE(three[0].Missing);
        }
    }
    EXPECT_FALSE(library.Search("three", 1).at(0).Missing);
    const auto two = library.SongById(twoId);
    ASSERT_TRUE(two);  // ids survive rescans
    EXPECT_EQ(two->Title, "Two");
    ASSERT_TRUE(two->Loudness);
    EXPECT_DOUBLE_EQ(two->Loudness->integratedLufs, -14.5);

    // A new pattern reads the names again at the next scan.
    ASSERT_TRUE(library.SetPattern(NamePattern::TitleArtist));
    EXPECT_EQ(Scan(library).Updated, 4u);
    EXPECT_EQ(library.SongById(twoId)->Artist, "Two");
    ASSERT_TRUE(library.RemoveFolder(songs.string()));
    EXPECT_TRUE(library.Folders().empty());
    EXPECT_TRUE(library.Search("two", 5).empty());
}

void MakeDatabase(const std::string& path, const char* sql) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
}

TEST_F(LibraryFolder, AnUnreadableDatabaseIsMovedAsideWithAMessageNeverDeleted) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        bool opens;
        const char* key;
        bool movedAside;
    };
    const Case cases[] = {
        {"junk", [](const std::string& p) { test::WriteBytes(p, std::string(5000, 'x')); }, true,
         "LibraryMovedAside", true},
        {"cut header",
         [](const std::string& p) {
             test::WriteBytes(p, std::string("SQLite format 3\0\x10\x00\x01\x01", 20));
         },
         true, "LibraryMovedAside", true},
        {"another program's database",
         [](const std::string& p) {
             MakeDatabase(p, "CREATE TABLE notes(x); INSERT INTO notes VALUES(1);");
         },
         true, "LibraryMovedAside", true},
        // The host's rotation shares the file and may have made it first.
        {"the host's tables only",
         [](const std::string& p) {
             MakeDatabase(p, "CREATE TABLE host_singers(id); INSERT INTO host_singers VALUES(7);");
         },
         true, "", false},
        {"a newer library",
         [](const std::string& p) {
             MakeDatabase(
                 p, "CREATE TABLE schema_version(version); INSERT INTO schema_version VALUES(99);");
         },
         false, "LibraryTooNew", false},
        {"a folder in its place", [](const std::string& p) { fs::create_directories(p); }, false,
         "LibraryCannotOpen", false},
    };
    for (const Case& c : cases) {
        test::TempDir place;
        const std::string path = (place / "library.db").string();
        c.make(path);
        const std::string before = fs::is_regular_file(path) ? test::ReadBytes(path) : "";
        SongLibrary library(path);
        EXPECT_EQ(library.Open(), c.opens) << c.what;
        EXPECT_EQ(library.Note().Key, c.key) << c.what;
        std::vector<fs::path> aside;
        for (const auto& e : fs::directory_iterator(place.Path()))
            if (e.path().filename().string().starts_with("library.db.broken-"))
                aside.push_back(e.path());
        ASSERT_EQ(aside.size(), c.movedAside ? 1u : 0u) << c.what;
        if (c.movedAside) {
            EXPECT_TRUE(test::ReadBytes(aside[0]) == before) << c.what;
            EXPECT_NE(library.Note().Message.find(aside[0].string()), std::string::npos) << c.what;
            EXPECT_TRUE(library.AddFolder(place.Path().string())) << c.what;  // a working library
        } else if (c.opens) {
            MakeDatabase(path, "SELECT id FROM host_singers");  // the other tables are still there
        } else if (fs::is_regular_file(path)) {
            EXPECT_TRUE(test::ReadBytes(path) == before) << c.what;  // left as it was
        }
    }
}

// A scan killed at any moment leaves a library that opens as it is, every
// song in it findable.
TEST_F(LibraryFolder, AScanKilledMidWriteLeavesAWholeLibrary) {
    constexpr int kSongs = 600;
    for (int i = 0; i < kSongs; ++i)
        Song("d" + std::to_string(i / 50) + "/Artist" + std::to_string(i) + " - Title" +
             std::to_string(i) + ".mp3");
    for (int delayMs : {20, 150}) {
        for (const char* end : {"", "-wal", "-shm"}) fs::remove(db + end);
        const pid_t child = ::fork();
        if (child == 0) {
            SongLibrary library(db);
            if (library.Open()) library.ScanFolder(songs.string(), {}, kGoOn);
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        SongLibrary library(db);
        ASSERT_TRUE(library.Open()) << delayMs;
        EXPECT_FALSE(library.Note()) << library.Note().Message;
        const std::size_t stored = library.SongCount();
        EXPECT_EQ(library.Search("title", kSongs).size(),
                  std::min<std::size_t>(stored, kMaxSearchResults))
            << delayMs;
        EXPECT_EQ(library.ScanFolder(songs.string(), {}, kGoOn).Added + stored,
                  std::size_t{kSongs});
    }
}

}  // namespace
}  // namespace cx
