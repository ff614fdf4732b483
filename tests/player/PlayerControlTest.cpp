#include "playback/player/PlayerControl.h"

#include <gtest/gtest.h>

#include "FakeTransport.h"

namespace cx {
namespace {

// A control over a fake transport and a list of songs named by their numbers.
struct Rig {
    void Fill(int count, std::initializer_list<int> missing = {}) {
        test::FillSongs(list, transport, count, "03:00");
        for (int m : missing) transport.openable.erase(list.ListPath(m));
    }
    void TypeAndWait(const std::string& digits) {
        for (char d : digits) control.TypeDigit(d - '0');
        for (int i = 0; i < 20 && control.NumberTimerRunning(); ++i) control.NumberTick();
    }

    test::FakeTransport transport;
    test::FakeHost host;
    FlatListModel list;
    PlayerControl control{transport, list, host};
};

class PlayerControlTest : public ::testing::Test, protected Rig {};

TEST_F(PlayerControlTest, TypedNumbersChooseTheEntryAfterTheTimer) {
    Fill(15);
    control.TypeDigit(1);
    control.TypeDigit(2);
    for (int i = 0; i < kTypedNumberTicks; ++i) control.NumberTick();
    EXPECT_TRUE(transport.opened.empty()) << "nothing happens before 1.1 s";
    control.NumberTick();
    EXPECT_FALSE(control.NumberTimerRunning());
    ASSERT_EQ(transport.opened.size(), 1u);
    EXPECT_EQ(transport.CurrentPath(), "/songs/12.mp3");
    EXPECT_EQ(list.CurrentPlaying(), 11);
    EXPECT_EQ(control.TypedNumber(), "");

    control.TypeDigit(0);
    EXPECT_FALSE(control.NumberTimerRunning()) << "a number never starts with 0";
    TypeAndWait("16");
    EXPECT_EQ(transport.opened.size(), 1u) << "above the count does nothing";
    TypeAndWait("15");
    EXPECT_EQ(transport.CurrentPath(), "/songs/15.mp3") << "the count selects the last";
    TypeAndWait("99999999999");
    EXPECT_EQ(transport.CurrentPath(), "/songs/15.mp3") << "overlong numbers are harmless";
}

TEST_F(PlayerControlTest, DigitKeysFeedTheNumberButNotWithCtrl) {
    Fill(3);
    EXPECT_TRUE(control.HandleKey('2', 0));
    EXPECT_TRUE(control.NumberTimerRunning());
    EXPECT_FALSE(control.HandleKey('3', kModCtrl) && control.TypedNumber() != "2");
    EXPECT_EQ(control.TypedNumber(), "2");
}

TEST_F(PlayerControlTest, EndOfSongFollowsAutoPlay) {
    Fill(3);
    control.ChangeSong(0);
    transport.position = 90;
    auto view = control.Tick();
    EXPECT_DOUBLE_EQ(view.progress, 0.5);
    EXPECT_EQ(view.timeText, "01:30");
    control.Execute(Command::ToggleTimeMode);
    EXPECT_EQ(control.Tick().timeText, "-01:30");
    transport.position = 100.4;
    EXPECT_EQ(control.Tick().timeText, "-01:19") << "remaining time";

    transport.position = 180;
    EXPECT_TRUE(control.Tick().ended);
    EXPECT_EQ(transport.CurrentPath(), "/songs/2.mp3") << "AutoPlay moves on";

    host.autoPlay = false;
    transport.atEnd = true;  // the MIDI player's own end report
    EXPECT_TRUE(control.Tick().ended);
    EXPECT_FALSE(transport.IsOpen()) << "without AutoPlay the song stops";
    EXPECT_EQ(transport.opened.size(), 2u) << "and the next one is not opened";
}

TEST_F(PlayerControlTest, TheOnlySongStopsAtItsEndAndUnknownLengthNeverEnds) {
    Fill(1);
    control.ChangeSong(0);
    transport.length = 0;
    transport.position = 50;
    EXPECT_FALSE(control.Tick().ended);
    transport.length = 40;
    EXPECT_TRUE(control.Tick().ended);
    EXPECT_FALSE(transport.IsOpen());
    EXPECT_EQ(transport.opened.size(), 1u);
}

TEST_F(PlayerControlTest, ButtonsBlockedWhileRecordingDoNothing) {
    Fill(3);
    control.ChangeSong(0);
    host.recording = true;
    for (int b : {1, 5, 6, 7, 8, 11, 14}) EXPECT_FALSE(control.FireButton(b)) << b;
    EXPECT_EQ(transport.CurrentPath(), "/songs/1.mp3");
    EXPECT_TRUE(host.ran.empty());
    EXPECT_FALSE(control.Muted());
    EXPECT_FALSE(control.HandleKey('B', 0) && transport.CurrentPath() != "/songs/1.mp3");
    EXPECT_EQ(transport.State(), PlayState::Playing);
    control.Execute(Command::Pause);
    EXPECT_EQ(transport.State(), PlayState::Playing) << "pausing would cut the recording";
    EXPECT_STREQ(control.RefusalKey(Command::Options).c_str(), kRefusedWhileRecording);
    EXPECT_TRUE(control.RefusalKey(Command::Stop).empty());

    EXPECT_TRUE(control.FireButton(12));
    EXPECT_TRUE(control.FireButton(10));
    EXPECT_EQ(host.ran, (std::vector<Command>{Command::Record, Command::UserList}));
    host.recording = false;
    host.editorOpen = true;
    EXPECT_FALSE(control.FireButton(8)) << "no open dialog while the editor is open";
    EXPECT_STREQ(control.RefusalKey(Command::FileOpen).c_str(), kRefusedWhileEditing);
    EXPECT_STREQ(control.RefusalKey(Command::VocalCut).c_str(), kRefusedWithoutStereo);
    EXPECT_FALSE(control.FireButton(99));
}

TEST_F(PlayerControlTest, PlayStartsTheChosenEntryWhenNothingIsOpen) {
    Fill(3);
    control.Execute(Command::Play);
    EXPECT_EQ(transport.CurrentPath(), "/songs/1.mp3");
    control.Execute(Command::Stop);
    list.SelectOnly(2);
    control.HandleKey('X', 0);
    EXPECT_EQ(transport.CurrentPath(), "/songs/3.mp3");
    control.HandleKey('C', 0);
    EXPECT_EQ(transport.State(), PlayState::Paused);
    transport.position = 200;
    EXPECT_FALSE(control.Tick().ended) << "a paused song does not end";
    control.Execute(Command::Play);
    EXPECT_EQ(transport.State(), PlayState::Playing);
}

TEST_F(PlayerControlTest, AddAndPlayAppendsMarksAndPlays) {
    Fill(2);
    transport.openable.insert("/new.mp3");
    EXPECT_TRUE(control.AddAndPlay("/new.mp3", "New", "01:00"));
    EXPECT_EQ(list.ListCount(), 3);
    EXPECT_EQ(list.CurrentPlaying(), 2);
    EXPECT_EQ(transport.State(), PlayState::Playing);
    EXPECT_FALSE(control.AddAndPlay("/absent.mp3", "x", ""));
    EXPECT_EQ(list.ListCount(), 3);
    EXPECT_EQ(host.failed, std::vector<std::string>{"/absent.mp3"});
}

// Next (N) and Previous (P) skip missing files, wrap around, and go on from the marked entry.
TEST(PlayerControlMoves, NextAndPreviousFindTheNeighbourThatOpens) {
    const struct {
        const char* name;
        int count;
        std::initializer_list<int> missing;
        int start;  // the entry playing first, or -1
        bool stop;  // then stopped
        const char* moves;
        int index;         // the entry marked afterwards
        const char* path;  // what plays, or "" for nothing
        std::size_t opens;
    } cases[] = {
        {"next skips missing", 4, {1, 2}, 0, false, "N", 3, "/songs/4.mp3", 2},
        {"previous skips missing", 4, {1, 2}, 0, false, "NP", 0, "/songs/1.mp3", 3},
        {"next wraps", 3, {}, 2, false, "N", 0, "/songs/1.mp3", 2},
        {"previous wraps", 3, {}, 2, false, "NP", 2, "/songs/3.mp3", 3},
        {"every entry missing", 3, {0, 1, 2}, -1, false, "N", -1, "", 0},
        {"after stop from the marked entry", 3, {}, 1, true, "N", 2, "/songs/3.mp3", 2},
        {"the one open entry restarts", 1, {}, 0, false, "N", 0, "/songs/1.mp3", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.Fill(c.count, c.missing);
        if (c.start >= 0) r.control.ChangeSong(c.start);
        if (c.stop) r.control.Execute(Command::Stop);
        r.transport.position = 42;
        for (const char* m = c.moves; *m; ++m) *m == 'N' ? r.control.Next() : r.control.Previous();
        EXPECT_EQ(r.control.CurrentListIndex(), c.index);
        EXPECT_EQ(r.transport.CurrentPath(), c.path);
        EXPECT_EQ(r.transport.opened.size(), c.opens);
        EXPECT_TRUE(!*c.path ||
                    (r.list.CurrentPlaying() == c.index &&
                     r.transport.State() == PlayState::Playing && r.transport.position == 0));
        EXPECT_TRUE(r.host.failed.empty()) << "walking the list reports nothing";
    }
    Rig empty;
    empty.control.Next();
    EXPECT_FALSE(empty.transport.IsOpen());
}

}  // namespace
}  // namespace cx
