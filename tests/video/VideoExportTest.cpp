// The exporter against what a user checks: players read the file, the
// pictures are the player's, sound and words stay together, and a stopped
// export leaves nothing behind.
#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <cstdlib>
#include <sstream>

#include "VideoSongs.h"
#include "cdg/CdgRender.h"
#include "karaoke/GuiContext.h"
#include "platform/ReadOnlyFolders.h"
#include "support/CbxRunner.h"
#include "video/VideoExport.h"
#include "video/VideoReader.h"

namespace cx::test {
namespace {

constexpr int kWidth = 640, kHeight = 360;
const std::string kSize = " --size 640x360";

bool HasFfprobe() {
    return RunShell("ffprobe -version >/dev/null 2>&1").code == 0;
}

// The player's own picture at `seconds`, through cbx, as the video's size.
QImage PlayerPicture(bool cdg, const std::filesystem::path& song, double seconds,
                     const std::filesystem::path& png) {
    std::ostringstream at;
    at << seconds;
    const auto r = cdg ? Cbx("cdg " + Quote(song) + " --at " + at.str() + " -o " + Quote(png))
                       : Cbx("karaoke " + Quote(song) + " --at " + at.str() + " --fullscreen" +
                             kSize + " -o " + Quote(png));
    EXPECT_EQ(r.code, 0) << r.out;
    const QImage picture(QString::fromStdString(png.string()));
    return cdg ? ScaleCdgFrame(picture, QSize(kWidth, kHeight), false) : picture;
}

TEST(VideoExport, PlayersReadItAndItShowsThePlayersPictures) {
    CX_REQUIRE_CBX();
    if (!HasFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
    EnsureGuiContext();
    for (const auto& [cdg, fps] : {std::pair{true, 25}, {false, 30}}) {
        SCOPED_TRACE(cdg ? "cdg" : "lyrics");
        TempDir dir;
        const auto song = cdg ? WriteCdgSong(dir.Path()) : WriteLyricsSong(dir.Path());
        const auto out = dir / "out.mp4";
        const auto made = Cbx("video " + Quote(song) + " -o " + Quote(out) + kSize, true);
        ASSERT_EQ(made.code, 0) << made.out;
        const auto probe = RunShell(
            "ffprobe -v error -show_entries stream=codec_name,width,height"
            ":format=duration -of default=nw=1 " +
            Quote(out));
        ASSERT_EQ(probe.code, 0);
        for (const char* want : {"codec_name=h264", "codec_name=aac", "width=640", "height=360"})
            EXPECT_NE(probe.out.find(want), std::string::npos) << want << " in " << probe.out;
        const auto at = probe.out.find("duration=");
        ASSERT_NE(at, std::string::npos);
        EXPECT_NEAR(std::atof(probe.out.c_str() + at + 9), kSongSeconds, 1.0 / fps);

        const std::vector<double> times = {0.6, 2.0, 3.2};
        const VideoReadout video = ReadVideo(out.string(), times, false);
        ASSERT_TRUE(video.ok) << video.error;
        for (std::size_t i = 0; i < times.size(); ++i) {
            Yuv420 want;
            std::string error;
            ASSERT_TRUE(
                ConvertToYuv420(PlayerPicture(cdg, song, times[i], dir / "at.png"), want, error))
                << error;
            EXPECT_GE(Ssim420(video.pictures[i], want), 0.98) << "at " << times[i];
        }
    }
}

// Pixels of the brightness that differ plainly.
long ChangedPixels(const Yuv420& a, const Yuv420& b) {
    long n = 0;
    for (std::size_t i = 0; i < a.y.size() && i < b.y.size(); ++i)
        n += std::abs(a.y[i] - b.y[i]) > 32;
    return n;
}

// The start of the first frame whose picture differs from the one before,
// between `from` and `to` seconds.
double FirstChange(const std::string& video, int fps, double from, double to) {
    std::vector<double> times;  // the middle of every frame
    for (long k = std::lround(from * fps); k < to * fps; ++k) times.push_back((k + 0.5) / fps);
    const VideoReadout r = ReadVideo(video, times, false);
    EXPECT_TRUE(r.ok) << r.error;
    for (std::size_t i = 1; i < r.pictures.size(); ++i)
        if (ChangedPixels(r.pictures[i - 1], r.pictures[i]) > 20) return times[i] - 0.5 / fps;
    return -1;
}

double FirstClick(const std::string& video) {
    const VideoReadout r = ReadVideo(video, {}, true);
    EXPECT_TRUE(r.ok) << r.error;
    for (std::size_t i = 0; i < r.sound.size(); ++i)
        if (std::abs(r.sound[i]) > 0.3) return double(i) / r.soundRate;
    return -1;
}

TEST(VideoExport, TheClickSoundsOnTheFrameWherePieceLights) {
    EnsureGuiContext();
    // With `voice` the click is in the voice recording, not the song.
    for (const auto& [cdg, tempo, voice] : {std::tuple{true, 0.0, false},
                                            {false, 0.0, false},
                                            {false, 20.0, false},
                                            {false, -20.0, false},
                                            {false, 0.0, true}}) {
        SCOPED_TRACE(std::string(cdg ? "cdg" : "lyrics") + " tempo " + std::to_string(tempo) +
                     (voice ? " voice" : ""));
        TempDir dir;
        const auto song = cdg ? WriteCdgSong(dir.Path()) : WriteLyricsSong(dir.Path());
        VideoExportOptions o;
        o.width = kWidth;
        o.height = kHeight;
        o.tempo = tempo;
        if (voice) {
            WriteBytes(dir / "song.wav", ClickWav(kSongSeconds, kSongSeconds + 1));
            WriteBytes(dir / "voice.wav", ClickWav(kSongSeconds, kClickSeconds));
            o.voiceFile = (dir / "voice.wav").string();
        }
        const auto out = (dir / "out.mp4").string();
        const VideoExportResult r = ExportVideo(song.string(), out, o, {}, nullptr);
        ASSERT_TRUE(r.ok) << r.error;
        const double click = FirstClick(out);
        const double expected = kClickSeconds / (1 + tempo / 100);
        // Stretched sound moves an onset by a little; the words follow the sound.
        EXPECT_NEAR(click, expected, 1.0 / r.fps);
        // The piece lights on the first frame that starts once the song reached it.
        const double lit = FirstChange(out, r.fps, expected - 0.4, expected + 0.4);
        EXPECT_GE(lit, expected - 1e-6);
        EXPECT_LT(lit, expected + 1.0 / r.fps);
    }
}

TEST(VideoExport, WrongChoicesAreRefusedWithTheirReason) {
    CX_REQUIRE_CBX();
    TempDir dir;
    const auto song = Quote(WriteLyricsSong(dir.Path()));
    const auto out = " -o " + Quote(dir / "out.mp4");
    for (const auto& [args, says] :
         {std::pair{song + out + " --size 1281x720", "even numbers"},
          {song + out + " --fps 1e12", "--fps"},
          {song + out + " --quality 99", "--quality"},
          {song + out + " --tempo 50", "tempo"},
          {song + out + " --from 3 --to 2", "after the start"},
          {song, "usage"},
          {song + " -o " + Quote(dir / "no/such/out.mp4"), "does not exist"},
          {Quote(dir / "gone.wav") + out, "no such file"}}) {
        const CbxRun r = Cbx("video " + args, true);
        EXPECT_NE(r.code, 0) << args;
        EXPECT_NE(r.out.find(says), std::string::npos) << args << ": " << r.out;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.mp4")) << args;
    }
}

TEST(VideoExport, AStoppedOrFailedExportLeavesNothing) {
    EnsureGuiContext();
    struct Case {
        const char* name;
        bool cancelAtStart;
        double cancelAt;  // share done; 0 never
        bool missingSong;
        bool intoArchive;  // the video named inside an unpacked archive's folder
    };
    for (const Case c : {Case{"cancelled at once", true, 0, false, false},
                         Case{"cancelled halfway", false, 0.5, false, false},
                         Case{"missing song", false, 0, true, false},
                         Case{"inside an archive", false, 0, false, true}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto song = WriteLyricsSong(dir.Path());
        if (c.missingSong) song = dir / "gone.wav";
        const auto out = dir / "out.mp4";
        WriteBytes(out, "an older video");
        if (c.intoArchive) MarkReadOnlyFolder(dir.Path(), dir / "songs.zip");
        std::atomic<bool> cancel{c.cancelAtStart};
        VideoExportOptions o;
        o.width = kWidth;
        o.height = kHeight;
        const VideoExportResult r = ExportVideo(
            song.string(), out.string(), o,
            [&](double done) {
                if (c.cancelAt > 0 && done >= c.cancelAt) cancel = true;
            },
            &cancel);
        if (c.intoArchive) UnmarkReadOnlyFolder(dir.Path());
        const bool fails = c.missingSong || c.intoArchive;
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.cancelled, !fails);
        EXPECT_EQ(r.error.empty(), !fails) << r.error;
        EXPECT_EQ(ReadBytes(out), "an older video");
        EXPECT_TRUE(NoPartFiles(dir.Path()));
    }
}

}  // namespace
}  // namespace cx::test
