// The player logic over the real media control, rendered offline: songs end,
// the next one opens, missing files are skipped.
#include "playback/player/MediaTransport.h"

#include <gtest/gtest.h>

#include "FakeTransport.h"
#include "playback/TestSignals.h"
#include "playback/player/PlayerControl.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

constexpr int kRate = 44100;

struct Rig {
    Rig() : engine(kRate), media(engine, MediaHooks{}, MediaSettings{}, true), transport(media) {}

    std::string Song(const std::string& name, double seconds) {
        const auto path = dir / name;
        EXPECT_TRUE(test::WriteSound(path, test::StereoSine(kRate, 440, seconds, 0.3f, 0.3f), kRate,
                                     2, test::kWavFloat));
        return path.string();
    }
    void Render(double seconds) {
        std::vector<float> out(2 * 1024);
        for (double done = 0; done < seconds; done += 1024.0 / kRate)
            engine.Render(out.data(), 1024);
    }

    test::TempDir dir;
    AudioEngine engine;
    MediaControl media;
    MediaTransport transport;
    FlatListModel list;
    test::FakeHost host;
    PlayerControl control{transport, list, host};
};

TEST(MediaTransport, SongsPlayToTheirEndAndTheNextOneStarts) {
    Rig r;
    const std::string first = r.Song("first.wav", 0.5);
    const std::string second = r.Song("second.wav", 2.0);
    r.list.AddItem("First", "", first);
    r.list.AddItem("Gone", "", (r.dir / "gone.wav").string());
    r.list.AddItem("Second", "", second);

    ASSERT_TRUE(r.control.ChangeSong(0));
    EXPECT_TRUE(r.transport.IsOpen());
    EXPECT_EQ(r.transport.State(), PlayState::Playing);
    EXPECT_EQ(r.transport.CurrentPath(), first);
    EXPECT_NEAR(r.transport.Length(), 0.5, 0.01);
    EXPECT_EQ(r.transport.Labels().title, "first");

    r.Render(0.25);
    auto view = r.control.Tick();
    EXPECT_FALSE(view.ended);
    EXPECT_GT(view.progress, 0.2);

    r.Render(0.5);
    view = r.control.Tick();
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(r.transport.CurrentPath(), second) << "the missing entry is skipped";
    EXPECT_EQ(r.list.CurrentPlaying(), 2);
    EXPECT_EQ(r.transport.State(), PlayState::Playing);

    r.control.Execute(Command::Pause);
    EXPECT_EQ(r.transport.State(), PlayState::Paused);
    r.control.Execute(Command::Play);
    EXPECT_EQ(r.transport.State(), PlayState::Playing);
    r.transport.SetVolume(0.5);
    EXPECT_DOUBLE_EQ(r.media.Settings().volume, 0.5);
    r.control.Execute(Command::Stop);
    EXPECT_FALSE(r.transport.IsOpen());
    EXPECT_EQ(r.transport.CurrentPath(), "");
}

}  // namespace
}  // namespace cx
