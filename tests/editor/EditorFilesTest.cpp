// The editor's file commands on real files: size limits, saving into the
// song and loading it back, exports read back, imports; and cbx edit.
#include <gtest/gtest.h>

#include "../lyrics/MediaFixtures.h"
#include "../midi/SmfWriter.h"
#include "editor/EditorFiles.h"
#include "lyrics/DisplayBlock.h"
#include "lyrics/KokFormat.h"
#include "lyrics/LrcFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/MediaBlocks.h"
#include "support/CbxRunner.h"
#include "support/Pieces.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

namespace fs = std::filesystem;
using test::Cbx;
using test::Quote;

// Two lines with times at millisecond precision.
EditorDocument TimedDocument() {
    EditorDocument doc;
    doc.Split("Hello big world\r\nGood bye");
    const double times[] = {0, 12.5, 12.75, 13.104, 15.0, 15.6};
    for (int row = 1; row <= doc.Count(); ++row) doc.SetTime(row, times[row]);
    return doc;
}

void ExpectSamePieces(const PieceArray& got, const PieceArray& want, double precision) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 1; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].PieceText, want[i].PieceText);
        EXPECT_EQ(got[i].LineText, want[i].LineText);
        // The last piece of the song carries no break once read back.
        if (i + 1 < want.size()) {
            EXPECT_EQ(got[i].LineBreak, want[i].LineBreak);
        }
        EXPECT_NEAR(got[i].StartTime, want[i].StartTime, precision);
    }
}

// An .lrs file of exactly `bytes` bytes: a valid block padded with comment lines.
void WriteLrsOfSize(const fs::path& path, std::size_t bytes) {
    std::string text = "#Cantabilex\r\n[1]La\r\n";
    const std::string end = "#End Cantabilex";
    while (bytes - text.size() - end.size() > 100) text += "#" + std::string(77, 'x') + "\r\n";
    text += "#" + std::string(bytes - text.size() - end.size() - 3, 'x') + "\r\n";
    text += end;
    ASSERT_EQ(text.size(), bytes);
    test::WriteBytes(path, text);
}

TEST(EditorFiles, OpeningLyricsStopsAt301ThousandBytesAndFindsTheSongBeside) {
    test::TempDir dir;
    WriteLrsOfSize(dir / "small.lrs", 300999);
    WriteLrsOfSize(dir / "big.lrs", 301000);
    EditorDocument doc;
    doc.Split("keep me");
    const EditorFileResult big = OpenLyricsFile(doc, dir / "big.lrs", Codepage::Cp1252);
    EXPECT_FALSE(big.ok);
    EXPECT_EQ(big.messageKey, "ErrorFilesize");
    EXPECT_EQ(doc.Piece(1).PieceText, "keep ");  // the previous pieces stay

    const EditorFileResult small = OpenLyricsFile(doc, dir / "small.lrs", Codepage::Cp1252);
    ASSERT_TRUE(small.ok) << small.detail;
    ASSERT_EQ(doc.Count(), 1);
    EXPECT_EQ(doc.Piece(1).PieceText, "La");
    // No song beside it: the lyrics belong to the .lrs itself.
    EXPECT_EQ(doc.MediaFile(), (dir / "small.lrs").string());
    // With a song beside them, they are the song's.
    test::WriteBytes(dir / "small.mp3", test::MakeMp3(4));
    ASSERT_TRUE(OpenLyricsFile(doc, dir / "small.lrs", Codepage::Cp1252).ok);
    EXPECT_EQ(doc.MediaFile(), (dir / "small.mp3").string());
}

TEST(EditorFiles, TextFilesStopAt501ThousandBytesAndRoundTrip) {
    test::TempDir dir;
    test::WriteBytes(dir / "big.txt", std::string(501000, 'a'));
    EXPECT_EQ(OpenTextFile(dir / "big.txt", Codepage::Cp1252).result.messageKey, "ErrorFilesize");
    ASSERT_TRUE(SaveTextFile(dir / "t.txt", "Zażółć\r\n", Codepage::Cp1250).ok);
    EXPECT_EQ(test::ReadBytes(dir / "t.txt").size(), 8u);  // one byte a letter in 1250
    const TextOpen back = OpenTextFile(dir / "t.txt", Codepage::Cp1250);
    ASSERT_TRUE(back.result.ok);
    EXPECT_EQ(back.text, "Zażółć\r\n");
}

TEST(EditorFiles, SavedIntoTheSongOrAsLrsTheLyricsLoadBackTheSame) {
    test::TempDir dir;
    const fs::path song = dir / "song.mp3";
    const std::string tag = test::MakeId3v1("Title", "Artist", 1, 2);
    test::WriteBytes(song, test::MakeMp3(20) + tag);
    EditorDocument doc = TimedDocument();
    doc.SetMediaFile(song.string());
    // Twice: the second save replaces the first block.
    ASSERT_TRUE(SaveIntoMedia(doc, Codepage::Cp1252).ok);
    ASSERT_TRUE(SaveIntoMedia(doc, Codepage::Cp1252).ok);

    const std::string bytes = test::ReadBytes(song);
    EXPECT_EQ(bytes.substr(bytes.size() - 128), tag);  // the tag stays last
    LyricsModel model;
    const LoadLyricsResult loaded = LoadLyrics(song, model, {}, Codepage::Cp1252);
    ASSERT_TRUE(loaded.ok) << loaded.reason;
    EXPECT_EQ(loaded.source, LyricsSource::Lrs);
    ExpectSamePieces(model.Lyrics, doc.Pieces(), 1e-9);

    EditorDocument reopened;
    ASSERT_TRUE(ImportLyrics(reopened, song, Codepage::Cp1252).ok);
    ExpectSamePieces(reopened.Pieces(), doc.Pieces(), 1e-9);

    // Save as adds the extension; the file opens back the same.
    const EditorFileResult r = SaveLyricsAs(doc, dir / "mine", Codepage::Cp1252);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.detail, (dir / "mine.lrs").string());
    ASSERT_TRUE(OpenLyricsFile(reopened, dir / "mine.lrs", Codepage::Cp1252).ok);
    ExpectSamePieces(reopened.Pieces(), doc.Pieces(), 1e-9);
}

TEST(EditorFiles, SavingNeedsPiecesAndAnAudioFile) {
    test::TempDir dir;
    EditorDocument empty;
    empty.SetMediaFile((dir / "x.mp3").string());
    EXPECT_EQ(SaveIntoMedia(empty, Codepage::Cp1252).messageKey, "MsgSave");
    EXPECT_EQ(ExportKok(empty, dir / "x.kok", Codepage::Cp1252).messageKey, "MsgSave");

    const fs::path text = dir / "notes.txt";
    test::WriteBytes(text, "just some words, not a song");
    EditorDocument doc = TimedDocument();
    doc.SetMediaFile(text.string());
    const EditorFileResult r = SaveIntoMedia(doc, Codepage::Cp1252);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messageKey, "ErrorAudioFile");
    EXPECT_EQ(test::ReadBytes(text), "just some words, not a song");
}

TEST(EditorFiles, ExportedLrcAndKokImportBackToTheSamePieces) {
    test::TempDir dir;
    EditorDocument doc = TimedDocument();
    ASSERT_TRUE(ExportLrc(doc, dir / "x.lrc", LrcFlavour::Extended, Codepage::Cp1252).ok);
    ASSERT_TRUE(ExportKok(doc, dir / "x.kok", Codepage::Cp1252).ok);

    EditorDocument lrc;
    ASSERT_TRUE(ImportLyrics(lrc, dir / "x.lrc", Codepage::Cp1252).ok);
    ExpectSamePieces(lrc.Pieces(), doc.Pieces(), 0.01);  // hundredths, cut
    EXPECT_DOUBLE_EQ(lrc.Piece(3).StartTime, 13.10);

    EditorDocument kok;
    ASSERT_TRUE(ImportLyrics(kok, dir / "x.kok", Codepage::Cp1252).ok);
    ExpectSamePieces(kok.Pieces(), doc.Pieces(), 1e-9);  // four decimals hold milliseconds

    // The plain flavour keeps one time a line.
    ASSERT_TRUE(ExportLrc(doc, dir / "p.lrc", LrcFlavour::Plain, Codepage::Cp1252).ok);
    EXPECT_EQ(test::ReadBytes(dir / "p.lrc"), "[00:12]Hello big world\r\n[00:15]Good bye\r\n");
}

TEST(EditorFiles, ImportKeepsTheOldPiecesWhenNothingIsRead) {
    test::TempDir dir;
    test::WriteBytes(dir / "meta.lrc", "[ar:Someone]\r\n[ti:Something]\r\n");
    test::WriteBytes(dir / "plain.mp3", test::MakeMp3(4));
    EditorDocument doc = TimedDocument();
    EXPECT_FALSE(ImportLyrics(doc, dir / "meta.lrc", Codepage::Cp1252).ok);
    EXPECT_FALSE(ImportLyrics(doc, dir / "plain.mp3", Codepage::Cp1252).ok);
    EXPECT_EQ(doc.Count(), 5);
}

TEST(EditorFiles, ImportTakesTheDisplayBlockAlongAndSaveCarriesIt) {
    test::TempDir dir;
    const fs::path from = dir / "from.mp3", to = dir / "to.mp3";
    for (const fs::path& p : {from, to}) test::WriteBytes(p, test::MakeMp3(4));
    EditorDocument source = TimedDocument();
    source.SetMediaFile(from.string());
    ASSERT_TRUE(SaveIntoMedia(source, Codepage::Cp1252).ok);
    DisplayBlock look;
    look.Title = "Night Song";
    ASSERT_TRUE(WriteDisplayBlock(look, from, Codepage::Cp1252).ok);

    EditorDocument doc;
    ASSERT_TRUE(ImportLyrics(doc, from, Codepage::Cp1252).ok);
    ASSERT_TRUE(doc.ImportedLook().has_value());
    EXPECT_EQ(doc.ImportedLook()->Title, "Night Song");
    doc.SetMediaFile(to.string());
    ASSERT_TRUE(SaveIntoMedia(doc, Codepage::Cp1252).ok);
    DisplayBlock read;
    ASSERT_TRUE(ReadDisplayBlock(test::ReadBytes(to), dir.Path().string(), Codepage::Cp1252, read));
    EXPECT_EQ(read.Title, "Night Song");
    LyricsModel model;
    ASSERT_TRUE(LoadLyrics(to, model, {}, Codepage::Cp1252).ok);
    EXPECT_EQ(model.UpperBound(), 5);
}

TEST(EditorFiles, AKarWithoutABlockGivesItsLyricEvents) {
    test::TempDir dir;
    test::TrackWriter t;
    // One second a quarter, 96 ticks a quarter.
    t.Tempo(0, 1000000).Lyric(96, "Hel").Lyric(96, "lo\r").Lyric(96, "bye").End();
    test::WriteBytes(dir / "song.kar", test::Smf(0, 96, {t}));
    EditorDocument doc;
    const EditorFileResult r = ImportLyrics(doc, dir / "song.kar", Codepage::Cp1252);
    ASSERT_TRUE(r.ok) << r.detail;
    EXPECT_EQ(test::PieceTexts(doc.Pieces()), "Hel|lo/bye|");
    EXPECT_NEAR(doc.Piece(3).StartTime, 3.0 - 0.15, 1e-9);
    // The same bytes named .mp3 are not read as MIDI.
    std::filesystem::copy_file(dir / "song.kar", dir / "song.mp3");
    EXPECT_FALSE(ImportLyrics(doc, dir / "song.mp3", Codepage::Cp1252).ok);
    EXPECT_EQ(doc.Count(), 3);
}

// cbx edit: plain words and a tap file in, timed lyrics out, as a user with
// any tapping tool would run it.
TEST(CbxEdit, TapsTimeTheWordsAndTheRestAreListedUntimed) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    test::WriteBytes(dir / "words.txt", "Hello big world\nGood bye\n");
    // Taps as the capture key reads them; a comment and a blank line are skipped.
    test::WriteBytes(dir / "taps.txt", "# my taps\n10.25\n\n11\n11.5\n14.25\n");

    auto edit = [&](const char* out, const std::string& more = "") {
        return Cbx("edit " + Quote(dir / "words.txt") + " --taps " + Quote(dir / "taps.txt") +
                   " -o " + Quote(dir / out) + more);
    };
    const test::CbxRun lrs = edit("out.lrs");
    ASSERT_EQ(lrs.code, 0);
    EXPECT_NE(lrs.out.find("5 pieces, 4 timed"), std::string::npos) << lrs.out;
    EXPECT_NE(lrs.out.find("untimed 5: bye"), std::string::npos) << lrs.out;
    PieceArray pieces;
    ASSERT_TRUE(ParseLrsTextForEditor(test::ReadBytes(dir / "out.lrs"), pieces).ok);
    // 0.25 s of reaction taken off each tap.
    EXPECT_EQ(test::StartTimes(pieces), (std::vector<double>{10.0, 10.75, 11.25, 14.0, 0}));
    EXPECT_EQ(pieces[4].PieceText, "Good ");

    const test::CbxRun kok = edit("out.kok", " --json");
    ASSERT_EQ(kok.code, 0);
    EXPECT_NE(kok.out.find("\"untimed\":[{\"piece\":5,\"text\":\"bye\"}]"), std::string::npos)
        << kok.out;
    PieceArray fromKok;
    ASSERT_TRUE(ParseKokText(test::ReadBytes(dir / "out.kok"), fromKok).ok);
    EXPECT_DOUBLE_EQ(fromKok[3].StartTime, 11.25);

    ASSERT_EQ(edit("out.lrc").code, 0);
    EXPECT_EQ(test::ReadBytes(dir / "out.lrc").substr(0, 38),
              "[00:10.00]Hello <00:10.75>big <00:11.2");
}

TEST(CbxEdit, WrongUsageAndBadTapsAreRefused) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    test::WriteBytes(dir / "words.txt", "La la\n");
    test::WriteBytes(dir / "bad.txt", "1.0\nsoon\n");
    EXPECT_EQ(Cbx("edit " + Quote(dir / "words.txt")).code, 2);
    auto edit = [&](const char* out) {
        return Cbx("edit " + Quote(dir / "words.txt") + " --taps " + Quote(dir / "bad.txt") +
                   " -o " + Quote(dir / out))
            .code;
    };
    EXPECT_EQ(edit("x.txt"), 2);
    EXPECT_EQ(edit("x.lrs"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.lrs"));
    EXPECT_EQ(Cbx("edit --help").code, 0);
}

}  // namespace
}  // namespace cx
