#include "lyrics/DisplayBlock.h"

#include <gtest/gtest.h>

namespace cx {

TEST(DisplayBlock, ItemsImagesAndPicturePaths) {
    DisplayBlock b;
    ParseDisplayBlock(
        "#CBXGraphs\r\n#TITLE=Song\r\n#PICTURE=back.jpg\r\n#FORE COLOR=255\r\n"
        "#ALIGNMENT=2\r\n#LAYOUT=65535\r\n#BACK COLOR=abc\r\n#UNKNOWN=1\r\n"
        "#IMAGE=C:\\pics\\a.jpg%45%Slide Side%5%Left\r\n#IMAGE=/abs/b.png%0\r\n"
        "#IMAGE=sub\\c.jpg%-3%Poker%3\r\n\r\n#End CBXGraphs",
        "/music", b);
    EXPECT_EQ(b.Title, "Song");
    EXPECT_EQ(b.Artist, "");
    EXPECT_EQ(b.Picture, "/music/back.jpg");
    EXPECT_EQ(b.ForeColor, 255);
    EXPECT_EQ(b.HighlightColor, kColorUnset);
    EXPECT_EQ(b.Alignment, 2);
    EXPECT_EQ(b.Layout, kSettingUnset);
    EXPECT_EQ(b.BackColor, 0);  // not a number reads as 0
    ASSERT_EQ(b.Images.size(), 4u);
    EXPECT_EQ(b.Images[1].Path, "C:\\pics\\a.jpg");  // drive paths stay as they are
    EXPECT_EQ(b.Images[1].Effect, "Slide Side");
    EXPECT_EQ(b.Images[1].Speed, 5);
    EXPECT_EQ(b.Images[1].EffectDetail, "Left");
    EXPECT_EQ(b.Images[2].Effect, "");
    EXPECT_EQ(b.Images[3].Path, "/music/sub/c.jpg");
    EXPECT_EQ(b.Images[3].Effect, "Poker");
    EXPECT_EQ(b.Images[3].Speed, 3);
    EXPECT_EQ(b.Images[3].EffectDetail, "");
    // Schedule: times below 1 go to 0, equal times keep their order.
    ASSERT_EQ(b.Schedule.size(), 4u);
    EXPECT_EQ(b.Schedule[1].Index, 2);
    EXPECT_EQ(b.Schedule[2].Index, 3);
    EXPECT_EQ(b.Schedule[2].Time, 0);
    EXPECT_EQ(b.Schedule[3].Index, 1);
    EXPECT_EQ(b.Schedule[3].Time, 45);
}

TEST(DisplayBlock, LastBlockWinsAndOnlyTwentyLinesAreRead) {
    std::string block = "#CBXGraphs\r\n";
    for (int i = 0; i < 25; ++i)
        block += "#IMAGE=p" + std::to_string(i) + ".jpg%" + std::to_string(i) + "\r\n";
    block += "\r\n#End CBXGraphs\r\n";
    const std::string file =
        "audio#CBXGraphs\r\n#TITLE=Old\r\n\r\n#End CBXGraphs\r\n" + block + "TAG";
    DisplayBlock b;
    ASSERT_TRUE(ReadDisplayBlock(file, "/m", Codepage::Cp1252, b));
    EXPECT_EQ(b.Title, "");
    EXPECT_EQ(b.Images.size(), 21u);

    // Without the end marker and its CR LF the block is ignored as a whole.
    EXPECT_FALSE(
        ReadDisplayBlock("#CBXGraphs\r\n#TITLE=x\r\n#End CBXGraphs", "", Codepage::Cp1252, b));
    EXPECT_EQ(b.Title, "");
    EXPECT_FALSE(ReadDisplayBlock("#End CBXGraphs\r\n#CBXGraphs\r\n", "", Codepage::Cp1252, b));
}

TEST(DisplayBlock, WriterRoundTrips) {
    DisplayBlock b;
    b.Artist = "Band";
    b.Title = "Song\r\nX";
    b.OutlineColor3 = -16777216;
    b.Alignment = 1;
    b.Images.push_back({"/p/a.jpg", 45, "Slide Side", "Left", 5});
    b.Images.push_back({"/p/b.jpg", 3, "", "", 0});
    const std::string text = BuildDisplayBlockText(b);
    EXPECT_NE(text.find("#IMAGE=/p/a.jpg%45%Slide Side%5%Left\r\n#IMAGE=/p/b.jpg%3\r\n\r\n"
                        "#End CBXGraphs"),
              std::string::npos);
    EXPECT_EQ(text.find("LAYOUT"), std::string::npos);
    DisplayBlock back;
    ASSERT_TRUE(ReadDisplayBlock(text + "\r\n", "/elsewhere", Codepage::Cp1252, back));
    EXPECT_EQ(back.Title, "Song  X");
    EXPECT_EQ(back.OutlineColor3, -16777216);
    EXPECT_EQ(back.Alignment, 1);
    ASSERT_EQ(back.Images.size(), 3u);
    EXPECT_EQ(back.Images[1].EffectDetail, "Left");
    EXPECT_EQ(back.Schedule[1].Index, 2);
}

}  // namespace cx
