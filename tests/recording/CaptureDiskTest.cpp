// Capture through SDL's disk driver, which reads a raw file as the
// microphone: known audio in, the same samples back in the take.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "MicrophoneFeed.h"
#include "recording/VoiceCapture.h"

namespace cx {
namespace {

using test::MicrophoneRamp;
using test::ReadBytes;
using test::TempDir;

class CaptureDisk : public ::testing::Test {
protected:
    void Feed(const std::string& raw) { test::FeedMicrophone(m_dir / "mic.raw", raw); }
    TempDir m_dir;
    VoiceCapture m_capture;
    std::string m_error;
    CaptureError m_kind = CaptureError::None;
};

TEST_F(CaptureDisk, ATakeComesBackSampleExactWithNothingLost) {
    for (const RecordFormat format : {RecordFormat{1, 22050}, RecordFormat{2, 44100}}) {
        const std::string mic = MicrophoneRamp(format.samplesPerSecond * format.channels);
        Feed(mic);
        const auto take = m_dir / "take.WAV";
        ASSERT_TRUE(m_capture.Start({}, format, take, m_error, m_kind)) << m_error;
        EXPECT_TRUE(m_capture.Running());
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        const TakeReport report = m_capture.Stop();
        EXPECT_FALSE(m_capture.Running());
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
    Feed(MicrophoneRamp(100));
    EXPECT_FALSE(m_capture.Start({}, {1, 22050}, m_dir / "no/such/take.WAV", m_error, m_kind));
    EXPECT_EQ(m_kind, CaptureError::CreateFile);

    m_error.clear();
    const auto take = m_dir / "take.WAV";
    EXPECT_FALSE(m_capture.Start("no such microphone", {1, 22050}, take, m_error, m_kind));
    EXPECT_EQ(m_kind, CaptureError::Device);
    EXPECT_FALSE(m_error.empty());
    EXPECT_FALSE(std::filesystem::exists(take));
    EXPECT_FALSE(m_capture.Running());
    // The disk driver names only its default device, without an error.
    m_error.clear();
    VoiceCapture::ListDevices(m_error);
    EXPECT_EQ(m_error, "");
}

TEST_F(CaptureDisk, TheMeterOnlyCaptureWritesNoFileAndSeesEachBuffer) {
    Feed(MicrophoneRamp(2 * 22050));
    ASSERT_TRUE(m_capture.Start({}, {2, 22050}, {}, m_error, m_kind)) << m_error;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int buffers = 0;
    std::uint32_t first = 0;
    m_capture.ForEachBufferHead([&](std::uint32_t frame) {
        if (buffers++ == 0) first = frame;
    });
    m_capture.Stop();
    EXPECT_GT(buffers, 0);
    EXPECT_EQ(first, 0x00090001u);  // samples 1 and 9
    // Only the feed.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 1);
}

}  // namespace
}  // namespace cx
