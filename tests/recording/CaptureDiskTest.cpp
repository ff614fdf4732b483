// Capture through SDL's disk driver, which reads a raw file as the
// microphone: known audio in, the same samples back in the take.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "recording/VoiceCapture.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Little-endian 16-bit samples that are never silent.
std::string Ramp(std::size_t frames, int channels) {
    std::string s;
    for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels); ++i) {
        const auto v = static_cast<std::int16_t>(static_cast<int>(i % 4000) * 8 + 1);
        s.push_back(static_cast<char>(v & 0xFF));
        s.push_back(static_cast<char>((v >> 8) & 0xFF));
    }
    return s;
}

class CaptureDisk : public ::testing::Test {
protected:
    void Feed(const std::string& raw) {
        WriteBytes(m_dir / "mic.raw", raw);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILEIN", (m_dir / "mic.raw").c_str(), 1);
        // Faster than real time, still slow enough for the writer.
        setenv("SDL_DISKAUDIODELAY", "5", 1);
    }
    TempDir m_dir;
};

TEST_F(CaptureDisk, ATakeComesBackSampleExactWithNothingLost) {
    for (const RecordFormat format : {RecordFormat{1, 22050}, RecordFormat{2, 44100}}) {
        const std::string mic =
            Ramp(static_cast<std::size_t>(format.samplesPerSecond), format.channels);
        Feed(mic);
        VoiceCapture capture;
        std::string error;
        CaptureError kind = CaptureError::None;
        const auto take = m_dir / "take.WAV";
        ASSERT_TRUE(capture.Start({}, format, take, error, kind)) << error;
        EXPECT_TRUE(capture.Running());
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        const TakeReport report = capture.Stop();
        EXPECT_FALSE(capture.Running());
        EXPECT_EQ(report.overrunBytes, 0u);
        EXPECT_EQ(report.error, "");

        const std::string file = ReadBytes(take);
        const PcmWavInfo info = ReadPcmWav(file);
        ASSERT_TRUE(info.ok) << info.reason;
        EXPECT_EQ(info.format, format);
        EXPECT_EQ(info.dataBytes, report.dataBytes);
        EXPECT_EQ(file.size(), kVoiceHeaderBytes + report.dataBytes);
        ASSERT_GT(report.dataBytes, mic.size()) << "the feed ran out before the take ended";
        EXPECT_EQ(file.substr(kVoiceHeaderBytes, mic.size()), mic);
        // Past the end of the feed the driver gives silence.
        EXPECT_EQ(file.find_first_not_of('\0', kVoiceHeaderBytes + mic.size()), std::string::npos);
    }
}

TEST_F(CaptureDisk, AFileThatCannotBeCreatedOrADeviceThatIsNotThereSaySo) {
    Feed(Ramp(100, 1));
    VoiceCapture capture;
    std::string error;
    CaptureError kind = CaptureError::None;
    EXPECT_FALSE(capture.Start({}, {1, 22050}, m_dir / "no" / "such" / "take.WAV", error, kind));
    EXPECT_EQ(kind, CaptureError::CreateFile);

    error.clear();
    const auto take = m_dir / "take.WAV";
    EXPECT_FALSE(capture.Start("no such microphone", {1, 22050}, take, error, kind));
    EXPECT_EQ(kind, CaptureError::Device);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(take));
    EXPECT_FALSE(capture.Running());
}

TEST_F(CaptureDisk, TheMeterOnlyCaptureWritesNoFileAndSeesEachBuffer) {
    Feed(Ramp(22050, 2));
    VoiceCapture capture;
    std::string error;
    CaptureError kind = CaptureError::None;
    ASSERT_TRUE(capture.Start({}, {2, 22050}, {}, error, kind)) << error;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int buffers = 0;
    std::uint32_t first = 0;
    capture.ForEachBufferHead([&](std::uint32_t frame) {
        if (buffers++ == 0) first = frame;
    });
    capture.Stop();
    EXPECT_GT(buffers, 0);
    EXPECT_EQ(first, 0x00090001u);  // samples 1 and 9
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(m_dir.Path()))
        ++files;
    EXPECT_EQ(files, 1);  // only the feed
}

TEST_F(CaptureDisk, ListsTheCaptureDevices) {
    Feed(Ramp(10, 1));
    std::string error;
    const auto devices = VoiceCapture::ListDevices(error);
    EXPECT_EQ(error, "");
    (void)devices;  // the disk driver names only its default device
}

}  // namespace
}  // namespace cx
