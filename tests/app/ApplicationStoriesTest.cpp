// User stories over the real assembly: the player, karaoke, CD+G and
// playlist windows, the media control and the engine, offscreen, with the
// clock moved by the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <optional>

#include "AppHarness.h"
#include "app/SignalBridge.h"
#include "app/gui/CalibrationDialog.h"
#include "app/gui/Preferences.h"
#include "cdg/CdgWindow.h"
#include "editor/gui/Editor.h"
#include "host/gui/HostWindow.h"
#include "karaoke/gui/Lyric.h"
#include "library/gui/LibraryWindow.h"
#include "lyrics/DisplayBlock.h"
#include "lyrics/MediaBlocks.h"
#include "playback/player/MediaTransport.h"
#include "playlist/gui/UserList.h"
#include "video/gui/ExportVideoDialog.h"

namespace cx {
namespace {

using test::AppHarness;
using test::DemoDir;

const std::filesystem::path kTwinkle = DemoDir() / "Twinkle Twinkle Little Star.wav";
const std::filesystem::path kTwinkleLrs = DemoDir() / "Twinkle Twinkle Little Star.lrs";
const std::filesystem::path kKar = DemoDir() / "Frere Jacques.kar";

std::filesystem::path FirstCdgSong() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(DemoDir(), ec))
        for (const char* ext : {".mp3", ".ogg", ".wav", ".flac"})
            if (auto audio = e.path(); e.path().extension() == ".cdg" &&
                                       std::filesystem::exists(audio.replace_extension(ext)))
                return audio;
    return {};
}

// The piece that should be current at `seconds`: the last one started by then.
int PieceAt(const LyricsModel& model, double seconds) {
    int k = 0;
    for (int i = 1; i < static_cast<int>(model.Lyrics.size()); ++i)
        if (model.Lyrics[static_cast<std::size_t>(i)].StartTime <= seconds) k = i;
    return k;
}

TEST(ApplicationStories, SeekBackPutsTheWordsAtTheNewPlaceAndStopClearsThem) {
    AppHarness h;
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    const LyricsModel& model = h.app->Song().Model;
    ASSERT_GT(model.Lyrics.size(), 6u);
    KaraokeDisplay& display = h.app->LyricWindow()->Display();

    // Past the last piece, then back to the third: the display follows both jumps.
    const double last = model.Lyrics.back().StartTime;
    h.app->SeekTo(last + 0.5);
    h.Advance(0.3);
    EXPECT_EQ(display.CurrentPiece(), static_cast<int>(model.Lyrics.size()) - 1);

    const double third = model.Lyrics[3].StartTime + 0.05;
    h.app->SeekTo(third);
    EXPECT_EQ(display.CurrentPiece(), PieceAt(model, third));
    h.Advance(0.1);
    EXPECT_EQ(display.CurrentPiece(), PieceAt(model, third + 0.1));
    EXPECT_EQ(display.ShownPage(), KaraokeDisplay::Page::Lines);
    EXPECT_FALSE(display.ShownLine().empty());

    // Stop: the lines go at once, without a resize.
    ASSERT_TRUE(h.app->Run(Command::Stop));
    EXPECT_EQ(display.CurrentPiece(), 0);
    EXPECT_TRUE(display.ShownLine().empty());
    EXPECT_NE(display.ShownPage(), KaraokeDisplay::Page::Lines);
    EXPECT_TRUE(h.app->PlayerWindow()->LampOn(2));
}

// Started from its lyrics file, the song plays; mute, the vocal remover and
// full screen switch on and back off.
TEST(ApplicationStories, ALyricsFileOnTheCommandLinePlaysItsSongAndItsSwitchesTurnOnAndOff) {
    AppHarness h;
    ASSERT_TRUE(h.Start(test::QPath(kTwinkleLrs)));
    EXPECT_EQ(h.app->Transport().CurrentPath(), kTwinkle.string());
    EXPECT_EQ(h.app->Transport().State(), PlayState::Playing);
    h.Advance(2.5);  // the tune starts after two seconds
    ASSERT_GT(h.RenderPeak(1024), 0.01f);
    ASSERT_TRUE(h.app->Run(Command::Mute));
    EXPECT_TRUE(h.app->PlayerWindow()->Button(6)->isChecked());
    h.RenderPeak(1024);  // the ramp down
    EXPECT_EQ(h.RenderPeak(1024), 0.0f);
    ASSERT_TRUE(h.app->Run(Command::Mute));
    h.RenderPeak(1024);
    EXPECT_GT(h.RenderPeak(1024), 0.01f);
    EXPECT_FALSE(h.app->PlayerWindow()->Button(6)->isChecked());

    ASSERT_TRUE(h.app->Media().VocalCutAvailable());
    test::SendKey(h.app->PlayerWindow(), Qt::Key_V, Qt::AltModifier, "v");
    EXPECT_TRUE(h.app->Media().VocalCutOn());
    EXPECT_EQ(h.app->Transport().State(), PlayState::Playing);  // not V's Stop
    ASSERT_TRUE(h.app->Run(Command::VocalCut));
    EXPECT_FALSE(h.app->Media().VocalCutOn());

    ASSERT_TRUE(h.app->Run(Command::Fullscreen));
    EXPECT_TRUE(h.app->LyricWindow()->FullscreenOn());
    ASSERT_TRUE(h.app->Run(Command::Fullscreen));
    EXPECT_FALSE(h.app->LyricWindow()->FullscreenOn());
}

TEST(ApplicationStories, AKarSongShowsTheTitlePageOfItsDisplayBlockAndFollowsASeekBack) {
    AppHarness h;
    const auto kar = h.Home() / "song.kar";
    std::filesystem::copy_file(kKar, kar);
    DisplayBlock block;
    block.Title = "Block Title";
    ASSERT_TRUE(WriteDisplayBlock(block, kar, Codepage::Cp1252).ok);

    ASSERT_TRUE(h.Start(test::QPath(kar)));
    EXPECT_TRUE(h.app->Media().MidiMode());
    EXPECT_EQ(h.app->Song().Look.Title, "Block Title");
    h.Advance(0.05);
    KaraokeDisplay& display = h.app->LyricWindow()->Display();
    EXPECT_EQ(display.ShownPage(), KaraokeDisplay::Page::Title);

    // Late, then back early: the synth takes the seek on its next render, and
    // the words never run ahead.
    const LyricsModel& model = h.app->Song().Model;
    ASSERT_GT(model.Lyrics.size(), 6u);
    h.app->SeekTo(model.Lyrics[model.Lyrics.size() - 2].StartTime + 0.05);
    h.Advance(0.2);
    const double early = model.Lyrics[2].StartTime + 0.05;
    h.app->SeekTo(early);
    h.Advance(0.05);
    EXPECT_EQ(display.CurrentPiece(), PieceAt(model, early + 0.05));
}

TEST(ApplicationStories, ACdgSongLightsPlayingMovesOnAtItsEndAndPlaysAgainAfterStop) {
    const auto cdgSong = FirstCdgSong();
    if (cdgSong.empty()) GTEST_SKIP() << "no CD+G pair in the demo";
    AppHarness h;
    ASSERT_TRUE(h.Start());
    h.app->PlaylistWindow()->AddFiles({test::QPath(cdgSong), test::QPath(kTwinkle)});
    h.app->PlayerWindow()->Control().ChangeSong(0);
    ASSERT_TRUE(h.app->Media().CdgMode());
    EXPECT_TRUE(h.app->PlayerWindow()->LampOn(0));
    EXPECT_TRUE(h.app->GraphicsWindow()->isVisible());

    // A seek into the widest gap between graphics packets lands where asked.
    const auto& schedule = h.app->GraphicsWindow()->Player().Song().schedule;
    double gapStart = 0, gapEnd = 0;
    for (std::size_t i = 1; i < schedule.size(); ++i) {
        if (schedule[i].seconds - schedule[i - 1].seconds > gapEnd - gapStart)
            gapStart = schedule[i - 1].seconds, gapEnd = schedule[i].seconds;
    }
    const double inGap = (gapStart + gapEnd) / 2;
    h.app->SeekTo(inGap);
    EXPECT_NEAR(h.app->Transport().Position(), inGap, 0.01) << "gap " << gapStart << "-" << gapEnd;

    // Near the end, then past it: the next entry plays.
    h.app->SeekTo(h.app->Transport().Length() - 0.6);
    h.Advance(1.5);
    EXPECT_EQ(h.app->List().CurrentPlaying(), 1);
    EXPECT_EQ(h.app->Transport().CurrentPath(), kTwinkle.string());
    EXPECT_FALSE(h.app->Media().CdgMode());

    // Back to the CD+G song, stop it with V and start it again with X in its window.
    h.app->PlayerWindow()->Control().ChangeSong(0);
    CdgWindow* cdg = h.app->GraphicsWindow();
    test::SendKey(cdg, Qt::Key_V, Qt::NoModifier, "v");
    EXPECT_EQ(h.app->Transport().State(), PlayState::Stopped);
    test::SendKey(cdg, Qt::Key_X, Qt::NoModifier, "x");
    EXPECT_EQ(h.app->Transport().State(), PlayState::Playing);
    EXPECT_TRUE(h.app->Media().CdgMode());
}

TEST(ApplicationStories, ASongWhoseGraphicsCannotBeReadPlaysWithoutThem) {
    AppHarness h;
    const auto song = h.Home() / "broken.wav";
    std::filesystem::copy_file(kTwinkle, song);
    test::WriteBytes(h.Home() / "broken.cdg", "not graphics");
    std::filesystem::copy_file(kTwinkleLrs, h.Home() / "broken.lrs");

    ASSERT_TRUE(h.Start(test::QPath(song)));
    EXPECT_FALSE(h.app->Media().CdgMode());
    EXPECT_EQ(h.app->Transport().State(), PlayState::Playing);
    EXPECT_TRUE(h.app->Song().Model.HasLyrics());
    h.Advance(0.2);
    EXPECT_GT(h.app->Transport().Position(), 0.1);
}

TEST(ApplicationStories, ADamagedMidiFileSaysWhyItCannotBeOpened) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    const auto junk = h.Home() / "junk.mid";
    test::WriteBytes(junk, "this is not a MIDI file at all");
    h.app->ChangeSong(test::QPath(junk));
    const QString shown = test::ShownMessages().join('\n');
    EXPECT_TRUE(shown.contains("junk.mid")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("not a valid MIDI file")) << shown.toStdString();
    EXPECT_FALSE(h.app->Transport().IsOpen());
}

TEST(ApplicationStories, ExitFromTheMenuSavesEverythingAndEndsCleanly) {
    AppHarness h;
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    h.app->PlayerWindow()->move(123, 77);
    h.app->Settings().CustomBass = 50;
    h.app->Media().OnBassThumb(30);  // changed during the run
    QAction* exit = h.app->PlayerWindow()->MenuAction(Command::Exit);
    ASSERT_NE(exit, nullptr);
    exit->trigger();
    EXPECT_FALSE(h.app->ClosingDown());  // not from inside the menu's own handler
    QApplication::processEvents();
    EXPECT_TRUE(h.app->ClosingDown());
    EXPECT_FALSE(h.app->PlayerWindow()->isVisible());

    const std::string stored = h.StoredSettings();
    EXPECT_NE(stored.find("player%20position=\""), std::string::npos) << stored;
    EXPECT_NE(stored.find("karaoke%20window%20position"), std::string::npos);
    EXPECT_NE(stored.find("userlist%20position"), std::string::npos);
    EXPECT_EQ(stored.find("custom%20bass=50\n"), std::string::npos);
}

// Each way a dialog, message box or menu opens with the handler that opened
// it still on the stack. Quit from the bus or SIGTERM while it is open ends
// it and the player cleanly, with everything saved.
TEST(ApplicationStories, AQuitWhileADialogIsOpenEndsItAndSavesEverything) {
    struct Opener {
        const char* name;
        bool withSong;
        std::function<void(Application&)> open;
    };
    const Opener openers[] = {
        {"K in the karaoke window, no song", false,
         [](Application& a) { test::SendKey(a.LyricWindow(), Qt::Key_K, Qt::NoModifier, "k"); }},
        {"the editor's open dialog", false,
         [](Application& a) {
             a.Run(Command::Editor);
             a.EditorWindow()->OpenText();
         }},
        {"adding songs to the list", false,
         [](Application& a) { a.PlaylistWindow()->AddSongsDialog(); }},
        {"loading a list", false, [](Application& a) { a.PlaylistWindow()->LoadListDialog(); }},
        {"the list's look", false, [](Application& a) { a.PlaylistWindow()->ShowPrefs(); }},
        {"the video file chooser", true,
         [](Application& a) {
             a.Run(Command::ExportVideo);
             a.PlayerWindow()->findChild<ExportVideoDialog*>()->ChooseOutput();
         }},
        {"the host's break music folder", false,
         [](Application& a) {
             a.Run(Command::Host);
             a.HostDesk()->BrowseBreakMusic();
         }},
        {"adding a folder to the song library", false,
         [](Application& a) {
             a.Run(Command::Library);
             a.SongLibraryWindow()->AddFolderDialog();
         }},
        {"the player's menu", true,
         [](Application& a) {
             QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    a.PlayerWindow()->mapToGlobal(QPoint(5, 5)));
             QApplication::sendEvent(a.PlayerWindow(), &menu);
         }},
    };
    for (const Opener& opener : openers) {
        for (const bool bySignal : {false, true}) {
            SCOPED_TRACE(std::string(opener.name) + (bySignal ? ", SIGTERM" : ", Quit"));
            AppHarness h;
            ASSERT_TRUE(h.Start(opener.withSong ? test::QPath(kTwinkle) : QString()));
            std::optional<SignalBridge> signals_;
            if (bySignal) signals_.emplace([&h](int) { h.app->RequestClose(); });
            bool opened = false;
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, [&] {
                if (opened ||
                    !(QApplication::activeModalWidget() || QApplication::activePopupWidget()))
                    return;
                opened = true;
                if (bySignal)
                    ::raise(SIGTERM);
                else
                    h.app->Run(Command::Exit);  // what the bus's Quit runs
            });
            watch.start(10);
            opener.open(*h.app);  // returns once the dialog has gone
            for (int i = 0; i < 50 && !h.app->ClosingDown(); ++i) {
                QApplication::processEvents();
                QThread::msleep(10);
            }
            EXPECT_TRUE(opened);
            EXPECT_TRUE(h.app->ClosingDown());
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
            EXPECT_NE(h.StoredSettings().find("player%20position"), std::string::npos);
        }
    }
}

// With no sound device the player still starts, says so without a modal
// box, refuses Play with the reason, and plays through a device chosen in
// the preferences at once.
TEST(ApplicationStories, WithoutASoundDeviceThePlayerStartsAndTakesOneFromThePreferences) {
    AppHarness h;
    bool plugged = false;
    h.makeOutput = [&plugged](AudioEngine& e, const std::string&) -> std::unique_ptr<AudioOutput> {
        if (!plugged) return nullptr;
        return std::make_unique<test::ManualOutput>(e);
    };
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    const QString why = QString::fromStdString(h.app->Tr("NoSoundDevice"));
    EXPECT_TRUE(QString::fromStdString(h.app->SoundNote()).startsWith(why));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(test::ShownMessages().join('\n').contains(why));
    EXPECT_TRUE(h.app->PlayerWindow()->StatusText().startsWith(why));
    QToolButton* play = h.app->PlayerWindow()->Button(2);
    ASSERT_EQ(CommandForButton(2), Command::Play);
    EXPECT_FALSE(play->isEnabled());
    EXPECT_TRUE(play->toolTip().contains(why)) << play->toolTip().toStdString();
    EXPECT_FALSE(h.app->Run(Command::Play));

    // No beeps to clap to: the calibration says why and changes nothing.
    Preferences* prefs = h.Open<Preferences>(Command::Preferences);
    ASSERT_NE(prefs, nullptr);
    prefs->findChild<QPushButton*>("Calibrate")->click();
    auto* calibration = prefs->findChild<CalibrationDialog*>();
    ASSERT_NE(calibration, nullptr);
    calibration->Start_Click();
    EXPECT_TRUE(
        calibration->ResultText().contains(QString::fromStdString(h.app->Tr("CalibrateNoOutput"))));
    EXPECT_FALSE(calibration->findChild<QPushButton*>("Save")->isEnabled());
    EXPECT_EQ(h.app->Settings().VoiceLatencyMs, 0);
    calibration->close();

    plugged = true;
    prefs->OK_Click();
    EXPECT_TRUE(h.app->SoundNote().empty());
    EXPECT_TRUE(h.app->PlayerWindow()->StatusText().isEmpty());
    EXPECT_TRUE(play->isEnabled());
    EXPECT_TRUE(h.app->Run(Command::Play));
    h.app->SeekTo(2.5);  // where the tune is
    h.Advance(0.2);
    EXPECT_GT(h.RenderPeak(1024), 0.01f);
}

TEST(ApplicationStories, EveryCommandActsOrIsDisabledWithAReason) {
    AppHarness h;
    ASSERT_TRUE(h.Start(test::QPath(kTwinkle)));
    Player* player = h.app->PlayerWindow();
    const CommandRouter& router = h.app->Router();
    for (Command c : CommandRouter::AllCommands()) {
        const bool available = router.Available(c);
        if (QAction* a = player->MenuAction(c)) {
            EXPECT_EQ(a->isEnabled(), available) << static_cast<int>(c);
            EXPECT_TRUE(available || !a->toolTip().isEmpty()) << static_cast<int>(c);
        }
        if (const auto number = [&]() -> int {
                for (const auto& b : TransportButtons())
                    if (b.command == c) return b.number;
                return 0;
            }()) {
            QToolButton* b = player->Button(number);
            EXPECT_EQ(b->isEnabled(), available) << number;
            EXPECT_TRUE(available || b->toolTip().contains('\n')) << number;
        }
        EXPECT_TRUE(available || !h.app->Tr(router.UnavailableKey(c)).empty());
    }
    // Every available command runs without harm (Exit last, on its own).
    // Recording refuses what would disturb it, so it comes last.
    for (Command c : CommandRouter::AllCommands()) {
        if (c == Command::Exit || c == Command::Record || !router.Available(c)) continue;
        EXPECT_TRUE(h.app->Run(c)) << static_cast<int>(c);
        QApplication::processEvents();
    }
    EXPECT_TRUE(h.app->Run(Command::Record));
    ASSERT_FALSE(h.OpenedUrls().empty());  // Help found the guide
    EXPECT_TRUE(h.OpenedUrls().front().toLocalFile().endsWith("README.md"));
}

}  // namespace
}  // namespace cx
