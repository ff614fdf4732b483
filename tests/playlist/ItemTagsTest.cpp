// Playlist entries read their text and length the way the player reads songs.
#include "playlist/gui/ItemTags.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include "lyrics/MediaFixtures.h"
#include "midi/SmfWriter.h"
#include "playlist/gui/TagFiller.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

// A KAR-style song: title and artist in "@T" texts, 2:05 long at 120 beats per minute.
std::string KarSong(const std::string& title) {
    test::TrackWriter tempo;
    tempo.Tempo(0, 500000).End(0);
    test::TrackWriter words;
    words.Text(0, "@KMIDI KARAOKE FILE").Text(0, "@T" + title).Text(0, "@TSomeone");
    for (int beat = 0; beat < 250; ++beat) words.NoteOn(0, 0, 60).NoteOff(480, 0, 60);  // 0.5 s each
    words.End(0);
    return test::Smf(1, 480, {tempo, words});
}

TEST(ItemTags, MidiEntriesGetTitleAndLengthFromTheMidiReader) {
    test::TempDir dir;
    test::WriteBytes(dir / "song.kar", KarSong("my song"));
    auto tags = ReadItemTags((dir / "song.kar").string(), Codepage::Cp1252);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->text, "Someone - My Song");
    EXPECT_EQ(tags->time, "02:05");

    // A MIDI file named as such, without a title: its length alone.
    test::TrackWriter plain;
    plain.Tempo(0, 1000000).NoteOn(0, 0, 60).NoteOff(96 * 30, 0, 60).End(0);  // 30 s
    test::WriteBytes(dir / "plain.mid", test::Smf(0, 96, {plain}));
    tags = ReadItemTags((dir / "plain.mid").string(), Codepage::Cp1252);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->time, "00:30");

    // The title's 8-bit text follows the code page.
    test::WriteBytes(dir / "pl.kar", KarSong("\xBF\xF3\xB3w"));
    tags = ReadItemTags((dir / "pl.kar").string(), Codepage::Cp1250);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->text, "Someone - \xC5\xBB\xC3\xB3\xC5\x82w");
}

TEST(ItemTags, Mp3WithoutTitleStillGetsItsLength) {
    test::TempDir dir;
    // 383 frames of 1152 samples at 44100 Hz: ten seconds.
    test::WriteBytes(dir / "untitled.mp3", test::MakeMp3(383));
    auto tags = ReadItemTags((dir / "untitled.mp3").string(), Codepage::Cp1252);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->text, "") << "the item keeps its own text";
    EXPECT_EQ(tags->time, "00:10");

    test::WriteBytes(dir / "titled.mp3",
                     test::MakeMp3(383) + test::MakeId3v1("Tune", "Band", 1, 0));
    tags = ReadItemTags((dir / "titled.mp3").string(), Codepage::Cp1252);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->text, "Band - Tune");

    test::WriteBytes(dir / "notes.mp3", "not audio at all");
    EXPECT_FALSE(ReadItemTags((dir / "notes.mp3").string(), Codepage::Cp1252));
}

TEST(ItemTags, FillerKeepsTheTextWhenOnlyTheLengthIsKnown) {
    test::TempDir dir;
    test::WriteBytes(dir / "untitled.mp3", test::MakeMp3(383));
    test::WriteBytes(dir / "song.kar", KarSong("tune"));
    FlatListModel model;
    const auto a = model.AddItem("untitled", "", (dir / "untitled.mp3").string());
    const auto b = model.AddItem("song", "", (dir / "song.kar").string());
    TagFiller filler(model, {});
    filler.Request(a, model.ListPath(0));
    filler.Request(b, model.ListPath(1));
    filler.WaitForDone();
    EXPECT_EQ(model.ListString(0), "untitled");
    EXPECT_EQ(model.ListTime(0), "00:10");
    EXPECT_EQ(model.ListString(1), "Someone - Tune");
    EXPECT_EQ(model.ListTime(1), "02:05");
}

}  // namespace
}  // namespace cx
