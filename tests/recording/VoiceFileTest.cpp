// The voice file: a new one laid out field by field, an existing one updated
// in place, and the file-level step that never loses a take.
#include <gtest/gtest.h>

#include <ctime>

#include "recording/VoiceFile.h"
#include "recording/VoicePaths.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::uint32_t Le32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// Samples that are never zero, so silence and take are told apart.
std::string Tone(std::size_t bytes, char seed = 1) {
    std::string s(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i)
        s[i] = static_cast<char>(seed + static_cast<char>(i % 97) + 1);
    return s;
}

TEST(VoiceFile, NewFileHasTheHeaderSilenceBeforeTheTakeAndRunsForTheWholeSong) {
    const RecordFormat mono22{1, 22050};
    const std::string take = Tone(44100);  // one second
    const VoiceFileResult r = BuildVoiceFile(mono22, 60.0, 12.5, take);
    ASSERT_TRUE(r.ok) << r.reason;
    const std::string& f = r.bytes;
    EXPECT_EQ(f.substr(0, 4), "RIFF");
    EXPECT_EQ(f.substr(8, 8), "WAVEfmt ");
    // Format length 16, PCM, mono, 22050 Hz, 44100 bytes a second, 2 a frame, 16 bits.
    EXPECT_EQ(f.substr(16, 20),
              std::string("\x10\0\0\0\1\0\1\0\x22\x56\0\0\x44\xAC\0\0\2\0\x10\0", 20));
    EXPECT_EQ(f.substr(36, 4), "data");
    const std::uint32_t data = 2u * 22050u * 60u;
    EXPECT_EQ(Le32(f, 40), data);
    EXPECT_EQ(Le32(f, 4), data + 36);
    ASSERT_EQ(f.size(), 44u + data);

    // Exactly 2 x 22050 x 12.5 bytes of silence, then the take at once.
    const std::size_t silence = 2 * 22050 * 25 / 2;
    EXPECT_EQ(f.find_first_not_of('\0', 44), 44 + silence);
    EXPECT_TRUE(f.substr(44 + silence, take.size()) == take);
    EXPECT_EQ(f.find_first_not_of('\0', 44 + silence + take.size()), std::string::npos);
}

TEST(VoiceFile, StereoStartsAndHalfSamplesAreCutToWholeFrames) {
    const RecordFormat stereo{2, 11025};
    // 0.10001 s is 1102.6 frames: the take starts at frame 1102, never mid-frame.
    const VoiceFileResult r = BuildVoiceFile(stereo, 1.0, 0.10001, Tone(4 * 10 + 3));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bytes.find_first_not_of('\0', 44), 44u + 1102u * 4u);
    EXPECT_EQ(r.bytes.size(), 44u + 11025u * 4u);
}

TEST(VoiceFile, TakePastTheSongsEndIsKeptAndTheHeaderGrowsWithIt) {
    const RecordFormat mono{1, 11025};
    const std::string take = Tone(2 * 11025 * 3);
    const VoiceFileResult r = BuildVoiceFile(mono, 2.0, 1.0, take);
    ASSERT_TRUE(r.ok);
    const std::uint32_t data = 2 * 11025 * 4;
    EXPECT_EQ(r.bytes.size(), 44u + data);
    EXPECT_EQ(Le32(r.bytes, 40), data);
    EXPECT_EQ(Le32(r.bytes, 4), data + 36);
    EXPECT_EQ(r.bytes.substr(44 + 2 * 11025), take);
}

TEST(VoiceFile, UpdateInTheMiddleKeepsEverythingElseByteForByte) {
    const RecordFormat mono{1, 22050};
    const std::string verse = Tone(2 * 22050 * 10, 3);
    const VoiceFileResult first = BuildVoiceFile(mono, 30.0, 0.0, verse);
    ASSERT_TRUE(first.ok);
    const std::string chorus = Tone(2 * 22050 * 2, 50);
    const VoiceFileResult second = UpdateVoiceFile(first.bytes, mono, 4.0, chorus);
    ASSERT_TRUE(second.ok) << second.reason;
    const std::size_t at = 44 + 2 * 22050 * 4;
    ASSERT_EQ(second.bytes.size(), first.bytes.size());
    EXPECT_EQ(second.bytes.substr(0, at), first.bytes.substr(0, at));
    EXPECT_EQ(second.bytes.substr(at, chorus.size()), chorus);
    EXPECT_EQ(second.bytes.substr(at + chorus.size()), first.bytes.substr(at + chorus.size()));
}

TEST(VoiceFile, UpdatePastTheEndGrowsTheDataAndKeepsChunksAfterIt) {
    const RecordFormat mono{1, 11025};
    std::string file = BuildVoiceFile(mono, 1.0, 0.0, Tone(100)).bytes;
    const std::string list = std::string("LIST\x04\0\0\0abcd", 12);
    file += list;
    reinterpret_cast<unsigned char&>(file[4]) += 12;
    const std::string take = Tone(2 * 11025);
    const VoiceFileResult r = UpdateVoiceFile(file, mono, 0.5, take);
    ASSERT_TRUE(r.ok) << r.reason;
    // 0.5 s is frame 5512: the take starts at byte 11024 of the data.
    const std::uint32_t start = 5512 * 2;
    const std::uint32_t data = start + 2 * 11025;
    EXPECT_EQ(Le32(r.bytes, 40), data);
    EXPECT_EQ(Le32(r.bytes, 4), r.bytes.size() - 8);
    EXPECT_EQ(r.bytes.substr(44 + data), list);
    EXPECT_TRUE(r.bytes.substr(44 + start, take.size()) == take);
}

TEST(VoiceFile, UpdateRefusesAnotherFormatOrABrokenFile) {
    const std::string stereo = BuildVoiceFile({2, 22050}, 1.0, 0.0, Tone(400)).bytes;
    const VoiceFileResult other = UpdateVoiceFile(stereo, {1, 22050}, 0.0, Tone(200));
    EXPECT_FALSE(other.ok);
    EXPECT_NE(other.reason.find("another format"), std::string::npos);
    EXPECT_FALSE(UpdateVoiceFile("RIFF\x10\0\0\0WAVE", {1, 22050}, 0.0, Tone(2)).ok);
    EXPECT_FALSE(UpdateVoiceFile(std::string(), {1, 22050}, 0.0, Tone(2)).ok);
}

TEST(VoiceFile, PlaceTakeBuildsThenUpdatesAndRemovesTheTake) {
    TempDir dir;
    const RecordFormat mono{1, 22050};
    const auto take = dir / "take.WAV", voice = dir / "voices" / "song.wav";
    const std::string verse = Tone(2 * 22050);
    WriteBytes(take, PcmWavHeader(mono, static_cast<std::uint32_t>(verse.size())) + verse);
    ASSERT_EQ(PlaceTake(take, voice, 10.0, 2.0), "");
    EXPECT_FALSE(std::filesystem::exists(take));
    const std::string built = ReadBytes(voice);
    EXPECT_EQ(built.size(), 44u + 2u * 22050u * 10u);
    EXPECT_EQ(built.substr(44 + 2 * 22050 * 2, verse.size()), verse);

    const std::string chorus = Tone(2 * 11025, 9);
    WriteBytes(take, PcmWavHeader(mono, static_cast<std::uint32_t>(chorus.size())) + chorus);
    ASSERT_EQ(PlaceTake(take, voice, 10.0, 6.0), "");
    const std::string updated = ReadBytes(voice);
    EXPECT_EQ(updated.substr(0, 44 + 2 * 22050 * 6), built.substr(0, 44 + 2 * 22050 * 6));
    EXPECT_EQ(updated.substr(44 + 2 * 22050 * 6, chorus.size()), chorus);
    // No temporary file of the atomic write is left beside the voice file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(voice.parent_path()), {}), 1);
}

TEST(VoiceFile, AFailedPlacementKeepsTheTakeAndTheVoiceFile) {
    TempDir dir;
    const auto take = dir / "take.WAV", voice = dir / "song.wav";
    const std::string oldVoice = BuildVoiceFile({2, 44100}, 1.0, 0.0, Tone(400)).bytes;
    WriteBytes(voice, oldVoice);
    const std::string takeBytes = PcmWavHeader({1, 22050}, 4) + "abcd";
    WriteBytes(take, takeBytes);
    EXPECT_NE(PlaceTake(take, voice, 1.0, 0.0), "");
    EXPECT_EQ(ReadBytes(voice), oldVoice);
    EXPECT_EQ(ReadBytes(take), takeBytes);
}

TEST(VoicePaths, VoiceFolderBesideTheSongAndTheTakeName) {
    TempDir dir;
    const auto song = dir / "My Song.mp3";
    const VoiceFolders inFolder{false, dir / "Voice"};
    EXPECT_EQ(VoiceFileFor(song, inFolder), dir / "Voice" / "My Song.wav");
    EXPECT_EQ(VoiceFileFor(song, {true, dir / "Voice"}), dir / "My Song.wav");
    // A WAV song never becomes its own voice file.
    EXPECT_EQ(VoiceFileFor(dir / "Tune.WAV", {true, {}}), dir / "Tune.voice.wav");

    EXPECT_TRUE(FindVoiceFile(song, inFolder).empty());
    WriteBytes(dir / "My Song.wav", "x");
    EXPECT_EQ(FindVoiceFile(song, inFolder), dir / "My Song.wav");
    std::filesystem::create_directories(dir / "Voice");
    WriteBytes(dir / "Voice" / "My Song.wav", "y");
    EXPECT_EQ(FindVoiceFile(song, inFolder), dir / "Voice" / "My Song.wav");

    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 6, t.tm_hour = 16, t.tm_min = 5, t.tm_sec = 9;
    EXPECT_EQ(TakeFileName(t), "12062026160509PM.WAV");
    t.tm_hour = 4;
    EXPECT_EQ(TakeFileName(t), "12062026040509AM.WAV");
}

TEST(RecordFormat, SettingsGiveRateAndChannels) {
    EXPECT_EQ(RecordFormatFromSettings(22050, 2), (RecordFormat{2, 22050}));
    EXPECT_EQ(RecordFormatFromSettings(0, 1), (RecordFormat{1, 11025}));
    EXPECT_EQ(RecordFormatFromSettings(2, 1), (RecordFormat{1, 44100}));
    EXPECT_EQ(RecordFormatFromSettings(12345, 2), (RecordFormat{2, 22050}));
}

}  // namespace
}  // namespace cx
