#include "midi/MidiSongReport.h"

#include <gtest/gtest.h>

#include <map>

#include "TwoChannelKar.h"
#include "midi/MidiSettingsBlock.h"

namespace cx {
namespace {

std::map<std::string, std::string> RowsOf(const std::string& bytes, bool wordsLoaded = false) {
    const auto r = DescribeMidiSong(bytes, Codepage::Cp1252, wordsLoaded);
    EXPECT_TRUE(r.report) << r.error;
    std::map<std::string, std::string> rows;
    if (r.report)
        for (const auto& [caption, value] : ReportRowsOf(*r.report)) rows[caption] += value;
    return rows;
}

TEST(MidiSongReport, TellsLayoutTimingTitleWordsAndChannelsOfAKarSong) {
    // A settings block at the end changes nothing.
    MidiSettings settings;
    settings.Channels[0].Instrument = 48;
    auto rows = RowsOf(WithSettingsBlock(test::TwoChannelKar(), settings));
    EXPECT_EQ(rows["Format"], "1 (tracks played together)");
    EXPECT_EQ(rows["Tracks"], "4");
    EXPECT_EQ(rows["Division"], "96 ticks per quarter note");
    EXPECT_EQ(rows["Tempo map"], "0:00 120.00 bpm");
    EXPECT_EQ(rows["Length"], "0:03");
    EXPECT_EQ(rows["Title"], "Test Song");
    EXPECT_EQ(rows["Artist"], "Tester");
    EXPECT_EQ(rows["Lyrics"], "words track");
    EXPECT_EQ(rows["Channel 1"], "Acoustic Grand (program 1), 1 note");
    EXPECT_EQ(rows["Channel 4"], "Flute (program 74), 1 note");
    EXPECT_EQ(rows.count("Channel 2"), 0u);
    EXPECT_EQ(rows.count("Repaired"), 0u);
}

TEST(MidiSongReport, LyricEventsTempoChangesPercussionAndTheConverter) {
    test::TrackWriter t;
    t.Tempo(0, 500000).Lyric(0, "La ").NoteOn(0, 9, 36).NoteOff(96, 9, 36);
    t.Tempo(0, 1000000).Lyric(96, "la").End(0);
    auto rows = RowsOf(test::Smf(0, 96, {t}));
    EXPECT_EQ(rows["Format"], "0 (one track)");
    EXPECT_EQ(rows["Tempo map"], "0:00 120.00 bpm; 0:01 60.00 bpm");
    EXPECT_EQ(rows["Lyrics"], "lyric events");
    EXPECT_EQ(rows["Channel 10"], "percussion, 1 note");

    // No words in the file, yet the player holds some: the converter made them.
    test::TrackWriter plain;
    plain.NoteOn(0, 0, 60).NoteOff(96, 0, 60).End(0);
    EXPECT_EQ(RowsOf(test::Smf(0, 96, {plain}), true)["Lyrics"], "converter");
    EXPECT_EQ(RowsOf(test::Smf(0, 96, {plain}), false)["Lyrics"], "none");
}

TEST(MidiSongReport, NotAMidiFileGivesAReason) {
    const auto r = DescribeMidiSong("RIFF....WAVEfmt ", Codepage::Cp1252, false);
    EXPECT_FALSE(r.report);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(MinutesSeconds(125.4), "2:05");
}

}  // namespace
}  // namespace cx
