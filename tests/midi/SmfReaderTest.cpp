#include <gtest/gtest.h>

#include "SmfWriter.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"

namespace cx {
namespace {

using test::Smf;
using test::TrackWriter;

TEST(SmfReader, ReadsEventsWithRunningStatusAndAbsoluteTicks) {
    TrackWriter t;
    t.NoteOn(0, 0, 60).Msg(10, 0, 62, 90).Msg(5, 0, 64, 0).Program(3, 1, 25).Msg(2, 0, 26).End();
    const auto r = ParseSmf(Smf(0, 96, {t}));
    ASSERT_TRUE(r.file) << r.error;
    const auto& ev = r.file->tracks[0].events;
    ASSERT_EQ(ev.size(), 6u);
    EXPECT_EQ(ev[1].status, 0x90);
    EXPECT_EQ(ev[1].data1, 62);
    EXPECT_EQ(ev[1].tick, 10u);
    EXPECT_EQ(ev[2].tick, 15u);
    EXPECT_EQ(ev[4].status, 0xC1);  // running status with one data byte
    EXPECT_EQ(ev[4].data1, 26);
    EXPECT_EQ(r.file->tracks[0].endTick, 20u);
    EXPECT_TRUE(r.file->warnings.empty());
}

TEST(SmfReader, LongMetaAndSysexLengthsAreVariableLength) {
    const std::string longText(300, 'x');
    TrackWriter t;
    t.Sysex(0, std::string(200, '\x01')).Text(0, longText).Lyric(4, "la").End();
    const auto r = ParseSmf(Smf(0, 96, {t}));
    ASSERT_TRUE(r.file);
    const auto& ev = r.file->tracks[0].events;
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_EQ(ev[0].data, longText);
    EXPECT_EQ(ev[1].data, "la");
}

// The reasons are the texts the user is shown.
TEST(SmfReader, RejectsWhatIsNotMidi) {
    EXPECT_FALSE(ParseSmf("").file);
    EXPECT_FALSE(ParseSmf("MThd\0\0\0\x06\0").file);  // cut inside the header
    EXPECT_FALSE(
        ParseSmf(test::Header(0, 1, 0) + test::TrackChunk(TrackWriter().End().Data())).file);
    EXPECT_EQ(ParseSmf("RIFF....WAVEfmt ").error, kNotMidiFileMessage);
    EXPECT_EQ(ParseSmf(test::Header(1, 2, 96)).error, kTrackExpectedMessage);
    EXPECT_EQ(ParseSmf(test::Header(1, 1, 96) + "junkjunk").error, kTrackExpectedMessage);
}

TEST(SmfReader, DataAfterEndOfTrackAndTrailingBlocksAreIgnored) {
    TrackWriter t;
    t.Lyric(10, "a").End().Raw("\x05\xFF\x05\x01z");
    const std::string bytes = Smf(0, 96, {t}) + "#CBXMidi\r\nch00=1,0,100,64,0\r\n#End CBXMidi";
    const auto r = ParseSmf(bytes);
    ASSERT_TRUE(r.file);
    ASSERT_EQ(r.file->tracks.size(), 1u);
    EXPECT_EQ(r.file->tracks[0].events.size(), 2u);
    EXPECT_EQ(r.file->smfBytes, Smf(0, 96, {t}).size());
}

TEST(SmfReader, ReadsRmidWrapper) {
    const std::string smf = Smf(0, 96, {TrackWriter().Lyric(1, "x").End()});
    const std::string riff = test::Rmid(smf);
    EXPECT_TRUE(IsMidiFile(riff));
    ASSERT_TRUE(ParseSmf(riff).file);
}

TEST(TempoMap, TimesTicksWithEveryTempoChangeFromAnyTrack) {
    TrackWriter conductor, notes;
    conductor.Tempo(0, 1000000).Tempo(96, 250000).End();  // 60 bpm then 240 bpm
    notes.Tempo(192, 500000).NoteOn(0, 0, 60).End(96);    // a tempo change in another track
    const auto r = ParseSmf(Smf(1, 96, {conductor, notes}));
    ASSERT_TRUE(r.file);
    const TempoMap map = TempoMap::FromSmf(*r.file);
    ASSERT_EQ(map.Changes().size(), 3u);
    for (const auto& [tick, seconds] : {std::pair{96, 1.0}, {144, 1.125}, {192, 1.25}, {288, 1.75}})
        EXPECT_DOUBLE_EQ(map.TickToSeconds(tick), seconds) << tick;
    EXPECT_EQ(map.SecondsToTick(1.125), 144u);
    EXPECT_EQ(map.SecondsToTick(1.75), 288u);
    EXPECT_DOUBLE_EQ(SongLengthSeconds(*r.file, map), 1.75);
    EXPECT_DOUBLE_EQ(map.FirstBeatsPerMinute(), 60.0);
}

TEST(TempoMap, DefaultsTo120BpmAndSupportsSmpteDivision) {
    const auto plain = ParseSmf(Smf(0, 480, {TrackWriter().End(960)}));
    ASSERT_TRUE(plain.file);
    EXPECT_DOUBLE_EQ(TempoMap::FromSmf(*plain.file).TickToSeconds(960), 1.0);
    // 25 frames per second, 40 ticks per frame: 1000 ticks a second; tempo events do not matter.
    const int division = (0xE7 << 8) | 40;
    const auto smpte = ParseSmf(Smf(0, division, {TrackWriter().Tempo(0, 1000000).End(2500)}));
    ASSERT_TRUE(smpte.file);
    EXPECT_TRUE(smpte.file->division.smpte);
    const TempoMap map = TempoMap::FromSmf(*smpte.file);
    EXPECT_DOUBLE_EQ(map.TickToSeconds(2500), 2.5);
    EXPECT_EQ(map.SecondsToTick(2.5), 2500u);
}

}  // namespace
}  // namespace cx
