// The rules behind the song details dialog and the program's own picture.
#include <gtest/gtest.h>

#include "KaraokeTestSupport.h"
#include "karaoke/KaraokeDisplay.h"
#include "karaoke/Pictures.h"
#include "karaoke/SongDetails.h"
#include "support/ExpectEach.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

TEST(SongDetails, ColoursEqualToTheSettingsAreStoredAsMissing) {
    KaraokeSettings s;
    s.LyricsColor = 0x112233;
    EXPECT_EQ(StoredColour(0x112233, s.LyricsColor), kColorUnset);
    EXPECT_EQ(StoredColour(0x112234, s.LyricsColor), 0x112234);
    // Black is a colour like any other, not "missing".
    EXPECT_EQ(StoredColour(0, 0x010101), 0);
    EXPECT_EQ(ShownColour(kColorUnset, 0xABCDEF), 0xABCDEFu);
    EXPECT_EQ(ShownColour(0x000102, 0xABCDEF), 0x000102u);
    s.LyricsBackColor = 0x445566;
    EXPECT_EQ(SettingColour(s, SongColour::Back), 0x445566u);
}

TEST(SongDetails, LookAndBlockRoundTripKeepsTheTitlePageFallbacks) {
    SongLook look;
    look.Artist = "Ann";
    look.Title = "Song";
    look.ForeColor = 255;
    look.Alignment = 2;
    look.Layout = -1;
    look.Schedule = {{"/a.png", 0, "", "", 5}, {"/b.png", 30, "Slide Side", "Left", 7}};
    look.TagArtist = "Tag artist";
    look.MediaPath = "/songs/x.mp3";
    DisplayBlock block = BlockFromLook(look);
    EXPECT_EQ(block.Layout, kSettingUnset);
    EXPECT_EQ(block.Alignment, 2);
    ASSERT_EQ(block.Images.size(), 3u);  // placeholder and two pictures
    // A new picture between the two, added at the end of the list.
    block.Images.push_back({"/c.png", 10, "Wipe Box", "Inside", 3});
    const SongLook back = LookFromBlock(block, look);
    ASSERT_EQ(back.Schedule.size(), 3u);
    EXPECT_EQ(back.Schedule[1].Path, "/c.png");
    EXPECT_EQ(back.Schedule[2].Effect, "Slide Side");
    EXPECT_EQ(back.ForeColor, 255);
    EXPECT_EQ(back.TagArtist, "Tag artist");
    EXPECT_EQ(back.MediaPath, "/songs/x.mp3");
}

TEST(SongDetails, PictureTimesAreMinutesAndSeconds) {
    test::ExpectEach("FormatPictureTime", FormatPictureTime,
                     {{0, "00:00"}, {-4, "00:00"}, {125, "02:05"}});
    test::ExpectEach("ParsePictureTime", ParsePictureTime,
                     {{"02:05", 125}, {"45", 45}, {"rubbish", 0}, {"-3:00", 0}});
}

TEST(SongDetails, TimelineCapacityLeavesRoomForTheSingleItems) {
    DisplayBlock b;
    EXPECT_EQ(TimelineCapacity(b), kMaxDisplayBlockLines);
    b.Artist = "a";
    b.Title = "t";
    b.ForeColor = 0;  // black counts
    b.Alignment = 1;
    EXPECT_EQ(TimelineCapacity(b), kMaxDisplayBlockLines - 4);
    // Every single item set leaves the eight pictures the reader promises.
    b.Picture = "p";
    b.HighlightColor = b.OutlineColor1 = b.OutlineColor2 = b.OutlineColor3 = b.OutlineColor4 =
        b.BackColor = 1;
    b.Layout = 0;
    EXPECT_EQ(TimelineCapacity(b), 8);
}

TEST(DefaultPicture, IsDrawnOnceAndShownUnlessNoPictureIsChosen) {
    EnsureGuiContext();
    const QImage& a = DefaultPicture();
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.size(), QSize(kDefaultPictureWidth, kDefaultPictureHeight));
    EXPECT_EQ(DefaultPicture().cacheKey(), a.cacheKey());
    // Not a plain colour: the sky is darker at the top than at the stage.
    EXPECT_LT(qGray(a.pixel(5, 5)), qGray(a.pixel(a.width() / 2, a.height() * 86 / 100)));
    EXPECT_FALSE(DecodePicture(kDefaultPicturePath).isNull());
    EXPECT_TRUE(DecodePicture(kNoPicturePath).isNull());

    // The karaoke display shows it unless no picture is chosen.
    KaraokeDisplay d;
    KaraokeSettings s = test::TestSettings();
    s.LyricsPicPath = kDefaultPicturePath;
    s.LyricsBackColor = 0x000000;
    d.SetSettings(s);
    d.SetWindow(320, 240, true);
    const QImage withPicture = d.Frame();
    s.LyricsPicPath = kNoPicturePath;
    d.SetSettings(s);
    d.SetBackground();
    const QImage plain = d.Frame();
    EXPECT_EQ(plain.pixel(100, 5), qRgb(0, 0, 0));
    EXPECT_NE(withPicture.pixel(100, 5), qRgb(0, 0, 0));
}

TEST(ChangeLook, ColoursPictureAndTimelineFollowAtOnce) {
    test::TempDir dir;
    const std::string redPath = (dir / "red.png").string();
    ASSERT_TRUE(test::Solid(16, 16, Qt::red).save(QString::fromStdString(redPath)));
    KaraokeDisplay d;
    KaraokeSettings s = test::TestSettings();
    s.LyricsPicPath = kNoPicturePath;
    d.SetSettings(s);
    d.SetWindow(200, 150, true);
    LyricsModel model = test::MakeModel({{{"la ", 1.0}, {"la", 2.0}}});
    d.ChangeLyrics(&model, SongLook{});
    EXPECT_FALSE(d.TimelinePictureShown());

    SongLook look;
    look.BackColor = 0x00FF00;  // green as 0x00BBGGRR
    d.ChangeLook(look);
    EXPECT_EQ(d.Frame().pixel(2, 2), qRgb(0, 255, 0));
    // A picture at 0 s is on show at once, without a transition.
    look.Schedule = {{redPath, 0, "Slide Side", "Left", 5}};
    d.ChangeLook(look);
    EXPECT_TRUE(d.TimelinePictureShown());
    EXPECT_FALSE(d.TransitionRunning());
    EXPECT_EQ(d.Frame().pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(d.Look().Schedule.size(), 1u);
}

}  // namespace
}  // namespace cx
