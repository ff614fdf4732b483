// cbx record, fed through SDL's file-reading capture driver.
#include <gtest/gtest.h>

#include "MicrophoneFeed.h"
#include "recording/RecordFormat.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// cbx record with `mic` as what the microphone hears, with its messages.
test::CbxRun Cbx(const std::string& args, const TempDir& dir, const std::string& mic = "") {
    WriteBytes(dir / "mic.raw", mic);
    return test::RunShell(
        "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILEIN=" + test::Quote(dir / "mic.raw") +
        " SDL_DISKAUDIODELAY=5 " + test::CbxPath() + " record " + args + " 2>&1");
}

TEST(CbxRecord, ATakeFromTheDiskDriverComesBackSampleExact) {
    TempDir dir;
    const std::string mic = test::MicrophoneRamp(22050 / 2);  // half a second, mono
    const auto take = dir / "take.wav";
    const test::CbxRun r = Cbx("--seconds 0.2 --channels 1 -o '" + take.string() + "'", dir, mic);
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string file = ReadBytes(take);
    const PcmWavInfo info = ReadPcmWav(file);
    ASSERT_TRUE(info.ok) << info.reason;
    EXPECT_EQ(info.format, (RecordFormat{1, 22050}));
    ASSERT_GT(info.dataBytes, mic.size());
    EXPECT_TRUE(file.substr(kVoiceHeaderBytes, mic.size()) == mic);
}

TEST(CbxRecord, IntoASongsVoiceFileAsThePlayerDoes) {
    TempDir dir;
    const RecordFormat stereo{2, 22050};
    const auto song = dir / "Song.wav";
    // Long enough that the take (sped up by the driver) ends inside the song.
    WriteBytes(song, PcmWavHeader({2, 44100}, 4 * 44100 * 10) + std::string(4 * 44100 * 10, '\0'));
    const std::string mic = test::MicrophoneRamp(22050 / 2);
    const auto voices = dir / "voices";
    const test::CbxRun r =
        Cbx("--song '" + song.string() + "' --at 1.5 --seconds 0.2 --voice-dir '" +
                voices.string() + "' --json",
            dir, mic);
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string file = ReadBytes(voices / "Song.wav");
    const PcmWavInfo info = ReadPcmWav(file);
    ASSERT_TRUE(info.ok) << info.reason;
    EXPECT_EQ(info.dataBytes, FrameAlignedBytes(stereo, 10.0));
    const std::size_t at = kVoiceHeaderBytes + FrameAlignedBytes(stereo, 1.5);
    EXPECT_EQ(file.find_first_not_of('\0', kVoiceHeaderBytes), at);
    EXPECT_TRUE(file.substr(at, mic.size()) == mic);
    EXPECT_NE(r.out.find("\"file\":"), std::string::npos);
}

TEST(CbxRecord, WrongUsageIsExitCodeTwo) {
    TempDir dir;
    for (const char* args :
         {"", "--seconds 1", "--seconds 1 -o x.wav --rate 8000", "--seconds 1 --song x.mp3"})
        EXPECT_EQ(Cbx(args, dir).code, 2) << args;
}

}  // namespace
}  // namespace cx
