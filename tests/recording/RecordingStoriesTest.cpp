// A singer over the real player: microphone on, a verse recorded over the
// song, played back with reverb in step after a seek, the chorus recorded
// again without losing the verse; and the voice panel on a machine without
// a sound card. The microphone is SDL's disk driver reading a file.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <chrono>
#include <thread>

#include "FakeCards.h"
#include "MicrophoneFeed.h"
#include "app/AppHarness.h"
#include "recording/ClsVolume.h"
#include "recording/RecordFormat.h"
#include "recording/gui/Equalizer.h"

namespace cx {
namespace {

using test::AppHarness;
using test::DemoDir;
using test::FeedMicrophone;
using test::ReadBytes;

const std::filesystem::path kTwinkle = DemoDir() / "Twinkle Twinkle Little Star.wav";
const std::filesystem::path kKar = DemoDir() / "Frere Jacques.kar";
// The player's default recording format.
constexpr RecordFormat kFormat{2, 22050};

// Half a second of what the microphone hears in the player's format.
std::string MicrophoneFeed(int seed) {
    return test::MicrophoneRamp(kFormat.samplesPerSecond, seed);
}

// Sings for a while of wall-clock time: the disk driver runs on its own clock.
void Sing() {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
}

std::size_t LeadingZeros(const std::string& file, std::size_t from) {
    const std::size_t at = file.find_first_not_of('\0', from);
    return (at == std::string::npos ? file.size() : at) - from;
}

TEST(RecordingStories, VerseRecordedPlayedBackInStepAndChorusReRecordedWithoutLosingTheVerse) {
    AppHarness h;
    ASSERT_TRUE(h.Start(QString::fromStdString(kTwinkle.string())));
    VoiceDesk& voice = h.app->Voice();
    MediaControl& media = h.app->Media();
    ASSERT_GT(media.LengthSeconds(), 8.0);

    // The microphone control comes first.
    EXPECT_TRUE(h.app->Run(Command::Record));
    EXPECT_FALSE(voice.IsRecording());
    EXPECT_EQ(voice.LastMessageKey(), "SwitchMicrophone");
    EXPECT_TRUE(h.app->Run(Command::SwitchMicrophone));
    EXPECT_TRUE(voice.MicrophoneOn());

    // The verse, sung from second 1.
    const std::string verse = MicrophoneFeed(100);
    FeedMicrophone(h.Home() / "verse.raw", verse);
    h.Advance(1.0);
    const double verseAt = media.PositionSeconds();
    EXPECT_TRUE(h.app->Run(Command::Record));
    ASSERT_TRUE(voice.IsRecording()) << voice.LastMessageKey();
    EXPECT_TRUE(h.app->PlayerWindow()->Button(12)->isChecked());
    // Pausing and voice playback wait until the take ends.
    EXPECT_FALSE(h.app->Run(Command::Pause));
    EXPECT_EQ(media.State(), MediaControl::kPlaying);
    h.app->Run(Command::YourVoice);
    EXPECT_EQ(voice.LastMessageKey(), "StopRcording");
    EXPECT_FALSE(media.VoicePlaybackOn());
    Sing();
    h.Advance(0.2);
    EXPECT_TRUE(h.app->Run(Command::Record));
    EXPECT_FALSE(voice.IsRecording());
    EXPECT_FALSE(h.app->PlayerWindow()->Button(12)->isChecked());
    EXPECT_EQ(voice.LastTake().overrunBytes, 0u);

    const std::filesystem::path voiceFile = voice.VoiceFileOfSong();
    EXPECT_EQ(voiceFile.parent_path(), test::PlayerHome() / "data/Sonoferia/Cantabilex/Voice");
    const std::string afterVerse = ReadBytes(voiceFile);
    const PcmWavInfo info = ReadPcmWav(afterVerse);
    ASSERT_TRUE(info.ok) << info.reason;
    EXPECT_EQ(info.format, kFormat);
    EXPECT_GE(info.dataBytes, FrameAlignedBytes(kFormat, media.LengthSeconds()));
    const std::size_t verseByte = FrameAlignedBytes(kFormat, verseAt);
    EXPECT_EQ(LeadingZeros(afterVerse, kVoiceHeaderBytes), verseByte);
    EXPECT_TRUE(afterVerse.substr(kVoiceHeaderBytes + verseByte, verse.size()) == verse);

    // Played back with reverb, in step with the song after a seek.
    media.OnEffectSwitch(1, true);
    EXPECT_TRUE(h.app->Run(Command::YourVoice));
    ASSERT_TRUE(media.VoicePlaybackOn());
    ASSERT_NE(media.VoiceChannel(), 0u);
    h.app->SeekTo(5.0);
    AudioEngine& engine = h.app->Engine();
    EXPECT_NEAR(engine.PositionSeconds(media.VoiceChannel()), media.PositionSeconds(), 0.01);
    h.Advance(0.5);
    EXPECT_NEAR(engine.PositionSeconds(media.VoiceChannel()), media.PositionSeconds(), 0.02);

    // The chorus, from second 6: recording stops the voice playback first.
    const std::string chorus = MicrophoneFeed(9000);
    FeedMicrophone(h.Home() / "chorus.raw", chorus);
    h.app->SeekTo(6.0);
    const double chorusAt = media.PositionSeconds();
    EXPECT_TRUE(h.app->Run(Command::Record));
    ASSERT_TRUE(voice.IsRecording());
    EXPECT_FALSE(media.VoicePlaybackOn());
    Sing();
    EXPECT_TRUE(h.app->Run(Command::Record));
    ASSERT_FALSE(voice.IsRecording());
    const std::string afterChorus = ReadBytes(voiceFile);
    const std::size_t chorusByte = kVoiceHeaderBytes + FrameAlignedBytes(kFormat, chorusAt);
    ASSERT_EQ(afterChorus.size(), afterVerse.size());
    EXPECT_TRUE(afterChorus.substr(0, chorusByte) == afterVerse.substr(0, chorusByte));
    EXPECT_TRUE(afterChorus.substr(chorusByte, chorus.size()) == chorus);

    // A discarded take leaves nothing behind and the voice file as it was.
    EXPECT_TRUE(h.app->Run(Command::Record));
    ASSERT_TRUE(voice.IsRecording());
    voice.CancelRecording();
    EXPECT_TRUE(std::filesystem::is_empty(voice.TempFolder()));
    EXPECT_TRUE(ReadBytes(voiceFile) == afterChorus);
}

TEST(RecordingStories, VoicePlaybackOfASongWithoutRecordingSwitchesTheLightOff) {
    AppHarness h;
    ASSERT_TRUE(h.Start(QString::fromStdString(kKar.string())));
    EXPECT_TRUE(h.app->Run(Command::YourVoice));
    EXPECT_FALSE(h.app->Voice().VoiceOn());
    EXPECT_FALSE(h.app->Media().VoicePlaybackOn());
    // Without a song nothing records either.
    EXPECT_TRUE(h.app->Run(Command::Stop));
    h.app->Run(Command::SwitchMicrophone);
    h.app->Run(Command::Record);
    EXPECT_FALSE(h.app->Voice().IsRecording());
    EXPECT_FALSE(h.app->Voice().Armed());
}

TEST(RecordingStories, ARecordingArmedWhileTheSongStandsStartsWithPlay) {
    AppHarness h;
    ASSERT_TRUE(h.Start(QString::fromStdString(kTwinkle.string())));
    FeedMicrophone(h.Home() / "mic.raw", MicrophoneFeed(5));
    ASSERT_TRUE(h.app->Run(Command::Pause));
    h.app->Run(Command::SwitchMicrophone);
    h.app->Run(Command::Record);
    EXPECT_TRUE(h.app->Voice().Armed());
    EXPECT_FALSE(h.app->Voice().IsRecording());
    ASSERT_TRUE(h.app->Run(Command::Play));
    EXPECT_TRUE(h.app->Voice().IsRecording());
    // Closing the song keeps what was sung.
    ASSERT_TRUE(h.app->Run(Command::Stop));
    EXPECT_FALSE(h.app->Voice().IsRecording());
}

TEST(RecordingStories, TheMixerCommandShowsTheVoicePanelWhoseControlsReachTheCardAndTheSettings) {
    // A card with a master line at 40 of 0..200 and a synthesizer line; no microphone line.
    test::FakeCards card{{"Card"}, {{MixerControl::Volume, 40}, {MixerControl::Midi, 10}}, {}};
    AppHarness h;
    h.mixer = [&card] { return card.Backend(); };
    ASSERT_TRUE(h.Start(QString::fromStdString(kTwinkle.string())));
    EXPECT_EQ(h.app->VoicePanel(), nullptr);  // nothing asked of the card at start
    ASSERT_TRUE(h.app->Run(Command::Mixer));
    Equalizer* panel = h.app->VoicePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->MixerControlsEnabled());

    auto* output = panel->findChild<QSlider*>("OutputVolume");
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->value(), 20);
    output->setValue(50);
    EXPECT_EQ(card.values[MixerControl::Volume], 100);
    EXPECT_FALSE(panel->findChild<QSlider*>("RecordLevel")->isEnabled());  // no such line

    // The M key's switch and the panel's agree, and the player's button shows it.
    ASSERT_TRUE(h.app->Run(Command::SwitchMicrophone));
    panel->ReadEffects();
    EXPECT_TRUE(panel->findChild<QPushButton*>("Microphone")->isChecked());
    EXPECT_TRUE(h.app->PlayerWindow()->Button(11)->isChecked());
    panel->findChild<QPushButton*>("Microphone")->click();
    EXPECT_FALSE(h.app->Voice().MicrophoneOn());

    // The voice volume thumb: heard at once and kept for the next start.
    panel->SetVoiceThumb(62);
    EXPECT_EQ(h.app->Media().Settings().voiceVolume, 48);
    h.app->RequestClose();
    QApplication::processEvents();
    EXPECT_NE(h.StoredSettings().find("voice%20volume=62\n"), std::string::npos);
}

TEST(RecordingStories, TheVoicePanelWithoutASoundCardDisablesItsMixerControls) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    ASSERT_TRUE(h.app->Run(Command::Mixer));
    Equalizer* panel = h.app->VoicePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->MixerControlsEnabled());
    EXPECT_EQ(panel->findChild<QLabel*>("mixerNote")->text().toStdString(), h.app->Tr("NoMixer"));

    panel->SetVoiceThumb(33);
    EXPECT_EQ(h.app->Media().Settings().voiceVolume, 95);
    panel->SetVoiceThumb(91);
    EXPECT_EQ(h.app->Media().Settings().voiceVolume, 0);
    panel->SetSynchro(kSynchroMax);
    EXPECT_FLOAT_EQ(h.app->Media().Settings().voiceOffset, 1.0f);
    panel->resetSynchro();
    EXPECT_FLOAT_EQ(h.app->Media().Settings().voiceOffset, 0.0f);

    const unsigned char loud[4] = {0x10, 0x27, 0x10, 0x27};
    const unsigned char quiet[4] = {0, 0, 0, 0};
    panel->Monitor(loud, 4);
    panel->Monitor(quiet, 4);
    EXPECT_EQ(panel->Meter().Left(), 9500);
}

TEST(RecordingStories, ACdgSongIsRecordedAndItsVoicePlaysBackWithTheLampOn) {
    const std::filesystem::path song = DemoDir() / "Mary Had a Little Lamb.wav";
    if (!std::filesystem::exists(song)) GTEST_SKIP() << "no CD+G song in the demo";
    AppHarness h;
    ASSERT_TRUE(h.Start(QString::fromStdString(song.string())));
    ASSERT_TRUE(h.app->Media().CdgMode());
    VoiceDesk& voice = h.app->Voice();
    h.app->Run(Command::SwitchMicrophone);
    FeedMicrophone(h.Home() / "cdg.raw", MicrophoneFeed(7));
    h.Advance(1.0);
    ASSERT_TRUE(h.app->Run(Command::Record));
    ASSERT_TRUE(voice.IsRecording()) << voice.LastMessageKey();
    Sing();
    ASSERT_TRUE(h.app->Run(Command::Record));
    ASSERT_FALSE(voice.IsRecording());
    EXPECT_EQ(voice.VoiceFileOfSong().stem(), song.stem());
    EXPECT_TRUE(std::filesystem::is_regular_file(voice.VoiceFileOfSong()));

    QToolButton* lamp = h.app->PlayerWindow()->Button(13);
    ASSERT_TRUE(h.app->Run(Command::YourVoice));
    EXPECT_TRUE(h.app->Media().VoicePlaybackOn());
    EXPECT_TRUE(lamp->isChecked());
    // The voice follows a seek of the graphics and the song.
    h.app->SeekTo(3.0);
    EXPECT_NEAR(h.app->Engine().PositionSeconds(h.app->Media().VoiceChannel()), 3.0, 0.05);
    ASSERT_TRUE(h.app->Run(Command::YourVoice));
    EXPECT_FALSE(lamp->isChecked());
}

}  // namespace
}  // namespace cx
