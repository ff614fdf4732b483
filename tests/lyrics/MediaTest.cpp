#include <gtest/gtest.h>

#include "MediaFixtures.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/Lyrics3.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/MediaBlocks.h"
#include "lyrics/Mp3Class.h"
#include "lyrics/SongTail.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

PieceArray Example() {
    PieceArray p;
    ParseLrsTextForEditor("[12.5]Hel[12.75]lo [13.1]world\r\n[15]Good[15,6]bye", p);
    return p;
}

TEST(MediaBlocks, SavingTwiceLeavesOneBlockThenCrLfThenTheId3v1Tag) {
    test::TempDir dir;
    const auto song = dir / "song.mp3";
    const std::string tag = test::MakeId3v1("Title", "Artist", 3, 17);
    test::WriteBytes(song, test::MakeMp3(40) + tag);
    DisplayBlock look;
    look.Title = "Shown";
    std::string first, bytes;
    for (int save = 0; save < 3; ++save) {
        ASSERT_TRUE(WriteLrsIntoMedia(Example(), song, Codepage::Cp1252));
        ASSERT_TRUE(WriteDisplayBlock(look, song, Codepage::Cp1252));
        (save == 1 ? first : bytes) = test::ReadBytes(song);
    }
    EXPECT_EQ(bytes, first);  // nothing piles up
    EXPECT_EQ(test::Count(bytes, "#Cantabilex"), 1u);
    EXPECT_EQ(test::Count(bytes, "#CBXGraphs"), 1u);
    EXPECT_EQ(bytes.substr(bytes.size() - 128), tag);
    EXPECT_EQ(bytes.substr(bytes.size() - 130, 2), "\r\n");

    LyricsModel m;
    DisplayBlock read;
    ASSERT_TRUE(ReadDisplayBlock(bytes, dir.Path().string(), Codepage::Cp1252, read));
    AfterLoadContext ctx;
    ctx.Header.BlockTitle = read.Title;
    const LoadLyricsResult r = LoadLyrics(song, m, ctx, Codepage::Cp1252);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.source, LyricsSource::Lrs);
    EXPECT_EQ(m.UpperBound(), 5);
    EXPECT_EQ(m.LyricsHeader, "Shown");
}

TEST(MediaBlocks, ANonAudioFileIsRefusedAndLeftAlone) {
    test::TempDir dir;
    const auto notes = dir / "notes.mp3";
    test::WriteBytes(notes, "just some text\r\n");
    const LyricsResult r = WriteLrsIntoMedia(Example(), notes, Codepage::Cp1252);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.messageKey, std::string(kErrorAudioFileKey));
    EXPECT_FALSE(WriteDisplayBlock(DisplayBlock{}, notes, Codepage::Cp1252));
    EXPECT_EQ(test::ReadBytes(notes), "just some text\r\n");
}

TEST(LyricsLoader, SourcesAreTriedInOrder) {
    test::TempDir dir;
    const auto song = dir / "song.mp3";
    test::WriteBytes(song, test::MakeMp3(10));
    LyricsModel m;
    EXPECT_FALSE(LoadLyrics(song, m, {}, Codepage::Cp1252).ok);
    EXPECT_EQ(m.LyricsHeader, "song");

    test::WriteBytes(dir / "song.kok", "Hi;01,0000;");
    auto r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    EXPECT_EQ(r.source, LyricsSource::Kok);
    EXPECT_TRUE(m.KokTiming);

    test::WriteBytes(dir / "song.lrc", "[00:01.00]Hi\r\n");
    EXPECT_EQ(LoadLyrics(song, m, {}, Codepage::Cp1252).source, LyricsSource::Lrc);

    // A block with no lyric lines ends the search.
    test::WriteBytes(dir / "SONG.LRS", "#Cantabilex\r\n#End Cantabilex");
    r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.source, LyricsSource::LrsFile);
    EXPECT_EQ(m.UpperBound(), 0);

    // An untagged line makes the LRS source fail and the next one is used.
    test::WriteBytes(dir / "SONG.LRS", "#Cantabilex\r\nplain\r\n#End Cantabilex");
    EXPECT_EQ(LoadLyrics(song, m, {}, Codepage::Cp1252).source, LyricsSource::Lrc);

    // A damaged block stops the search.
    test::WriteBytes(dir / "SONG.LRS", "#End Cantabilex\r\n#Cantabilex\r\n[1]a");
    r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(m.UpperBound(), 0);

    EXPECT_EQ(VerifyFile(dir / "song.lrc"), song);
    EXPECT_EQ(VerifyFile(dir / "other.lrc"), dir / "other.lrc");
    EXPECT_EQ(VerifyFile(song), song);
}

TEST(Mp3Class, MeasuresWritesAndReadsTags) {
    test::TempDir dir;
    const auto song = dir / "song.mp3";
    test::WriteBytes(song, test::MakeMp3(100) + test::MakeId3v1("Old", "Band", 2, 67));
    MP3Class mp3;
    mp3.SetFilename(song.string());
    ASSERT_TRUE(mp3.ReadFile()) << mp3.Error();
    EXPECT_EQ(mp3.Info().format, "MP3");
    EXPECT_NEAR(mp3.Info().Length, 100 * 1152 / 44100.0, 0.05);
    EXPECT_EQ(mp3.Info().samplerate, 44100);
    EXPECT_EQ(mp3.Info().Title, "Old");
    mp3.ReadTag();
    EXPECT_EQ(mp3.Info().Genre1, "Psychadelic");
    EXPECT_EQ(mp3.Info().Track1, "2");
    EXPECT_NE(mp3.Info().MPEGInfo.find("MPEG 1 Layer III"), std::string::npos);
    EXPECT_NE(mp3.Info().MPEGInfo.find("Emphasis: None"), std::string::npos);

    TagValues v1{"One", "Artist1", "", "1999", "", "4", "Dance Hall"};
    TagValues v2{"Two ☺", "Artist2", "Album", "2001", "c", "5", "Rock"};
    ASSERT_EQ(mp3.SaveId3Tag(v1, v2, true, true), kSaveTagOk);
    ASSERT_TRUE(mp3.SaveLyrics("me", "Artist2", "Two", "", "", "[00:01.00]Hi\r\n[00:02.00]Yo"));
    MP3Class again;
    again.SetFilename(song.string());
    ASSERT_TRUE(again.ReadFile());
    again.ReadTag();
    EXPECT_EQ(again.Info().Title, "Two ☺");  // ID3v2 wins
    EXPECT_EQ(again.Info().Title1, "One");
    EXPECT_EQ(again.Info().Genre1, "Dance Hall");
    EXPECT_TRUE(again.Info().LyricsExist);
    EXPECT_EQ(again.Info().LyricsVersion, 2);
    EXPECT_EQ(again.Info().LyricsAuthor, "me");

    LyricsModel m;
    auto r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    EXPECT_EQ(r.source, LyricsSource::Lyrics3);
    EXPECT_EQ(m.UpperBound(), 2);
    for (const auto& [genre, name] : {std::pair{125, "Dance Hall"}, {126, ""}, {255, ""}})
        EXPECT_EQ(GenreName(genre), name) << genre;
}

TEST(Mp3Class, WavAndMidiClassification) {
    test::TempDir dir;
    test::WriteBytes(dir / "a.wav", test::MakeWav(16000));
    MP3Class wav;
    wav.SetFilename((dir / "a.wav").string());
    ASSERT_TRUE(wav.ReadFile()) << wav.Error();
    wav.ReadTag();
    EXPECT_EQ(wav.Info().format, "WAV");
    EXPECT_DOUBLE_EQ(wav.Info().Length, 2.0);
    EXPECT_NE(wav.Info().WAVInfo.find("Length: 00:02\r\nFormat: 1\r\nMode: Stereo"),
              std::string::npos);
    EXPECT_NE(wav.Info().WAVInfo.find("Header size: 44"), std::string::npos);

    // "MThd" is MIDI whatever the name says; the MIDI side tells the rest.
    test::WriteBytes(dir / "song.mp3", std::string("MThd\0\0\0\6", 8));
    MP3Class midi;
    midi.SetFilename((dir / "song.mp3").string());
    EXPECT_FALSE(midi.ReadFile());
    EXPECT_EQ(midi.Info().format, "MIDI");
    midi.SetMidiInspector([](const std::string&, MidiFacts& f) {
        f.LengthSeconds = 61;
        return true;
    });
    ASSERT_TRUE(midi.ReadFile());
    EXPECT_EQ(midi.Info().Title, "song");
}

TEST(Mp3Class, CorpusFilesReadOrFailCleanly) {
    CX_REQUIRE_CORPUS();
    for (const auto& e : std::filesystem::directory_iterator(test::CorpusDir() / "mp3")) {
        MP3Class mp3;
        mp3.SetFilename(e.path().string());
        if (!mp3.ReadFile()) {
            EXPECT_FALSE(mp3.Error().empty()) << e.path();
            continue;
        }
        mp3.ReadTag();
        LyricsModel m;
        (void)LoadLyrics(e.path(), m, {}, Codepage::Cp1252);
    }
    const std::pair<const char*, const char*> titles[] = {
        {"silence-44-s-v1.mp3", "Silence"},
        {"audacious-trailing-id32-id31.mp3", "Silence"},  // ID3v2 appended at the end
        {"id3v1v2-combined.mp3", "cosmic american"},
        {"id3v22-test.mp3", "cosmic american"},
        {"bad-TYER-frame.mp3",
         "This track has an invalid TYER frame, that used to be able to "
         "break Mutagen"},
    };
    for (const auto& [file, title] : titles) {
        MP3Class tagged;
        tagged.SetFilename((test::CorpusDir() / "mp3" / file).string());
        ASSERT_TRUE(tagged.ReadFile()) << file;
        EXPECT_EQ(tagged.Info().Title, title) << file;
    }
}

// Songs are read from their end for the blocks: a block far longer than that
// end still reads whole, and a large song's block is found from its end alone.
TEST(MediaBlocks, BlocksAreFoundAtTheEndOfLargeSongsAndALongBlockReadsWhole) {
    test::TempDir dir;
    const auto song = dir / "long.mp3";
    test::WriteBytes(song, test::MakeMp3(40) + std::string(kSongTailBytes + 4096, '\x55'));
    ASSERT_TRUE(WriteLrsIntoMedia(Example(), song, Codepage::Cp1252));
    LyricsModel m;
    LoadLyricsResult r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(m.UpperBound(), 5);

    // Lyrics longer than the end that is read: the block starts before it.
    PieceArray many;
    std::string text;
    for (int line = 0; line < 60000; ++line)
        text += "[" + std::to_string(10 + line) + "]a long line of words to sing " +
                std::to_string(line) + "\r\n";
    ParseLrsTextForEditor(text, many);
    ASSERT_GT(text.size(), kSongTailBytes);
    ASSERT_TRUE(WriteLrsIntoMedia(many, song, Codepage::Cp1252));
    r = LoadLyrics(song, m, {}, Codepage::Cp1252);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.source, LyricsSource::Lrs);
    EXPECT_GT(m.UpperBound(), 1000);
}

}  // namespace
}  // namespace cx
