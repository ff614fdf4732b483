#include "playlist/PlaylistFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "playlist/LastList.h"
#include "support/ExpectEach.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// Entries as "path|title|seconds" lines, to compare whole lists at once.
std::string Entries(const PlaylistParseResult& r) {
    std::string out = r.error;
    for (const auto& e : r.entries)
        out += e.path + "|" + e.title + "|" + std::to_string(e.seconds) + "\n";
    return out;
}

// URLs are not made relative; an #EXTINF applies to one path only.
TEST(PlaylistFile, M3uReadsExtinfCommentsAndRelativePaths) {
    const std::string m3u =
        "#EXTM3U\r\n"
        "\t\t#EXTINF:215,Artist - Title, with comma\r\n"
        "song one.mp3\r\n"
        "#EXTVLCOPT:no-video\n"
        "\n"
        "#EXTINF:-1,Stream\n"
        "http://example.com/a.mp3\n"
        "sub\\dir\\two.kar\n"
        "/abs/three.ogg";
    EXPECT_EQ(
        Entries(ParseM3U(m3u, "/lists")),
        "/lists/song one.mp3|Artist - Title, with comma|215\n"
        "http://example.com/a.mp3|Stream|-1\n/lists/sub/dir/two.kar||-1\n/abs/three.ogg||-1\n");
}

// Numbered keys pair up whatever their order; unnumbered ones make one entry per file line.
TEST(PlaylistFile, PlsKeysInAnyCaseNumberedOrNot) {
    const std::string numbered =
        "[playlist]\nNumberOfEntries=2\nFILE2=b.mp3\nTitle1=First\nfile1=..\\up\\a.mp3\n"
        "LENGTH1=61\nTitle2=Second\nLength2=-1\nVersion=2\n";
    EXPECT_EQ(Entries(ParsePLS(numbered, "/x/y")),
              "/x/y/b.mp3|Second|-1\n/x/y/../up/a.mp3|First|61\n");
    const std::string plain =
        "[playlist]\nTitle=Early\nFile=/a.mp3\nFile=/b.mp3\nlength=30\n"
        "title=Bee\nfile=/c.mp3\nTitle5=orphan\n";
    EXPECT_EQ(Entries(ParsePLS(plain, "/")), "/a.mp3|Early|-1\n/b.mp3|Bee|30\n/c.mp3||-1\n");
}

TEST(PlaylistFile, WriteUsesBareNamesInsideTheFolderAndSurvivesARoundTrip) {
    test::TempDir dir;
    const std::string folder = dir.Path().string();
    const std::vector<PlaylistEntry> entries = {
        {folder + "/near.mp3", "Near - Song", 75},
        {"/elsewhere/far.kar", "Far", -1},
        {"", "no path", 3},
        {folder + "/zażółć.mp3", "Łódź\r\nline", 5},
    };
    const std::string bytes = WriteM3U(entries, folder, Codepage::Cp1250);
    EXPECT_TRUE(bytes.starts_with("#EXTM3U\r\n#EXTINF:75,Near - Song\r\nnear.mp3\r\n"));
    EXPECT_NE(bytes.find("#EXTINF:0,Far\r\n/elsewhere/far.kar\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("no path"), std::string::npos);
    EXPECT_NE(bytes.find("\xA3\xF3"
                         "d\x9F"),
              std::string::npos)
        << "Polish text in code page 1250";

    const fs::path file = dir / "list.m3u";
    ASSERT_EQ(SavePlaylistFile(file, entries, Codepage::Cp1250), "");
    const fs::path oldCwd = fs::current_path();
    fs::current_path("/");
    const auto r = LoadPlaylistFile(file, Codepage::Cp1250);
    fs::current_path(oldCwd);
    EXPECT_EQ(Entries(r), folder + "/near.mp3|Near - Song|75\n/elsewhere/far.kar|Far|-1\n" +
                              folder + "/zażółć.mp3|Łódź  line|5\n");
    const auto missing = LoadPlaylistFile(dir / "missing.m3u");
    EXPECT_TRUE(missing.entries.empty());
    EXPECT_FALSE(missing.error.empty()) << "a missing file gives a reason";
}

TEST(PlaylistFile, TextTheCodePageCannotHoldIsWrittenAsUtf8) {
    const std::vector<PlaylistEntry> entries = {{"/m/東京.mp3", "東京", 1}};
    const std::string bytes = WriteM3U(entries, "/other", Codepage::Cp1252);
    EXPECT_NE(bytes.find("/m/東京.mp3"), std::string::npos);
    const auto r = ParseM3U(bytes, "/other", Codepage::Cp1252);
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].path, "/m/東京.mp3");
}

// clang-format off
TEST(PlaylistFile, NamesTimesAndKinds) {
    test::ExpectEach("WithM3uExtension", WithM3uExtension,
                     {{"party", "party.m3u"}, {"party.M3U", "party.M3U"}, {"party.pls", "party.pls.m3u"}});
    test::ExpectEach("PlaylistKindForName", PlaylistKindForName,
                     {{"A.M3U", PlaylistKind::M3U}, {"radio.mp3.m3u", PlaylistKind::M3U},
                      {"x.pls", PlaylistKind::PLS}});
    test::ExpectEach("FormatListTime", FormatListTime, {{75, "01:15"}, {6001, "100:01"}, {-1, ""}});
    test::ExpectEach("ParseListTime", ParseListTime,
                     {{"01:15", 75}, {"1:00:00", 3600}, {"", -1}, {"12", -1}, {"a:b", -1},
                      {"1:", -1}, {":1", -1}, {"1:2:3:4", -1}, {"-1:00", -1}});
    EXPECT_EQ(ResolvePlaylistPath("file:///tmp/a%20b.mp3", "/x"), "/tmp/a b.mp3");
    EXPECT_EQ(ResolvePlaylistPath("C:\\Music\\a.mp3", "/x"), "C:\\Music\\a.mp3");
}
// clang-format on

TEST(PlaylistFile, LastListKeepsTheListIncludingAnEmptyOne) {
    test::TempDir dir;
    const fs::path data = dir / "data";
    FlatListModel list;
    list.AddItem("Song", "03:05", (data / "song.mp3").string());
    list.AddItem("Other", "", "/music/other.mp3");
    ASSERT_EQ(SaveLastList(data, list), "");
    EXPECT_NE(test::ReadBytes(data / kLastListFileName).find("\r\nsong.mp3\r\n"),
              std::string::npos);

    FlatListModel again;
    AppendEntries(again, LoadLastList(data).entries);
    ASSERT_EQ(again.ListCount(), 2);
    EXPECT_EQ(again.ListPath(0), (data / "song.mp3").string());
    EXPECT_EQ(again.ListTime(0), "03:05");
    EXPECT_EQ(again.ListString(1), "Other");
    EXPECT_EQ(again.ListTime(1), "") << "an unknown length stays unknown";

    ASSERT_EQ(SaveLastList(data, FlatListModel()), "");
    EXPECT_TRUE(LoadLastList(data).entries.empty());
    EXPECT_TRUE(LoadLastList(dir / "missing").error.empty());

    // A kept list too big to read is moved aside, not overwritten at exit.
    std::filesystem::resize_file(data / kLastListFileName, kMaxPlaylistFileBytes + 1);
    const PlaylistParseResult unread = LoadLastList(data);
    EXPECT_NE(unread.error.find(".unread"), std::string::npos) << unread.error;
    ASSERT_EQ(SaveLastList(data, FlatListModel()), "");
    EXPECT_EQ(std::filesystem::file_size(data / (std::string(kLastListFileName) + ".unread")),
              kMaxPlaylistFileBytes + 1);
}

// The real playlists: every file reads, and writing then reading again keeps the entries.
TEST(PlaylistFile, CorpusPlaylistsRoundTrip) {
    CX_REQUIRE_CORPUS();
    const fs::path folder = test::CorpusDir() / "playlist";
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no playlists in the corpus";
    const std::map<std::string, std::size_t> expected = {
        {"BassDrive.pls", 12},      {"missing-items.pls", 19},
        {"emptyplaylist.pls", 0},   {"O_G_Money_Snoop_Dogg.m3u", 1},
        {"radios-freebox.m3u", 1},  {"relative.m3u", 1},
        {"separator.m3u", 1},       {"live-streaming.m3u", 1},
        {"radioclasica.mp3.m3u", 1}};
    test::TempDir out;
    for (const auto& [name, count] : expected) {
        SCOPED_TRACE(name);
        const auto r = LoadPlaylistFile(folder / name);
        EXPECT_TRUE(r.error.empty()) << r.error;
        ASSERT_EQ(r.entries.size(), count);
        ASSERT_EQ(SavePlaylistFile(out / (name + ".m3u"), r.entries), "");
        const auto back = LoadPlaylistFile(out / (name + ".m3u"));
        ASSERT_EQ(back.entries.size(), count);
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(back.entries[i].title, r.entries[i].title);
            EXPECT_EQ(back.entries[i].seconds,
                      r.entries[i].seconds > 0 ? r.entries[i].seconds : -1);
        }
    }
    const auto og = LoadPlaylistFile(folder / "O_G_Money_Snoop_Dogg.m3u");
    EXPECT_EQ(og.entries[0].title, "O G Money - Girl Gotta girlfriend Feat. O G Money, Snoop Dogg");
    EXPECT_EQ(LoadPlaylistFile(folder / "relative.m3u").entries[0].path,
              (folder / "3gpp-file.mp4").string());
    EXPECT_EQ(LoadPlaylistFile(folder / "live-streaming.m3u").entries[0].seconds, 5220);
    const auto lower = LoadPlaylistFile(folder / "missing-items.pls");
    EXPECT_EQ(lower.entries[8].title, "HBR1.com - Dream Factory");
}

}  // namespace
}  // namespace cx
