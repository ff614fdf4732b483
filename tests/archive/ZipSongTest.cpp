#include "archive/ZipSong.h"

#include <gtest/gtest.h>

#include "archive/ZipSongs.h"
#include "platform/AtomicFile.h"
#include "platform/ReadOnlyFolders.h"
#include "playback/MediaControl.h"
#include "playback/TestSignals.h"
#include "playlist/SongFiles.h"
#include "support/ExpectEach.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// The song picked from `names` and what kind of song it is.
using Pick = std::pair<std::string, ZipSongKind>;
Pick Picked(const std::vector<std::string>& names) {
    const ZipSongPick pick = PickZipSong(names);
    return {pick.Kind == ZipSongKind::None ? std::string() : names[pick.Song], pick.Kind};
}

std::vector<std::string> CompanionNames(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (std::size_t i : PickZipSong(names).Companions) out.push_back(names[i]);
    return out;
}

TEST(ZipSongPick, PrefersGraphicsThenLyricsThenMidiThenAudioAlone) {
    const std::vector<std::string> names = {"b.mp3", "a.mid", "c.ogg", "c.lrc", "d.MP3", "D.cdg"};
    EXPECT_EQ(Picked(names), Pick("d.MP3", ZipSongKind::CdgPair));
    EXPECT_EQ(CompanionNames(names), std::vector<std::string>{"D.cdg"});
    EXPECT_EQ(Picked({"b.mp3", "a.mid", "c.ogg", "c.lrc"}),
              Pick("c.ogg", ZipSongKind::AudioWithLyrics));
    EXPECT_EQ(Picked({"b.mp3", "a.mid", "a.kar"}), Pick("a.kar", ZipSongKind::Midi));
    EXPECT_EQ(Picked({"b.mp3", "notes.txt"}), Pick("b.mp3", ZipSongKind::AudioOnly));

    const ZipSongPick none = PickZipSong({"readme.txt", "cover.jpg", "song.cdg", "folder/"});
    EXPECT_EQ(none.Kind, ZipSongKind::None);
    EXPECT_FALSE(none.Reason.empty());
}

TEST(ZipSongPick, MatchesBaseNamesInAnyCaseAndIgnoresFoldersAndMacJunk) {
    const std::vector<std::string> names = {"__MACOSX/Songs/._Song.mp3",
                                            "Songs/Song.MP3",
                                            "Songs\\SONG.Cdg",
                                            "Songs/song.lrs",
                                            "Songs/Song.LRS",
                                            "Songs/._Song.cdg"};
    EXPECT_EQ(Picked(names), Pick("Songs/Song.MP3", ZipSongKind::CdgPair));
    // One companion per kind, the first name in sort order.
    EXPECT_EQ(CompanionNames(names),
              (std::vector<std::string>{"Songs/Song.LRS", "Songs\\SONG.Cdg"}));
    // The stored order does not change the answer.
    EXPECT_EQ(Picked({"z.mp3", "a.mp3"}).first, "a.mp3");
    EXPECT_EQ(Picked({"a.mp3", "z.mp3"}).first, "a.mp3");
    EXPECT_EQ(Picked({".mp3", "mp3", "x."}).first, "");
}

TEST(ZipSongListing, RefusesWhatIsNotAZipAndArchivesAboveTheCap) {
    // libzip reads no bytes as an empty archive: no members, so no song.
    EXPECT_TRUE(ListZipBytes("", 0).Members.empty());
    const std::string junk = "PK\x03\x04 but nothing after";
    const ZipListing bad = ListZipBytes(junk.data(), junk.size());
    EXPECT_FALSE(bad.Ok);
    EXPECT_FALSE(bad.Reason.empty());

    test::TempDir dir;
    ASSERT_TRUE(test::WriteZip(dir / "ok.zip", {{"a.mp3", "x"}, {"a.cdg", "yy"}}));
    const std::string bytes = test::ReadBytes(dir / "ok.zip");
    const ZipListing ok = ListZipBytes(bytes.data(), bytes.size());
    ASSERT_TRUE(ok.Ok) << ok.Reason;
    ASSERT_EQ(ok.Members.size(), 2u);
    EXPECT_EQ(ok.Members[1].Name, "a.cdg");
    EXPECT_EQ(ok.Members[1].Size, 2u);
    // Cut short, the central directory is gone: refused, not misread.
    EXPECT_FALSE(ListZipBytes(bytes.data(), bytes.size() / 2).Ok);

    test::ZipMembers many;
    for (std::size_t i = 0; i <= kMaxZipMembers; ++i) many.push_back({std::to_string(i), ""});
    ASSERT_TRUE(test::WriteZip(dir / "many.zip", many));
    const ZipListing tooMany = ListZipFile(dir / "many.zip");
    EXPECT_FALSE(tooMany.Ok);
    EXPECT_NE(tooMany.Reason.find("more than"), std::string::npos);
    EXPECT_FALSE(ZipHoldsSong(dir / "many.zip"));
    EXPECT_TRUE(ZipHoldsSong(dir / "ok.zip"));
    EXPECT_FALSE(ZipHoldsSong(dir / "missing.zip"));
}

TEST(ZipSongUnpack, UnpacksTheSongAndItsCompanionsUnderTheSongsName) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteZip(dir / "pack.zip", {{"Karaoke/My Song.MP3", "audio"},
                                                  {"karaoke/my song.CDG", "graphics"},
                                                  {"MY SONG.lrc", "[00:01.00]la"},
                                                  {"notes.txt", "not wanted"}}));
    fs::create_directory(dir / "out");
    const ZipUnpacked u = UnpackZipSong(dir / "pack.zip", dir / "out");
    ASSERT_TRUE(u.Ok) << u.Reason;
    EXPECT_EQ(u.Kind, ZipSongKind::CdgPair);
    EXPECT_EQ(u.Song, dir / "out" / "My Song.mp3");
    EXPECT_EQ(test::ReadBytes(dir / "out" / "My Song.mp3"), "audio");
    EXPECT_EQ(test::ReadBytes(dir / "out" / "My Song.cdg"), "graphics");
    EXPECT_EQ(test::ReadBytes(dir / "out" / "My Song.lrc"), "[00:01.00]la");
    EXPECT_FALSE(fs::exists(dir / "out" / "notes.txt"));

    // Stored names cannot climb out of the folder.
    ASSERT_TRUE(
        test::WriteZip(dir / "evil.zip", {{"../../evil.mp3", "x"}, {"/abs/evil.cdg", "y"}}));
    fs::create_directory(dir / "out2");
    const ZipUnpacked e = UnpackZipSong(dir / "evil.zip", dir / "out2");
    ASSERT_TRUE(e.Ok) << e.Reason;
    EXPECT_EQ(e.Song, dir / "out2" / "evil.mp3");
    EXPECT_TRUE(fs::exists(dir / "out2" / "evil.cdg"));
    EXPECT_FALSE(fs::exists(dir / "evil.mp3"));

    ASSERT_TRUE(test::WriteZip(dir / "none.zip", {{"cover.jpg", "x"}}));
    const ZipUnpacked n = UnpackZipSong(dir / "none.zip", dir / "out");
    EXPECT_FALSE(n.Ok);
    EXPECT_NE(n.Reason.find("none.zip"), std::string::npos);
}

TEST(ZipSongs, AnUnpackedSongIsReusedAndNeverWrittenInto) {
    test::TempDir dir;
    const fs::path zip = dir / "Song.zip";
    ASSERT_TRUE(test::WriteZip(zip, {{"song.mp3", "audio"}, {"song.lrs", "lyrics"}}));
    std::string error;
    const std::string song = OpenZipSong(zip.string(), error);
    ASSERT_FALSE(song.empty()) << error;
    EXPECT_EQ(OpenZipSong(zip.string(), error), song);
    EXPECT_EQ(ArchiveOf(song), zip);

    // Lyrics, display blocks, tags and voice files all go through this writer.
    const fs::path lyrics = fs::path(song).replace_extension(".lrs");
    const std::string refusal = WriteFileAtomically(lyrics, "changed");
    EXPECT_NE(refusal.find("Song.zip"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find((dir / "song.lrs").string()), std::string::npos) << refusal;
    EXPECT_EQ(test::ReadBytes(lyrics), "lyrics");
    EXPECT_FALSE(WriteFileAtomically(song, "audio and a block").empty());
    EXPECT_EQ(test::ReadBytes(song), "audio");
    EXPECT_EQ(BesideArchive(lyrics), dir / "song.lrs");
    EXPECT_EQ(WriteFileAtomically(BesideArchive(lyrics), "saved beside"), "");

    // A changed archive is unpacked again.
    ASSERT_TRUE(test::WriteZip(zip, {{"song.mp3", "new audio"}}));
    const std::string again = OpenZipSong(zip.string(), error);
    ASSERT_FALSE(again.empty()) << error;
    EXPECT_EQ(test::ReadBytes(again), "new audio");

    test::WriteBytes(dir / "broken.zip", "not a zip");
    EXPECT_TRUE(OpenZipSong((dir / "broken.zip").string(), error).empty());
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(OpenZipSong((dir / "missing.zip").string(), error).empty());
}

TEST(ZipSongs, OnlyTheNewestUnpackedSongsAreKept) {
    test::TempDir dir;
    std::vector<std::string> songs;
    for (std::size_t i = 0; i <= kMaxUnpackedZipSongs; ++i) {
        const fs::path zip = dir / ("s" + std::to_string(i) + ".zip");
        ASSERT_TRUE(test::WriteZip(zip, {{"a.mp3", "x"}}));
        std::string error;
        songs.push_back(OpenZipSong(zip.string(), error));
        ASSERT_FALSE(songs.back().empty()) << error;
    }
    EXPECT_FALSE(fs::exists(songs.front()));
    EXPECT_TRUE(ArchiveOf(songs.front()).empty());
    EXPECT_TRUE(fs::exists(songs.back()));
}

TEST(ZipSongs, ThePlaylistTakesAZipAsOneSong) {
    EXPECT_TRUE(IsAcceptedSongFile("/m/Pack.ZIP"));
    EXPECT_EQ(MediaFileFor("/m/Pack.ZIP"), "/m/Pack.ZIP");
    test::ExpectEach("IsZipPath", IsZipPath, {{"a.Zip", true}, {"a.zipx", false}, {"zip", false}});
}

// A zipped song through the media control, as the player opens it.
constexpr int kRate = 44100;

struct ZipPlayer {
    ZipPlayer() : engine(kRate), media(engine, Hooks(), MediaSettings{}, true) {}
    MediaHooks Hooks() {
        MediaHooks h;
        h.loadLyrics = [this](const std::string& p) {
            lyricsFrom = p;
            return true;
        };
        h.loadCdg = [this](const std::string& p) {
            cdgFrom = p;
            cdgBytes = test::ReadBytes(p);
            return true;
        };
        return h;
    }
    std::string Wav() {
        const fs::path wav = dir / "scratch.wav";
        EXPECT_TRUE(test::WriteSound(wav, test::Chirp(kRate, 2000, 0.5f, 0.25f), kRate, 2,
                                     test::kWavFloat));
        return test::ReadBytes(wav);
    }

    test::TempDir dir;
    AudioEngine engine;
    MediaControl media;
    std::string lyricsFrom, cdgFrom, cdgBytes;
};

TEST(ZipSongMedia, AZippedMp3GPairOpensWithItsGraphics) {
    ZipPlayer p;
    const std::string graphics(24 * 10, '\0');
    ASSERT_TRUE(
        test::WriteZip(p.dir / "Track.zip", {{"Track.WAV", p.Wav()}, {"track.cdg", graphics}}));
    std::string zip = (p.dir / "Track.zip").string();
    ASSERT_TRUE(p.media.OpenName(zip, false)) << p.media.LastError();
    EXPECT_EQ(zip, (p.dir / "Track.zip").string());  // the caller's path stays the archive
    EXPECT_TRUE(p.media.CdgMode());
    EXPECT_EQ(fs::path(p.cdgFrom).filename(), "Track.cdg");
    EXPECT_NE(fs::path(p.cdgFrom).parent_path(), p.dir.Path());  // unpacked, not beside the zip
    EXPECT_EQ(p.cdgBytes, graphics);
    EXPECT_TRUE(p.media.VocalCutAvailable());
}

TEST(ZipSongMedia, AZippedSongWithLyricsLoadsThemAndRefusesToSaveIntoTheArchive) {
    ZipPlayer p;
    ASSERT_TRUE(test::WriteZip(p.dir / "Song.zip", {{"song.wav", p.Wav()}, {"song.lrs", "x"}}));
    std::string zip = (p.dir / "Song.zip").string();
    ASSERT_TRUE(p.media.OpenName(zip, false)) << p.media.LastError();
    EXPECT_TRUE(p.media.KaraokeMode());
    EXPECT_EQ(p.lyricsFrom, p.media.CurrentPath());
    EXPECT_TRUE(fs::exists(fs::path(p.media.CurrentPath()).replace_extension(".lrs")));
    const std::string refusal = WriteFileAtomically(p.media.CurrentPath(), "appended block");
    EXPECT_NE(refusal.find("save it beside the archive"), std::string::npos) << refusal;

    ASSERT_TRUE(test::WriteZip(p.dir / "Empty.zip", {{"cover.jpg", "x"}}));
    std::string empty = (p.dir / "Empty.zip").string();
    EXPECT_FALSE(p.media.OpenName(empty, false));
    EXPECT_NE(p.media.LastError().find("no song"), std::string::npos) << p.media.LastError();
}

}  // namespace
}  // namespace cx
