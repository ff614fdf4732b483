// Real files are truncated, padded with junk and carry absurd numbers: the
// reader keeps the music and drops the rest, so that lengths stay sane.
#include <gtest/gtest.h>

#include <cstdint>

#include "SmfWriter.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"

namespace cx {
namespace {

using namespace std::string_literals;

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

// Broken chunk structure: each track keeps its events up to the damage, and
// the header's count of tracks holds when the chunks agree with it.
TEST(SmfDamage, DamagedChunksKeepTheMusicBeforeTheDamage) {
    // Downloads cut short and padded with a manifest or a web page.
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<manifest>\r\n"
        "  <file name=\"song.kar\" size=\"40960\" checksum=\"9f86d081884c7d65\"/>\r\n"
        "  <mirror>http://example.org/karaoke/song.kar</mirror>\r\n</manifest>\r\n";
    const std::string a = Melody(0).Data(), b = Melody(1).Data();  // ten events each
    const std::string b1 = TrackChunk(b);
    const std::string noEnd = Melody(1, false).Data(), aNoEnd = Melody(0, false).Data();
    const std::string tempo = TrackWriter().Tempo(0, 400000).Text(10, "one").End(5).Data();
    const std::string notes = TrackWriter().NoteOn(0, 0, 60).NoteOff(96, 0, 60).End().Data();
    const std::string unknown = "XFIH" + test::Be(2, 4) + "ab";
    const std::string before = TrackWriter().NoteOn(0, 0, 60).NoteOff(96, 0, 60).Data();
    const std::string after = TrackWriter().NoteOn(0, 0, 64).End().Data();
    const auto two = [](const std::string& chunks) { return Header(1, 2, 96) + chunks; };
    const auto withA = [&](const std::string& rest) { return two(TrackChunk(a) + rest); };
    const auto bad = [&](const std::string& junk) {
        return Header(0, 1, 96) + TrackChunk(before + junk + after);
    };
    std::string promisedFive = Header(1, 5, 96) + TrackChunk(tempo) + TrackChunk(notes);
    promisedFive.resize(promisedFive.size() - 6);
    const struct {
        const char* name;
        std::vector<std::size_t> events;  // of each track read
        std::size_t minWarnings;
        std::string bytes;
        const char* lastWarning = "";  // a word of the last warning
        bool damaged = false;          // the last track is marked so
    } cases[] = {
        // clang-format off
        {"too short: on to the next MTrk", {3, 3}, 1,
         two(TrackChunk(tempo, 4) + TrackChunk(notes))},
        {"too long: on after End-of-Track", {3, 3}, 0,
         two(TrackChunk(tempo, tempo.size() + 9) + TrackChunk(notes))},
        {"no End, into the next", {9, 10}, 1, two(TrackChunk(aNoEnd, aNoEnd.size() + 40) + b1)},
        // The note-on before the cut is never released: it would hang, so it goes.
        {"5 tracks promised, cut mid-event", {3, 0}, 2, promisedFive},
        {"no End, then an unknown chunk", {1, 2}, 0,
         two(TrackChunk(TrackWriter().Lyric(10, "a").Data()) + "XFIH" + test::Be(3, 4) +
             "\x90\x3C\x40" + TrackChunk(TrackWriter().Lyric(5, "b").End().Data()))},
        {"text after, no End", {10, 9}, 0, withA(TrackChunk(noEnd) + xml)},
        {"text inside, no End", {10, 9}, 0, withA(TrackChunk(noEnd + xml))},
        {"text inside and after, no End", {10, 9}, 0, withA(TrackChunk(noEnd + xml) + xml)},
        {"text after End", {10, 10}, 0, withA(b1 + xml)},
        {"text inside after End", {10, 10}, 0, withA(TrackChunk(b + xml))},
        {"too short, text after", {10, 7}, 0, withA(TrackChunk(noEnd, noEnd.size() - 6) + xml)},
        // Reading past the stated length needs an End-of-Track at a chunk boundary.
        {"binary junk after, no End", {10, 9}, 0, withA(TrackChunk(noEnd) + Junk(7, 64) + xml)},
        {"End past the stated length, text", {10, 7}, 0,
         withA(TrackChunk(noEnd, noEnd.size() - 6) + b.substr(noEnd.size() - 6) + xml)},
        {"a copy of the last track is not played", {10, 10}, 1, withA(unknown + b1 + b1)},
        {"a copy after a damaged chunk", {10, 10}, 1, two(TrackChunk(a, a.size() + 9) + b1 + b1),
         "ignored"},
        {"a header counting none", {10, 10}, 0, Header(1, 0, 96) + TrackChunk(a) + b1},
        {"system common byte", {2}, 1, bad("\x00\xF4\x01"s), "", true},
        {"meta type with the high bit", {2}, 1, bad("\x00\xFF\x85\x00"s), "", true},
        {"End-of-Track with a length", {2}, 1, bad("\x00\xFF\x2F\x02xy"s), "", true},
        {"tempo of two bytes", {2}, 1, bad("\x00\xFF\x51\x02\x01\x02"s), "", true},
        {"five-byte delta-time", {2}, 1, bad("\x81\x82\x83\x84\x05\x90\x3C\x40"s), "", true},
        {"data byte with the high bit", {2}, 1, bad("\x00\x90\x3C\xC0"s), "", true},
        {"data byte with no status first", {0}, 0, Header(0, 1, 96) + TrackChunk("\x00\x3C\x40"s)},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = ParseSmf(c.bytes);
        ASSERT_TRUE(r.file) << r.error;
        ASSERT_EQ(r.file->tracks.size(), c.events.size());
        for (std::size_t t = 0; t < c.events.size(); ++t)
            EXPECT_EQ(r.file->tracks[t].events.size(), c.events[t]) << "track " << t;
        EXPECT_EQ(r.file->declaredTracks, static_cast<unsigned char>(c.bytes[11]));
        EXPECT_GE(r.file->warnings.size(), c.minWarnings);
        if (*c.lastWarning) {
            ASSERT_FALSE(r.file->warnings.empty());
            EXPECT_NE(r.file->warnings.back().find(c.lastWarning), std::string::npos);
        }
        if (c.damaged) {
            EXPECT_TRUE(r.file->tracks.back().damaged);
        }
        EXPECT_LE(Length(*r.file), 2.0 + kMaxEndTailSeconds);
    }
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

}  // namespace
}  // namespace cx
