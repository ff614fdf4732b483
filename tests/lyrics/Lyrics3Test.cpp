#include "lyrics/Lyrics3.h"

#include <gtest/gtest.h>

#include "MediaFixtures.h"
#include "lyrics/Id3v1.h"

namespace cx {

TEST(Lyrics3, WrittenBlockReadsBackBeforeTheId3v1Tag) {
    const std::string tag = test::MakeId3v1("T", "A", 1, 0);
    std::string error;
    const std::string block =
        BuildLyrics3Block({"me", "Band", "Song", "", "", "[00:01.00]Hi"}, error);
    ASSERT_FALSE(block.empty()) << error;
    EXPECT_EQ(block.substr(block.size() - 9), "LYRICS200");
    const std::string file = ReplaceLyrics3(test::MakeMp3(2) + tag, block);
    EXPECT_EQ(file.substr(file.size() - 128), tag);
    Lyrics3Block b = ReadLyrics3(file);
    ASSERT_TRUE(b.Exists);
    EXPECT_EQ(b.Version, 2);
    EXPECT_EQ(b.Lyrics, "[00:01.00]Hi");
    EXPECT_EQ(b.Artist, "Band");
    EXPECT_EQ(b.Indications, "110");
    EXPECT_EQ(b.Offset + b.Size, file.size() - 128);

    // Replacing keeps one block; an empty block removes it.
    const std::string again = ReplaceLyrics3(file, block);
    EXPECT_EQ(again, file);
    EXPECT_EQ(ReplaceLyrics3(file, ""), test::MakeMp3(2) + tag);

    Lyrics3Fields huge;
    huge.Lyrics.assign(kLyrics3MaxField + 1, 'x');
    EXPECT_TRUE(BuildLyrics3Block(huge, error).empty());
    EXPECT_FALSE(error.empty());
}

TEST(Lyrics3, DamagedBlocksAndTheOldForm) {
    // A size pointing before the file, a size with a letter, a field running past the end.
    EXPECT_FALSE(ReadLyrics3("LYRICSBEGIN999999LYRICS200").Exists);
    EXPECT_FALSE(ReadLyrics3("xxLYRICSBEGIN00001xLYRICS200").Exists);
    const std::string body = "LYRICSBEGINLYR99999abc";
    Lyrics3Block b = ReadLyrics3(body + "0000" + std::to_string(body.size()) + "LYRICS200");
    EXPECT_TRUE(b.Exists);
    EXPECT_EQ(b.Lyrics, "");

    b = ReadLyrics3("audioLYRICSBEGIN[00:01.00]Hi\r\nLYRICSEND" + test::MakeId3v1("", "", 0, 0));
    ASSERT_TRUE(b.Exists);
    EXPECT_EQ(b.Version, 1);
    EXPECT_EQ(b.Lyrics, "[00:01.00]Hi\r\n");
}

TEST(Id3v1, ParseBuildAndPadding) {
    Id3v1Values v;
    ASSERT_TRUE(ParseId3v1(test::MakeId3v1("Title  ", "Artist", 7, 17), v));
    EXPECT_EQ(v.Title, "Title");
    EXPECT_EQ(v.Track, 7);
    EXPECT_EQ(GenreName(v.Genre), "Rock");
    EXPECT_FALSE(ParseId3v1("TAG", v));

    Id3v1Values w{"A title that is longer than thirty bytes", "B", "C", "2001", "comment", 3, 67};
    const std::string tag = BuildId3v1(w);
    ASSERT_EQ(tag.size(), 128u);
    Id3v1Values back;
    ASSERT_TRUE(ParseId3v1(tag, back));
    EXPECT_EQ(back.Title, "A title that is longer than th");
    EXPECT_EQ(back.Year, "2001");
    EXPECT_EQ(back.Track, 3);
    EXPECT_EQ(back.Genre, GenreNumber("psychadelic"));
    EXPECT_EQ(CutSp("ab  \0\0"), "ab");
    EXPECT_EQ(GenreNumber("Not a genre"), 255);
}

}  // namespace cx
