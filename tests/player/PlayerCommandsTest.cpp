#include "playback/player/PlayerCommands.h"

#include <gtest/gtest.h>

#include "playback/player/FitText.h"
#include "playback/player/PlayerPosition.h"

namespace cx {
namespace {

TEST(PlayerCommands, KeysMapWithTheirModifiers) {
    const struct {
        char key;
        int mods;
        std::optional<Command> command;
    } keys[] = {{'Z', 0, Command::Previous},
                {'B', kModShift, Command::Next},
                {'O', kModCtrl, Command::FileOpen},
                {'C', kModAlt, Command::Controls},
                {'C', 0, Command::Pause},
                {'3', kModAlt, Command::FileInfo},
                {'T', kModCtrl, Command::ToggleTimeMode},
                {'O', 0, {}},
                {'Z', kModCtrl | kModAlt, {}}};
    for (const auto& k : keys) EXPECT_EQ(CommandForKey(k.key, k.mods), k.command) << k.key;
}

TEST(PlayerCommands, MenuCaptionsCarryTheirShortcut) {
    EXPECT_EQ(SetMenu("Open", "Ctrl+O"), "Open\tCtrl+O");
    EXPECT_EQ(SetMenu("Exit", ""), "Exit");
    ASSERT_EQ(TransportButtons().size(), 15u);
    EXPECT_STREQ(TransportButtons()[9].tooltipKey, "UserList");
    EXPECT_EQ(DefaultCaption("UserList"), "Playlist");
    EXPECT_EQ(DefaultCaption("NoSuchKey"), "NoSuchKey");
}

TEST(PlayerPosition, FiveFieldsLeaveTheMidiWindowHidden) {
    auto p = ParsePlayerPosition("100,200,300,80,1");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->left, 100);
    EXPECT_TRUE(p->playlistShown);
    EXPECT_FALSE(p->midiShown);
    p = ParsePlayerPosition("1,2,3,4,0,1");
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->playlistShown);
    EXPECT_TRUE(p->midiShown);
    EXPECT_EQ(FormatPlayerPosition(*p), "1,2,3,4,0,1");
    EXPECT_EQ(ParsePlayerPosition("1.7,2,3,4,1,0")->left, 1);
    for (const char* bad : {"", "1,2,3,4", "a,b,c,d,e", "1,2,3,4,1,1,1", "1,,3,4,1"})
        EXPECT_FALSE(ParsePlayerPosition(bad)) << bad;
    // The kept volume: whole numbers, clamped; anything else changes nothing.
    EXPECT_EQ(ParsePlayerVolume("37"), 37);
    EXPECT_EQ(ParsePlayerVolume("250"), 100);
    for (const char* bad : {"", "loud", "1,2"}) EXPECT_FALSE(ParsePlayerVolume(bad)) << bad;
    EXPECT_FALSE(ParseWindowRect("1,2,0,4"));
    EXPECT_EQ(FormatWindowRect(*ParseWindowRect("-5,2,30,40")), "-5,2,30,40");
}

TEST(FitText, LongTextsEndInDotsWithoutSplittingCharacters) {
    const auto width = [](const std::string& s) { return static_cast<int>(s.size()); };
    EXPECT_EQ(FitText("short", 10, width), "short");
    EXPECT_EQ(FitText("a longer title", 10, width), "a longe...");
    // "ż" is two bytes: it goes whole.
    EXPECT_EQ(FitText("abżcdef", 6, width), "ab...");
    EXPECT_EQ(FitText("abc", 1, width), "...");
    // A scrolling title turns by whole characters and comes round again.
    const std::string loop = std::string("żab") + kScrollGap;
    EXPECT_EQ(ScrolledText("żab", 0), loop + "żab");
    EXPECT_EQ(ScrolledText("żab", 1), loop.substr(2) + "ż" + "żab");
    EXPECT_EQ(ScrolledText("żab", 3 + std::string(kScrollGap).size()), loop + "żab");
    EXPECT_EQ(ScrolledText("", 5), "");
}

}  // namespace
}  // namespace cx
