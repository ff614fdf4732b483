#include "playback/FileDecoder.h"

#include <gtest/gtest.h>

#include "TestSignals.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

struct FormatCase {
    const char* name;
    int format;
    bool exact;  // lossless: samples come back as written
};

class FileDecoderFormats : public ::testing::TestWithParam<FormatCase> {};

std::vector<float> ReadAll(FileDecoder& d) {
    std::vector<float> all, buf(3000 * 2);
    for (std::size_t n = 3000; n == 3000;) {
        n = d.Read(buf.data(), 3000);
        all.insert(all.end(), buf.begin(), buf.begin() + 2 * n);
    }
    return all;
}

TEST_P(FileDecoderFormats, ReadsExactLengthAndSeeksToTheFrame) {
    const auto& c = GetParam();
    test::TempDir dir;
    const auto path = dir / (std::string("song.") + c.name);
    const std::size_t frames = 44100 * 2 + 123;
    const auto signal = test::Chirp(44100, frames, 0.5f, 0.25f);
    ASSERT_TRUE(test::WriteSound(path, signal, 44100, 2, c.format));

    std::string error;
    auto d = FileDecoder::Open(path.string(), error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ(d->SampleRate(), 44100);
    EXPECT_EQ(d->Channels(), 2);
    EXPECT_EQ(d->LengthFrames(), static_cast<std::int64_t>(frames));
    const auto all = ReadAll(*d);
    EXPECT_EQ(all.size(), frames * 2);
    for (std::size_t i = 0; c.exact && i < all.size(); i += 997)
        ASSERT_NEAR(all[i], signal[i], 1e-4);
    // Seeking lands on the very frame a straight read gives there, with the
    // lossy decoders warmed up so that even the first samples agree.
    const float tolerance = 1e-5f;
    for (const std::int64_t at :
         {std::size_t{0}, std::size_t{1}, std::size_t{4410}, std::size_t{50001}, frames - 10}) {
        ASSERT_TRUE(d->Seek(at));
        std::vector<float> got(8 * 2);
        ASSERT_EQ(d->Read(got.data(), 8), 8u) << c.name << " at frame " << at;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], all[2 * at + i], tolerance) << c.name << " at frame " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, FileDecoderFormats,
                         ::testing::Values(FormatCase{"wav", test::kWavFloat, true},
                                           FormatCase{"flac", test::kFlac16, true},
                                           FormatCase{"ogg", test::kOggVorbis, false},
                                           FormatCase{"mp3", test::kMp3, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileDecoder, MonoIsDuplicatedAndReportedAsMono) {
    test::TempDir dir;
    std::vector<float> mono(1000);
    for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<float>(i) / 1000.0f;
    ASSERT_TRUE(test::WriteSound(dir / "mono.wav", mono, 22050, 1, test::kWavFloat));
    std::string error;
    auto d = FileDecoder::Open((dir / "mono.wav").string(), error);
    ASSERT_TRUE(d) << error;
    EXPECT_EQ(d->Channels(), 1);
    EXPECT_EQ(d->SampleRate(), 22050);
    std::vector<float> out(2000);
    ASSERT_EQ(d->Read(out.data(), 1000), 1000u);
    EXPECT_FLOAT_EQ(out[2 * 500], mono[500]);
    EXPECT_FLOAT_EQ(out[2 * 500 + 1], mono[500]);
}

TEST(FileDecoder, BrokenOrMissingFilesGiveAReason) {
    test::TempDir dir;
    test::WriteBytes(dir / "junk.wav", "RIFF\x10\0\0\0WAVEjunk");
    test::WriteBytes(dir / "empty.mp3", "");
    test::WriteBytes(dir / "noise.mp3", std::string(5000, '\x55'));
    for (const char* name : {"junk.wav", "empty.mp3", "noise.mp3", "absent.flac"}) {
        std::string error;
        EXPECT_FALSE(FileDecoder::Open((dir / name).string(), error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
}

TEST(FileDecoder, ReadsTheCorpusMp3s) {
    CX_REQUIRE_CORPUS();
    std::string error;
    auto d = FileDecoder::Open((test::CorpusDir() / "mp3" / "silence-44-s-v1.mp3").string(), error);
    ASSERT_TRUE(d) << error;
    EXPECT_GT(d->LengthFrames(), 0);
    EXPECT_EQ(d->SampleRate(), 44100);
}

}  // namespace
}  // namespace cx
