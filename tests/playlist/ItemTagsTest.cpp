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
    for (int beat = 0; beat < 250; ++beat)
        words.NoteOn(0, 0, 60).NoteOff(480, 0, 60);  // 0.5 s each
    words.End(0);
    return test::Smf(1, 480, {tempo, words});
}

// A MIDI file named as such, without a title, 30 s long.
std::string PlainMidi() {
    test::TrackWriter plain;
    plain.Tempo(0, 1000000).NoteOn(0, 0, 60).NoteOff(96 * 30, 0, 60).End(0);
    return test::Smf(0, 96, {plain});
}

// MIDI titles and lengths come from the MIDI reader, MP3 ones from the MP3
// tags and frames (383 frames of 1152 samples at 44100 Hz: ten seconds); 8-bit
// titles follow the code page.
TEST(ItemTags, EntriesGetTheTextAndLengthThePlayerReads) {
    struct Case {
        const char* file;
        std::string bytes;
        const char* text;  // empty: the item keeps its own text
        const char* time;  // nullptr: nothing found
    };
    const Case cases[] = {
        {"song.kar", KarSong("my song"), "Someone - My Song", "02:05"},
        {"plain.mid", PlainMidi(), "plain", "00:30"},
        {"pl.kar", KarSong("\xBF\xF3\xB3w"), "Someone - \xC5\xBB\xC3\xB3\xC5\x82w", "02:05"},
        {"untitled.mp3", test::MakeMp3(383), "", "00:10"},
        {"titled.mp3", test::MakeMp3(383) + test::MakeId3v1("Tune", "Band", 1, 0), "Band - Tune",
         "00:10"},
        {"notes.mp3", "not audio at all", "", nullptr},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        test::WriteBytes(dir / c.file, c.bytes);
        const auto tags = ReadItemTags((dir / c.file).string(), Codepage::Cp1250);
        ASSERT_EQ(tags.has_value(), c.time != nullptr);
        if (!tags) continue;
        EXPECT_EQ(tags->text, c.text);
        EXPECT_EQ(tags->time, c.time);
    }

    // The list's filler keeps an entry's text when only the length is known.
    FlatListModel model;
    const auto a = model.AddItem("untitled", "", (dir / "untitled.mp3").string());
    const auto b = model.AddItem("song", "", (dir / "song.kar").string());
    TagFiller filler(model, {});
    filler.Request(a, model.ListPath(0));
    filler.Request(b, model.ListPath(1));
    filler.WaitForDone();
    EXPECT_EQ(model.ListString(0), "untitled");
    EXPECT_EQ(model.ListTime(0), "00:10");
    EXPECT_EQ(model.ListString(1), "Someone - My Song");
    EXPECT_EQ(model.ListTime(1), "02:05");
}

}  // namespace
}  // namespace cx
