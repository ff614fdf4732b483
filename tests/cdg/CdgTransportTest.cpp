#include <gtest/gtest.h>

#include "CdgTestPackets.h"
#include "cdg/CdgTransport.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using namespace cx::test;

TEST(CdgTransport, FindsTheGraphicsBesideTheAudio) {
    TempDir dir;
    for (const auto& [name, bytes] :
         {std::pair{"a.mp3", "x"}, {"b.mp3", "x"}, {"b.cdg", ""}, {"c.ogg", "x"}})
        WriteBytes(dir / name, bytes);
    WriteBytes(dir / "a.cdg", std::string(24, '\0'));
    EXPECT_EQ(CdgPathBeside((dir / "a.mp3").string()), (dir / "a.cdg").string());
    EXPECT_EQ(CdgPathBeside((dir / "b.mp3").string()), "");  // an empty .cdg does not count
    EXPECT_EQ(CdgPathBeside((dir / "c.ogg").string()), "");
    EXPECT_EQ(CdgPathBeside((dir / "a.cdg").string()), "");
}

// Audio that only records what it was asked and where it stands.
struct FakeAudio {
    std::vector<std::string> calls;
    double position = 0;
    CdgAudio Hooks() {
        return {[this] { calls.push_back("play"); }, [this] { calls.push_back("pause"); },
                [this] { calls.push_back("stop"); },
                [this](double s) {
                    calls.push_back("seek");
                    position = s;
                },
                [] { return 10.0; }};
    }
};

TEST(CdgTransport, MovesAudioAndGraphicsTogether) {
    TempDir dir;
    std::vector<RawPacket> packets(3000, Empty());
    packets[100] = BorderPreset(2);
    packets[1600] = Tile(1, 1, 0, 3, 0x3F);
    WriteBytes(dir / "s.mp3", "x");
    WriteCdg(dir / "s.cdg", packets);

    CdgPlayer player;
    FakeAudio audio;
    CdgTransport transport(player, audio.Hooks());
    std::string error;
    ASSERT_TRUE(transport.OpenBeside((dir / "s.mp3").string(), error)) << error;
    EXPECT_TRUE(transport.CdgMode());
    EXPECT_STREQ(player.getState(), "stop");  // opening never starts the song

    transport.PlaySong();
    EXPECT_STREQ(player.getState(), "play");
    player.Tick(2.0);
    transport.PauseSong();
    transport.PauseSong();  // a second pause asks nothing more
    EXPECT_EQ(player.CurrentPacket(), 601u);

    transport.Seek(0.5);  // 5.0 s: the next graphics packet is at 5.333 s
    EXPECT_NEAR(audio.position, 5.0, 1e-9);
    EXPECT_EQ(player.CurrentPacket(), 1501u);
    EXPECT_EQ(player.Screen().Pixel(6, 12), 0);
    transport.Seek(0.54);
    EXPECT_EQ(player.Screen().Pixel(6, 12), 3);
    EXPECT_STREQ(player.getState(), "pause");  // seeking keeps the state

    transport.StopSong();
    EXPECT_FALSE(transport.CdgMode());
    EXPECT_EQ(player.CurrentPacket(), 0u);
    EXPECT_EQ(audio.calls, (std::vector<std::string>{"play", "pause", "seek", "seek", "stop"}));

    EXPECT_FALSE(transport.OpenBeside((dir / "none.mp3").string(), error));
    EXPECT_FALSE(transport.CdgMode());
}

}  // namespace
}  // namespace cx
