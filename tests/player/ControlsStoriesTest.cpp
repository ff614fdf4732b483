// The player's controls in the real player, offscreen: what each one does or
// why it is disabled, what the player keeps between runs, and what it says
// when a song will not open.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include "app/AppHarness.h"
#include "app/gui/Preferences.h"
#include "editor/gui/Editor.h"
#include "midi/TwoChannelKar.h"
#include "midi/gui/MidiEq.h"
#include "midi/gui/MidiPanel.h"
#include "playback/TestSignals.h"
#include "playlist/gui/UserList.h"
#include "recording/gui/Equalizer.h"

namespace cx {
namespace {

using test::AppHarness;
using test::DemoDir;

constexpr int kRate = 44100;
const std::filesystem::path kTwinkle = DemoDir() / "Twinkle Twinkle Little Star.wav";

// Two seconds of a steady level, mono or stereo.
std::filesystem::path WriteSong(const AppHarness& h, const std::string& name, int channels) {
    const auto path = h.Home() / name;
    const std::vector<float> samples(static_cast<std::size_t>(channels * kRate * 2), 0.25f);
    EXPECT_TRUE(test::WriteSound(path, samples, kRate, channels, test::kWavFloat));
    return path;
}

QString Tr(const AppHarness& h, const char* key) {
    return QString::fromStdString(h.app->Tr(key));
}

TEST(ControlsStories, VolumeIsKeptAndRemainingTimeCarriesAMinus) {
    AppHarness h;
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    Player* player = h.app->PlayerWindow();
    player->SetVolume(37);
    test::SendKey(player, Qt::Key_T, Qt::ControlModifier);
    h.Advance(1.0);
    EXPECT_TRUE(player->TimeText().startsWith('-')) << player->TimeText().toStdString();
    test::SendKey(player, Qt::Key_T, Qt::ControlModifier);
    h.Advance(0.5);
    EXPECT_FALSE(player->TimeText().startsWith('-'));

    h.app.reset();
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    EXPECT_EQ(h.app->PlayerWindow()->GetVolume(), 37);
    EXPECT_DOUBLE_EQ(h.app->Media().Settings().volume, 0.37);
}

TEST(ControlsStories, WhileRecordingWhatWouldDisturbTheTakeIsDisabledAndSaysWhy) {
    AppHarness h;
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    Player* player = h.app->PlayerWindow();
    ASSERT_TRUE(h.app->Run(Command::SwitchMicrophone));
    ASSERT_TRUE(h.app->Run(Command::Record));
    ASSERT_TRUE(h.app->Voice().IsRecording()) << h.app->Voice().LastMessageKey();
    const QString why = Tr(h, "StopRcording");
    const std::vector<Command> blocked = {
        Command::Previous, Command::Next,     Command::Mute,   Command::Preferences,
        Command::Options,  Command::FileOpen, Command::Editor, Command::SwitchMicrophone,
        Command::Pause};
    for (Command c : blocked) {
        SCOPED_TRACE(CommandRouter::Name(c));
        if (QAction* a = player->MenuAction(c)) {
            EXPECT_FALSE(a->isEnabled());
            EXPECT_EQ(a->toolTip(), why);
        }
        for (const auto& b : TransportButtons()) {
            if (b.command != c) continue;
            EXPECT_FALSE(player->Button(b.number)->isEnabled());
            EXPECT_TRUE(player->Button(b.number)->toolTip().endsWith(why));
        }
        EXPECT_FALSE(h.app->Router().Available(c));
    }
    EXPECT_TRUE(player->MenuAction(Command::Record)->isEnabled());
    EXPECT_TRUE(player->Button(4)->isEnabled());  // Stop ends the take

    ASSERT_TRUE(h.app->Run(Command::Record));
    EXPECT_FALSE(h.app->Voice().IsRecording());
    for (Command c : blocked)
        EXPECT_TRUE(!player->MenuAction(c) || player->MenuAction(c)->isEnabled())
            << CommandRouter::Name(c);
    EXPECT_TRUE(player->Button(5)->isEnabled());
}

TEST(ControlsStories, TheVocalRemoverInTheMenuFollowsTheSongsChannels) {
    AppHarness h;
    const auto mono = WriteSong(h, "mono.wav", 1);
    const auto stereo = WriteSong(h, "stereo.wav", 2);
    ASSERT_TRUE(h.Start(test::QPath(mono)));
    Player* player = h.app->PlayerWindow();
    QAction* remover = player->MenuAction(Command::VocalCut);
    ASSERT_NE(remover, nullptr);
    EXPECT_FALSE(remover->isEnabled());
    EXPECT_EQ(remover->toolTip(), Tr(h, "VocalCutNeedsStereo"));
    test::SendKey(player, Qt::Key_V, Qt::AltModifier);
    EXPECT_FALSE(h.app->Media().VocalCutOn());
    ASSERT_TRUE(h.app->Run(Command::Mixer));
    auto* panelSwitch = h.app->VoicePanel()->findChild<QPushButton*>("remver");
    EXPECT_FALSE(panelSwitch->isEnabled());

    h.app->ChangeSong(test::QPath(stereo));
    EXPECT_TRUE(remover->isEnabled());
    test::SendKey(player, Qt::Key_V, Qt::AltModifier);
    EXPECT_TRUE(h.app->Media().VocalCutOn());
    h.app->VoicePanel()->ReadEffects();
    EXPECT_TRUE(panelSwitch->isEnabled());
    EXPECT_TRUE(panelSwitch->isChecked());
}

TEST(ControlsStories, TheEditorButtonAndCtrlEOpenAndCloseTheEditor) {
    AppHarness h;
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    Player* player = h.app->PlayerWindow();
    QToolButton* button = player->Button(14);
    button->click();
    ASSERT_NE(h.app->EditorWindow(), nullptr);
    EXPECT_TRUE(h.app->EditorWindow()->isVisible());
    EXPECT_TRUE(button->isChecked());
    button->click();
    EXPECT_FALSE(h.app->EditorWindow()->isVisible());
    EXPECT_FALSE(button->isChecked());
    test::SendKey(player, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(h.app->EditorWindow()->isVisible());
    test::SendKey(player, Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(h.app->EditorWindow()->isVisible());
}

TEST(ControlsStories, ALongTitleScrollsWhileThePreferenceIsOn) {
    AppHarness h;
    const std::string name(150, 'W');
    const auto song = WriteSong(h, name + ".wav", 2);
    ASSERT_TRUE(h.Start(test::QPath(song)));
    Player* player = h.app->PlayerWindow();
    player->show();
    QApplication::processEvents();
    ASSERT_TRUE(h.app->Settings().Scroll);
    EXPECT_TRUE(player->TitleScrolls());
    // The title moves on by itself.
    const QString first = player->ShownTitle();
    QElapsedTimer clock;
    clock.start();
    while (player->ShownTitle() == first && clock.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_NE(player->ShownTitle(), first);

    Preferences* p = h.Open<Preferences>(Command::Preferences);
    ASSERT_NE(p, nullptr);
    p->findChild<QCheckBox*>("scroll title")->setChecked(false);
    p->OK_Click();
    EXPECT_FALSE(player->TitleScrolls());
    EXPECT_TRUE(player->ShownTitle().endsWith("..."));
}

TEST(ControlsStories, TheRecordingFolderChoiceSaysWhereTakesGo) {
    AppHarness h;
    const auto song = WriteSong(h, "song.wav", 2);
    ASSERT_TRUE(h.Start(test::QPath(song)));
    const std::filesystem::path voiceFolder = h.app->Voice().VoiceFileOfSong().parent_path();
    ASSERT_NE(voiceFolder, song.parent_path());
    const struct {
        const char* label;
        std::filesystem::path folder;
    } choices[] = {{"PrefRecordBeside", song.parent_path()}, {"PrefRecordFolder", voiceFolder}};
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.label);
        Preferences* p = h.Open<Preferences>(Command::Preferences);
        ASSERT_NE(p, nullptr);
        auto* where = p->findChild<QComboBox*>("rec folder");
        const int i = where->findText(Tr(h, choice.label));
        ASSERT_GE(i, 0);
        where->setCurrentIndex(i);
        p->OK_Click();
        EXPECT_EQ(h.app->Voice().VoiceFileOfSong().parent_path(), choice.folder);
    }
    EXPECT_FALSE(h.app->Settings().RecordFolder);  // the stored value keeps its meaning
}

TEST(ControlsStories, ASongThatWillNotOpenSaysWhy) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    const auto junk = h.Home() / "junk.mp3";
    test::WriteBytes(junk, "this is no song at all");
    const auto locked = h.Home() / "locked.wav";
    std::filesystem::copy_file(kTwinkle, locked);
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const bool lockWorks = access(locked.c_str(), R_OK) != 0;  // not for root
    const struct {
        std::filesystem::path path;
        const char* reason;
        bool run;
    } cases[] = {{h.Home() / "gone.mp3", "OpenNotFound", true},
                 {junk, "OpenNotASong", true},
                 {locked, "OpenNoPermission", lockWorks}};
    for (const auto& c : cases) {
        if (!c.run) continue;
        SCOPED_TRACE(c.reason);
        h.app->ChangeSong(QString::fromStdString(c.path.string()));
        const auto boxes = h.app->PlayerWindow()->findChildren<QMessageBox*>();
        ASSERT_EQ(boxes.size(), 1);
        const QString shown = boxes[0]->text();
        EXPECT_TRUE(shown.contains(Tr(h, c.reason))) << shown.toStdString();
        EXPECT_EQ(shown.count(QString::fromStdString(c.path.string())), 1) << shown.toStdString();
        delete boxes[0];
    }
}

TEST(ControlsStories, VoicePlaybackSwitchedOnWhileTheSongStandsPlaysWithIt) {
    const std::filesystem::path cdg = DemoDir() / "Mary Had a Little Lamb.wav";
    for (const bool graphics : {false, true}) {
        SCOPED_TRACE(graphics ? "CD+G song" : "audio song");
        if (graphics && !std::filesystem::exists(cdg)) continue;
        AppHarness h;
        const auto song = graphics ? cdg : WriteSong(h, "sung.wav", 2);
        ASSERT_TRUE(h.Start(test::QPath(song)));
        // A recording of the singer, longer than the song.
        const auto voice = h.app->Voice().VoiceFileOfSong();
        std::filesystem::create_directories(voice.parent_path());
        ASSERT_TRUE(test::WriteSound(voice, test::StereoSine(kRate, 220.0, 60.0, 0.3f, 0.3f), kRate,
                                     2, test::kWavFloat));
        ASSERT_TRUE(h.app->Run(Command::Pause));
        ASSERT_TRUE(h.app->Run(Command::YourVoice));
        ASSERT_TRUE(h.app->Voice().VoiceOn());
        AudioEngine& engine = h.app->Engine();
        const auto voicePosition = [&] {
            return engine.PositionSeconds(h.app->Media().VoiceChannel());
        };
        ASSERT_TRUE(h.app->Run(Command::Play));
        double before = voicePosition();
        h.Advance(0.5);
        EXPECT_NEAR(voicePosition() - before, 0.5, 0.02) << "the voice plays with the song";
        EXPECT_TRUE(h.app->PlayerWindow()->Button(13)->isChecked());
        ASSERT_TRUE(h.app->Run(Command::Pause));
        before = voicePosition();
        h.Advance(0.5);
        EXPECT_DOUBLE_EQ(voicePosition(), before) << "and stands with it";
    }
}

TEST(ControlsStories, AMicrophoneMonitorThatWillNotOpenSaysSoAndStaysOff) {
    AppHarness h;
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    h.app->Voice().Settings().device = "No such card";
    ASSERT_TRUE(h.app->Run(Command::Mixer));
    Equalizer* panel = h.app->VoicePanel();
    ASSERT_NE(panel, nullptr);
    auto* micro = panel->findChild<QPushButton*>("Microphone");
    micro->click();
    EXPECT_FALSE(micro->isChecked());
    EXPECT_FALSE(h.app->Voice().MicrophoneOn());
    EXPECT_FALSE(h.app->PlayerWindow()->Button(11)->isChecked());
    EXPECT_EQ(h.app->Voice().LastMessageKey(), "MonitorFailed");
}

TEST(ControlsStories, APolishSingerMeetsNoEnglishInTheMidiWindowPlaylistAndEffects) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    Preferences* p = h.Open<Preferences>(Command::Preferences);
    ASSERT_NE(p, nullptr);
    p->findChild<QComboBox*>("language")->setCurrentIndex(1);
    p->OK_Click();
    h.app.reset();

    const auto kar = h.Home() / "song.kar";
    test::WriteBytes(kar, test::TwoChannelKar());
    ASSERT_TRUE(h.Start(test::QPath(kar)));
    ASSERT_EQ(h.app->Tr("Play"), "Odtwórz");
    ASSERT_TRUE(h.app->Run(Command::Controls));
    MidiEq* eq = h.app->MidiWindow();
    ASSERT_NE(eq, nullptr);
    EXPECT_EQ(eq->RestoreButton()->text(), "Przywróć z utworu");
    bool semitones = false;
    for (auto* label : eq->findChildren<QLabel*>()) semitones |= label->text() == "półtony";
    EXPECT_TRUE(semitones);
    EXPECT_EQ(eq->Strip(9)->OnOffButton()->toolTip(), "Utwór nic tu nie gra");
    eq->SaveButton()->click();
    EXPECT_EQ(eq->StatusText(), "Zapisano w utworze.");
    eq->RestoreButton()->click();
    EXPECT_EQ(eq->StatusText(), "Przywrócono z utworu.");

    const auto list = h.Home() / "list.m3u";
    test::WriteBytes(list, kar.string() + "\n" + (h.Home() / "gone.kar").string() + "\n");
    h.app->ChangeSong(test::QPath(list));
    EXPECT_TRUE(h.app->PlaylistWindow()->StatusText().contains("Nie znaleziono: 1"))
        << h.app->PlaylistWindow()->StatusText().toStdString();

    p = h.Open<Preferences>(Command::Preferences);
    ASSERT_NE(p, nullptr);
    auto* effect = p->findChild<QComboBox*>("image effect");
    const int slide = effect->findData(QStringLiteral("Slide Bar"));
    ASSERT_GE(slide, 0);
    EXPECT_EQ(effect->itemText(slide), "Wsuwanie pasem");
    effect->setCurrentIndex(slide);
    auto* detail = p->findChild<QComboBox*>("effect detail");
    const int vertical = detail->findData(QStringLiteral("Vertical2"));
    ASSERT_GE(vertical, 0);
    EXPECT_EQ(detail->itemText(vertical), "Pionowo 2");
    detail->setCurrentIndex(vertical);
    p->OK_Click();
    EXPECT_EQ(h.app->Settings().ImageEffect, "Slide Bar");
    EXPECT_EQ(h.app->Settings().EffectDetail, "Vertical2");
}

}  // namespace
}  // namespace cx
