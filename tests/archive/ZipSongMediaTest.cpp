// A zipped song through the media control, as the player opens it.
#include <gtest/gtest.h>

#include "platform/AtomicFile.h"
#include "playback/MediaControl.h"
#include "playback/TestSignals.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace cx {
namespace {

namespace fs = std::filesystem;
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
    ASSERT_TRUE(test::WriteZip(p.dir / "Track.zip",
                               {{"Track.WAV", p.Wav()}, {"track.cdg", graphics}}));
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
