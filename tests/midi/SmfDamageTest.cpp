// Real files are truncated, padded with junk and carry absurd numbers: the
// reader keeps the music and drops the rest, so that lengths stay sane.
#include <gtest/gtest.h>

#include <cstdint>

#include "SmfWriter.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"

namespace cx {
namespace {

using test::Header;
using test::Junk;
using test::Smf;
using test::TrackChunk;
using test::TrackWriter;

// Two seconds of quarter notes at 120 bpm, division 96.
TrackWriter Melody(int channel, bool end = true) {
    TrackWriter t;
    t.Program(0, channel, 0);
    for (int i = 0; i < 4; ++i) t.NoteOn(0, channel, 60 + i).NoteOff(96, channel, 60 + i);
    if (end) t.End();
    return t;
}

double Length(const SmfFile& f) {
    return SongLengthSeconds(f, TempoMap::FromSmf(f));
}

std::uint64_t LastNoteTick(const SmfFile& f) {
    std::uint64_t last = 0;
    for (const auto& t : f.tracks)
        for (const auto& e : t.events)
            if (e.Kind() == 0x90 && e.data2 > 0) last = std::max(last, e.tick);
    return last;
}

TEST(SmfDamage, ChunkShorterThanItsHeaderSays) {
    // No End-of-Track, and a stated length that reaches into the next track.
    const std::string a = Melody(0, false).Data();
    const std::string b = Melody(1).Data();
    const auto r = ParseSmf(Header(1, 2, 96) + TrackChunk(a, a.size() + 40) + TrackChunk(b));
    ASSERT_TRUE(r.file) << r.error;
    ASSERT_EQ(r.file->tracks.size(), 2u);
    EXPECT_EQ(r.file->tracks[0].events.size(), 9u);  // program and four notes
    EXPECT_EQ(r.file->tracks[1].events.size(), 10u);
    EXPECT_NEAR(Length(*r.file), 2.0, 1e-9);
    EXPECT_FALSE(r.file->warnings.empty());
}

TEST(SmfDamage, TruncatedLastTrackPaddedWithJunkEndsWithTheMusic) {
    const std::string whole = Smf(1, 96, {Melody(0), Melody(1)});
    // The last track loses its End-of-Track; junk follows. Each seed is a
    // different junk; none may add notes or length after the music.
    for (std::uint32_t seed = 1; seed <= 64; ++seed) {
        const std::string bytes = whole.substr(0, whole.size() - 4) + Junk(seed, 4096);
        const auto r = ParseSmf(bytes);
        ASSERT_TRUE(r.file) << seed;
        ASSERT_GE(r.file->tracks.size(), 2u) << seed;
        EXPECT_LE(Length(*r.file), 2.0 + kMaxEndTailSeconds) << "seed " << seed;
        EXPECT_LT(TempoMap::FromSmf(*r.file).TickToSeconds(LastNoteTick(*r.file)), 2.0)
            << "seed " << seed;
        EXPECT_FALSE(r.file->warnings.empty()) << seed;
    }
}

TEST(SmfDamage, TextOverTheLastTrackEndsIt) {
    // Downloads cut short and padded with a manifest or a web page.
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<manifest>\r\n"
        "  <file name=\"song.kar\" size=\"40960\" checksum=\"9f86d081884c7d65\"/>\r\n"
        "  <mirror>http://example.org/karaoke/song.kar</mirror>\r\n</manifest>\r\n";
    const std::string a = Melody(0).Data();
    const std::string noEnd = Melody(1, false).Data(), withEnd = Melody(1).Data();
    const struct {
        const char* name;
        std::string lastChunk;
        std::size_t events;  // of the last track
    } cases[] = {
        {"after, no End-of-Track", TrackChunk(noEnd) + xml, 9},
        {"inside, no End-of-Track", TrackChunk(noEnd + xml), 9},
        {"inside and after, no End-of-Track", TrackChunk(noEnd + xml) + xml, 9},
        {"after End-of-Track", TrackChunk(withEnd) + xml, 10},
        {"inside after End-of-Track", TrackChunk(withEnd + xml), 10},
        {"stated too short, text after", TrackChunk(noEnd, noEnd.size() - 6) + xml, 7},
        // Reading past the stated length needs an End-of-Track at a chunk boundary.
        {"binary junk after, no End-of-Track", TrackChunk(noEnd) + Junk(7, 64) + xml, 9},
        {"End-of-Track past the stated length, then text",
         TrackChunk(noEnd, noEnd.size() - 6) + withEnd.substr(noEnd.size() - 6) + xml, 7},
    };
    for (const auto& c : cases) {
        const auto r = ParseSmf(Header(1, 2, 96) + TrackChunk(a) + c.lastChunk);
        ASSERT_TRUE(r.file) << c.name;
        ASSERT_EQ(r.file->tracks.size(), 2u) << c.name;
        EXPECT_EQ(r.file->tracks[1].events.size(), c.events) << c.name;
        EXPECT_LE(Length(*r.file), 2.0 + kMaxEndTailSeconds) << c.name;
    }
}

TEST(SmfDamage, JunkAfterAnAbsurdDeltaIsDropped) {
    // A note hours later, then bytes that cannot be events.
    TrackWriter t = Melody(0, false);
    t.Raw(test::Vlq(0x0FFFFFFF) + "\x90\x40\x40" + "\xF4\x01\x02");
    const auto r = ParseSmf(Header(0, 1, 96) + TrackChunk(t.Data(), t.Data().size() + 100));
    ASSERT_TRUE(r.file);
    EXPECT_TRUE(r.file->tracks[0].damaged);
    EXPECT_EQ(r.file->tracks[0].events.size(), 9u);
    EXPECT_NEAR(Length(*r.file), 2.0, 1e-9);
}

TEST(SmfDamage, HugeDeltaIsCappedInEveryTrackAtOnce) {
    TrackWriter conductor, notes, words;
    conductor.Tempo(0, 500000).End();
    notes = Melody(0, false);
    notes.NoteOn(0x0FFFFFFF, 0, 70).NoteOff(96, 0, 70).End();
    words.Lyric(384, "before").Lyric(0x0FFFFFFF, "after").End();
    const auto r = ParseSmf(Smf(1, 96, {conductor, notes, words}));
    ASSERT_TRUE(r.file);
    const TempoMap map = TempoMap::FromSmf(*r.file);
    // 2 s of music, the silence shortened to the cap, then the last note.
    EXPECT_NEAR(Length(*r.file), 2.0 + kMaxSilentGapSeconds + 0.5, 0.02);
    // The lyric after the same silence stays with its note.
    const auto& w = r.file->tracks[2].events;
    EXPECT_EQ(w[1].data, "after");
    EXPECT_EQ(w[1].tick, r.file->tracks[1].events[9].tick);
    EXPECT_EQ(w[1].delta, w[1].tick - w[0].tick);
    EXPECT_NEAR(map.TickToSeconds(w[1].tick), 2.0 + kMaxSilentGapSeconds, 0.02);
    ASSERT_FALSE(r.file->warnings.empty());
    EXPECT_NE(r.file->warnings.back().find("silence"), std::string::npos);
}

TEST(SmfDamage, FarEndOfTrackDoesNotMakeALongSong) {
    TrackWriter t = Melody(0, false);
    t.End(0x0FFFFFFF);
    const auto r = ParseSmf(Smf(0, 96, {t}));
    ASSERT_TRUE(r.file);
    EXPECT_LE(Length(*r.file), 2.0 + kMaxEndTailSeconds);
    EXPECT_GE(Length(*r.file), 2.0);
}

TEST(SmfDamage, HeaderTrackCountHoldsWhenTheChunksAgree) {
    const std::string a = Melody(0).Data(), b = Melody(1).Data();
    const std::string unknown = "XFIH" + test::Be(2, 4) + "ab";
    {  // a copy of the last track after the counted ones is not played
        const auto r =
            ParseSmf(Header(1, 2, 96) + TrackChunk(a) + unknown + TrackChunk(b) + TrackChunk(b));
        ASSERT_TRUE(r.file);
        EXPECT_EQ(r.file->tracks.size(), 2u);
        EXPECT_FALSE(r.file->warnings.empty());
    }
    {  // also after a damaged chunk: the copy would double a channel
        const auto r = ParseSmf(Header(1, 2, 96) + TrackChunk(a, a.size() + 9) + TrackChunk(b) +
                                TrackChunk(b));
        ASSERT_TRUE(r.file);
        EXPECT_EQ(r.file->tracks.size(), 2u);
        EXPECT_NE(r.file->warnings.back().find("ignored"), std::string::npos);
    }
    {  // a header that counts none reads what is there
        const auto r = ParseSmf(Header(1, 0, 96) + TrackChunk(a) + TrackChunk(b));
        ASSERT_TRUE(r.file);
        EXPECT_EQ(r.file->tracks.size(), 2u);
    }
}

TEST(SmfDamage, BytesThatCannotBeEventsStopTheTrack) {
    const std::string before = TrackWriter().NoteOn(0, 0, 60).NoteOff(96, 0, 60).Data();
    const std::string bad[] = {
        std::string("\x00\xF4\x01", 3),                      // system common byte
        std::string("\x00\xFF\x85\x00", 4),                  // meta type with the high bit
        std::string("\x00\xFF\x2F\x02xy", 6),                // End-of-Track with a length
        std::string("\x00\xFF\x51\x02\x01\x02", 6),          // tempo of two bytes
        std::string("\x81\x82\x83\x84\x05\x90\x3C\x40", 8),  // five-byte delta-time
        std::string("\x00\x90\x3C\xC0", 4),                  // data byte with the high bit
    };
    for (const auto& junk : bad) {
        const std::string data = before + junk + TrackWriter().NoteOn(0, 0, 64).End().Data();
        const auto r = ParseSmf(Header(0, 1, 96) + TrackChunk(data));
        ASSERT_TRUE(r.file);
        EXPECT_EQ(r.file->tracks[0].events.size(), 2u) << testing::PrintToString(junk);
        EXPECT_TRUE(r.file->tracks[0].damaged);
        EXPECT_FALSE(r.file->warnings.empty());
    }
    // A data byte with no status at the very start of a track.
    const auto r = ParseSmf(Header(0, 1, 96) + TrackChunk(std::string("\x00\x3C\x40", 3)));
    ASSERT_TRUE(r.file);
    EXPECT_TRUE(r.file->tracks[0].events.empty());
}

}  // namespace
}  // namespace cx
