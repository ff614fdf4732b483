// Side by side: `cbx video` against ffmpeg's command line exporting the same
// CD+G song to 720p H.264 and AAC, then a lyrics song with pictures and
// transitions at 720p30 (no reference tool paints those). Prints wall and CPU
// time, peak memory, speed against ffmpeg or real time, and the SSIM of our
// decoded frames against the player's own pictures in 4:2:0.
// Usage: cx_video_vs_ffmpeg [SECONDS] (default 180).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchCdgSong.h"
#include "ChildRun.h"
#include "cdg/CdgPlayer.h"
#include "cdg/CdgRender.h"
#include "karaoke/Transitions.h"
#include "lyrics/DisplayBlock.h"
#include "video/VideoReader.h"

namespace {

using namespace cx::bench;

constexpr int kRate = 44100;
constexpr int kWidth = 1280, kHeight = 720;
constexpr int kPictures = 6;
constexpr double kLineSeconds = 4.0;
constexpr double kSsimEverySeconds = 15.0;

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// 16-bit stereo PCM: a soft chord, so the AAC encoder has work to do.
std::string ToneWav(double seconds) {
    const auto frames = static_cast<unsigned>(seconds * kRate);
    auto le = [](unsigned v, int bytes) {
        std::string s(bytes, '\0');
        for (int i = 0; i < bytes; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    std::string data(std::size_t(frames) * 4, '\0');
    for (unsigned i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double v = 0.2 * std::sin(2 * M_PI * 220 * t) + 0.1 * std::sin(2 * M_PI * 277 * t) +
                         0.1 * std::sin(2 * M_PI * 330 * t + std::sin(t));
        const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 32767));
        for (int c = 0; c < 2; ++c) {
            data[4 * std::size_t(i) + 2 * c] = static_cast<char>(s & 0xFF);
            data[4 * std::size_t(i) + 2 * c + 1] = static_cast<char>(s >> 8);
        }
    }
    return "RIFF" + le(36 + frames * 4, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) +
           le(kRate, 4) + le(kRate * 4, 4) + le(4, 2) + le(16, 2) + "data" + le(frames * 4, 4) +
           data;
}

// A lyrics song: lines of pieces every half second, and pictures changing
// through transitions every half minute (a display block after the sound).
std::filesystem::path WriteLyricsSong(const std::filesystem::path& dir, double seconds) {
    const char* words[] = {"Hold ", "the ", "line ", "and ", "sing ", "it ", "loud ", "to"};
    std::string lrs = "#Cantabilex\n";
    for (double t = 2; t + kLineSeconds <= seconds; t += kLineSeconds) {
        for (int k = 0; k < 8; ++k) {
            char piece[64];
            std::snprintf(piece, sizeof piece, "[%.1f]%s", t + 0.5 * k, words[k]);
            lrs += piece;
        }
        lrs += "\n";
    }
    lrs += "#End Cantabilex";
    WriteFile(dir / "lyrics.lrs", lrs);
    cx::DisplayBlock block;
    const auto effects = cx::TransitionEffects();
    for (int i = 1; i <= kPictures; ++i) {
        QImage picture(640, 360, QImage::Format_RGB32);
        QPainter p(&picture);
        QLinearGradient g(0, 0, 640, 360);
        g.setColorAt(0, QColor::fromHsv(i * 50 % 360, 200, 200));
        g.setColorAt(1, QColor::fromHsv(i * 50 % 360 + 1, 120, 60));
        p.fillRect(picture.rect(), g);
        p.end();
        const auto path = dir / ("picture" + std::to_string(i) + ".png");
        picture.save(QString::fromStdString(path.string()));
        cx::PictureEntry entry;
        entry.Path = path.string();
        entry.Time = static_cast<int>((i - 1) * seconds / kPictures);
        const std::string& effect = effects[std::size_t(i) % effects.size()];
        if (effect != "No effect") {
            entry.Effect = effect;
            const auto variants = cx::TransitionVariants(effect);
            entry.EffectDetail = variants.empty() ? "" : variants[0];
            entry.Speed = 5;
        }
        block.Images.push_back(entry);
    }
    cx::BuildSchedule(block);
    WriteFile(dir / "lyrics.wav", ToneWav(seconds) + "\r\n" + cx::BuildDisplayBlockText(block));
    return dir / "lyrics.wav";
}

void Row(const char* name, const ChildResult& r, double seconds) {
    std::printf("%-26s %8.2f %8.2f %9.1f %11.1fx\n", name, r.seconds, r.cpuSeconds, r.peakMb,
                r.seconds > 0 ? seconds / r.seconds : 0.0);
}

struct Ssim {
    double mean = 0, min = 1;
};

Ssim Compare(const std::string& video, const std::vector<double>& times,
             const std::function<QImage(double)>& player) {
    Ssim s;
    const cx::VideoReadout r = cx::ReadVideo(video, times, false);
    if (!r.ok) {
        std::printf("cannot read %s: %s\n", video.c_str(), r.error.c_str());
        return {0, 0};
    }
    for (std::size_t i = 0; i < times.size(); ++i) {
        cx::Yuv420 want;
        std::string error;
        if (!cx::ConvertToYuv420(player(times[i]), want, error)) return {0, 0};
        const double v = cx::Ssim420(r.pictures[i], want);
        s.mean += v / double(times.size());
        s.min = std::min(s.min, v);
    }
    return s;
}

std::vector<double> SampleTimes(double seconds) {
    std::vector<double> times;
    for (double t = 5.02; t < seconds - 1; t += kSsimEverySeconds) times.push_back(t);
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // `make bench` runs without a display
    QGuiApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 180.0;
    const std::string cbx = std::string(CX_BINARY_DIR) + "/cbx";
    if (::access(cbx.c_str(), X_OK) != 0) {
        std::printf("skipped: %s is not built\n", cbx.c_str());
        return 0;
    }
    ScratchDir dir("cx-video");
    if (dir.Path().empty()) return 1;
    const std::string ffmpeg = FindOnPath("ffmpeg");
    const auto cdg = dir.Path() / "song.cdg";
    const auto bytes = KaraokeCdgSong(seconds);
    WriteFile(cdg, std::string(bytes.begin(), bytes.end()));
    // The song's sound as users have it: MP3, when ffmpeg can make one.
    auto audio = dir.Path() / "song.mp3";
    if (ffmpeg.empty() || !RunChild({ffmpeg, "-v", "error", "-f", "lavfi", "-i",
                                     "sine=f=220:d=" + std::to_string(seconds), "-ac", "2", "-b:a",
                                     "192k", audio.string()})
                               .ran) {
        audio = dir.Path() / "song.wav";
        WriteFile(audio, ToneWav(seconds));
    }
    std::printf("CD+G song of %.0f s to %dx%d at 25 fps\n", seconds, kWidth, kHeight);
    std::printf("%-26s %8s %8s %9s %12s\n", "", "wall s", "cpu s", "peak MB", "real time");
    const auto ours = dir.Path() / "ours.mp4";
    const ChildResult c =
        RunChild({cbx, "video", cdg.string(), "-o", ours.string()}, (dir.Path() / "o").string());
    if (!c.ran) return std::printf("cbx video failed (exit %d)\n", c.status), 1;
    Row("cbx video", c, seconds);
    if (ffmpeg.empty()) {
        std::printf("%-26s skipped: ffmpeg is not installed\n", "ffmpeg (reference)");
    } else {
        const ChildResult f =
            RunChild({ffmpeg, "-v", "error", "-y", "-i", cdg.string(), "-i", audio.string(), "-vf",
                      "scale=1280:720:flags=neighbor", "-r", "25", "-c:v", "libx264", "-preset",
                      "veryfast", "-c:a", "aac", (dir.Path() / "theirs.mp4").string()});
        if (f.ran) {
            Row("ffmpeg (reference)", f, seconds);
            std::printf("cbx / ffmpeg speed: wall %.2fx, cpu %.2fx\n",
                        c.seconds > 0 ? f.seconds / c.seconds : 0.0,
                        c.cpuSeconds > 0 ? f.cpuSeconds / c.cpuSeconds : 0.0);
        } else {
            std::printf("ffmpeg failed (exit %d)\n", f.status);
        }
    }
    cx::CdgPlayer player;
    std::string error;
    player.LoadCDGFile(cdg.string(), error);
    player.PlayCDG();
    const Ssim cs = Compare(ours.string(), SampleTimes(seconds), [&](double t) {
        player.Tick(t);
        return cx::ScaleCdgFrame(cx::RenderCdgScreen(player.Screen()), QSize(kWidth, kHeight),
                                 false);
    });
    std::printf("SSIM against the CD+G screen (4:2:0): mean %.4f, min %.4f\n", cs.mean, cs.min);

    const auto lyrics = WriteLyricsSong(dir.Path(), seconds);
    std::printf("\nlyrics song with %d pictures and transitions, %.0f s at %dx%d, 30 fps\n",
                kPictures, seconds, kWidth, kHeight);
    const auto video = dir.Path() / "lyrics.mp4";
    const ChildResult l = RunChild({cbx, "video", lyrics.string(), "-o", video.string()},
                                   (dir.Path() / "o").string());
    if (!l.ran) return std::printf("cbx video failed (exit %d)\n", l.status), 1;
    Row("cbx video", l, seconds);
    const auto png = dir.Path() / "at.png";
    const Ssim ls = Compare(video.string(), SampleTimes(seconds), [&](double t) {
        char at[32];
        std::snprintf(at, sizeof at, "%.2f", t);
        RunChild({cbx, "karaoke", lyrics.string(), "--at", at, "--fullscreen", "--size", "1280x720",
                  "-o", png.string()});
        return QImage(QString::fromStdString(png.string()));
    });
    std::printf("SSIM against the karaoke window (4:2:0): mean %.4f, min %.4f\n", ls.mean, ls.min);
    return 0;
}
