// Sing-along song files as found in the wild: read into pieces, lines and
// the notes to sing, with bad lines skipped and named.
#include <gtest/gtest.h>

#include <cstdio>

#include "lyrics/LyricsLoader.h"
#include "lyrics/UltraStar.h"
#include "playlist/FolderScan.h"
#include "playlist/SongFiles.h"
#include "support/CbxRunner.h"
#include "support/ExpectEach.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

// "text@seconds" per piece, '|' between pieces of a line, '/' after a line.
std::string PiecesOf(const PieceArray& pieces) {
    std::string out;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        char time[32];
        std::snprintf(time, sizeof time, "@%.3f", pieces[i].StartTime);
        out += pieces[i].PieceText + time + (pieces[i].LineBreak ? "/" : "|");
    }
    return out;
}

// "pitch kind singer.line.piece" per note, in start order.
std::string NotesOf(const SungNotes& notes) {
    std::string out;
    for (const SungNote& n : notes.Notes) {
        out += std::to_string(n.Pitch) + "NGFRg"[static_cast<int>(n.Kind)] +
               std::to_string(n.Singer) + "." + std::to_string(n.Line) + "." +
               std::to_string(n.Piece) + " ";
    }
    return out;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + ";";
    return out;
}

struct Case {
    const char* name;
    std::string bytes;
    std::string pieces;  // or the reason when the read must fail
    std::string notes;   // empty: not checked
    std::string warnings = {};
};

const std::string kHead = "#TITLE:T\n#ARTIST:A\n#MP3:a.mp3\n#BPM:300\n#GAP:1000\n";

TEST(UltraStarRead, SongsAsWrittenBecomePiecesLinesAndNotes) {
    const Case cases[] = {
        {"plain song", kHead + ": 0 4 5 Hel\n: 4 4 7 lo \n- 8\n: 10 2 0  world\nE\n",
         "Hel@1.000|lo@1.200/world@1.500/", "65N0.0.1 67N0.0.2 60N0.1.3 "},
        {"comma tempo and gap", "#TITLE:T\n#BPM:150,5\n#GAP:500,5\n: 10 1 0 a\nE\n", "a@1.497/",
         ""},
        {"relative beats restart after each phrase end",
         "#TITLE:T\n#RELATIVE:yes\n#BPM:60\n#GAP:0\n: 0 2 0 a\n- 4 8\n: 0 2 0 b\n- 2 4\n: 1 1 0 "
         "c\nE",
         "a@0.000/b@2.000/c@3.250/", ""},
        {"two-number phrase end without relative mode",
         kHead + ": 0 1 0 a\n- 10 12\n: 12 1 0 b\nE\n", "a@1.000/b@1.600/", ""},
        {"note kinds", kHead + ": 0 1 0 a \n* 2 1 0 b \nF 4 1 0 c \nR 6 1 0 d \nG 8 1 -2 e\nE",
         "a @1.000|b @1.100|c @1.200|d @1.300|e@1.400/",
         "60N0.0.1 60G0.0.2 60F0.0.3 60R0.0.4 58g0.0.5 "},
        {"held syllables light the piece they continue",
         kHead + ": 0 1 0 Oh\n: 1 1 2 ~\n: 2 1 0  yes\nE", "Oh@1.000| yes@1.100/",
         "60N0.0.1 62N0.0.1 60N0.0.2 "},
        {"bad lines are skipped and named", kHead + ": x 1 0 a\n: 0 1 0 b\nhello\n: 1 -1 0 c\nE",
         "b@1.000/", "60N0.0.1 ",
         "line 6: a note needs a start beat, a length and a pitch;line 8: not a header, note or "
         "phrase end;line 9: a note of negative length;"},
        {"no end line", kHead + ": 0 1 0 a\n- 2\n: 3 1 0 b", "a@1.000/b@1.150/", ""},
        {"CR LF and a byte-order mark",
         "\xEF\xBB\xBF#TITLE:T\r\n#BPM:300\r\n#GAP:0\r\n: 0 1 0 \xC3\xA9t\xC3\xA9\r\nE\r\n",
         "\xC3\xA9t\xC3\xA9@0.000/", ""},
        {"legacy code page detected", "#TITLE:T\n#BPM:300\n#GAP:0\n: 0 1 0 Tr\xE4nen f\xFCr\nE\n",
         "Tr\xC3\xA4nen f\xC3\xBCr@0.000/", ""},
        {"code page named by the file", "#ENCODING:CP1250\n#TITLE:T\n#BPM:300\n: 0 1 0 \xB9\xEA\nE",
         "\xC4\x85\xC4\x99@0.000/", ""},
        {"duet voices that take turns are interleaved",
         kHead + "P1\n: 0 4 0 one\n- 5\n: 16 4 0 three\nP2\n: 8 4 2 two\nP3\n: 24 1 4 all\nE",
         "one@1.000/two@1.400/three@1.800/all@2.200/",
         "60N1.0.1 62N2.1.2 60N1.2.3 64N1.3.4 64N2.3.4 "},
        {"overlapping duet voices show the first singer's lines",
         kHead + "P1\n: 0 4 0 one\n- 5\n: 8 4 0 two\nP2\n: 2 4 2 over\nE", "one@1.000/two@1.400/",
         "60N1.0.1 62N2.0.0 60N1.1.2 "},
        {"a duet only the second singer sings", kHead + "P2\n: 0 4 0 one\n- 4\n: 2 4 0 two\nE",
         "one@1.000/two@1.100/", "60N2.0.1 60N2.1.2 "},
        {"no tempo", "#TITLE:T\n: 0 1 0 a\nE", "no usable #BPM header: the notes cannot be timed",
         ""},
        {"zero tempo", "#TITLE:T\n#BPM:0\n: 0 1 0 a\nE",
         "no usable #BPM header: the notes cannot be timed", ""},
        {"no notes", kHead + "- 3\nE\n", "the song has no notes", ""},
        {"notes beyond any song", kHead + ": 9999999 1 0 a\nE", "the song has no notes", "",
         "line 6: note beyond the length of any song;"},
        {"notes after the end line are not read", kHead + ": 0 1 0 a\nE\n: 5 1 0 b\n", "a@1.000/",
         ""},
    };
    for (const Case& c : cases) {
        const UltraStarRead r = ReadUltraStar(c.bytes, Codepage::Cp1252);
        EXPECT_EQ(r.ok ? PiecesOf(r.song.Pieces) : r.reason, c.pieces) << c.name;
        if (!c.notes.empty()) {
            EXPECT_EQ(NotesOf(r.song.Notes), c.notes) << c.name;
        }
        EXPECT_EQ(Joined(r.song.Warnings), c.warnings) << c.name;
    }
}

TEST(UltraStarRead, HeadersAreKeptInOrderWithTheirMeaning) {
    const UltraStarRead r = ReadUltraStar(
        "#VERSION:1.1.0\n#TITLE:Song\n#ARTIST:Band\n#MP3:old.mp3\n#AUDIO:new.ogg\n#VIDEO:v.mp4\n"
        "#COVER:c.jpg\n#BACKGROUND:b.jpg\n#BPM:200\n#GAP:1500\n#START:2,5\n#END:40000\n"
        "#VIDEOGAP:0.5\n#P1:Ann\n#DUETSINGERP2:Bob\n#ODDFIELD:x:y\n#BPM:two\n: 0 1 0 a\nE\n",
        Codepage::Cp1252);
    ASSERT_TRUE(r.ok) << r.reason;
    const UltraStarSong& s = r.song;
    EXPECT_EQ(s.Title + s.Artist + s.Audio + s.Video + s.Cover + s.Background + s.Version,
              "SongBandnew.oggv.mp4c.jpgb.jpg1.1.0");
    EXPECT_EQ(s.Singer1 + s.Singer2, "AnnBob");
    EXPECT_DOUBLE_EQ(s.Bpm, 200);
    EXPECT_DOUBLE_EQ(s.GapSeconds, 1.5);
    EXPECT_DOUBLE_EQ(s.StartSeconds, 2.5);
    EXPECT_DOUBLE_EQ(s.EndSeconds, 40);
    EXPECT_DOUBLE_EQ(s.VideoGapSeconds, 0.5);
    ASSERT_EQ(s.Headers.size(), 17u);
    EXPECT_EQ(s.Headers[15].Key + "=" + s.Headers[15].Value, "ODDFIELD=x:y");
    EXPECT_EQ(Joined(s.Warnings), "line 17: #BPM is not a number;");
    EXPECT_DOUBLE_EQ(UltraStarBeatSeconds(s.GapSeconds, s.Bpm, 100), 1.5 + 100 * 60 / 800.0);
}

TEST(UltraStarRead, OnlySongFilesLookLikeSongs) {
    test::ExpectEach("LooksLikeUltraStar", &LooksLikeUltraStar,
                     {{"#TITLE:a\n#BPM:120\n", true},
                      {"\xEF\xBB\xBF#ARTIST:x\r\n#BPM:99,5\r\n: 0 1 0 a\r\n", true},
                      {"#BPM:120\n: 0 1 0 a\n", true},
                      {"#TITLE:a\n", false},
                      {"#TITLE:a\n#BPM:fast\n", false},
                      {"Shopping list\n: 1 2 3\n#TITLE:a\n#BPM:1\n", false},
                      {"", false}});
}

// A song folder: the audio named in another case, the song file under another name.
TEST(UltraStarRead, TheSongFileAndItsAudioFindEachOther) {
    test::TempDir dir;
    test::WriteBytes(dir / "Track.MP3", "not decoded here");
    test::WriteBytes(dir / "Band - Song.txt",
                     "#TITLE:Song\n#ARTIST:Band\n#MP3:C:\\Songs\\track.mp3\n#BPM:300\n#GAP:0\n"
                     ": 0 1 0 la\n: 1 1 0 la\nhello\nE\n");
    test::WriteBytes(dir / "notes.txt", "milk\neggs\n");
    const auto audio = FindUltraStarAudio(dir / "Band - Song.txt");
    ASSERT_TRUE(audio);
    EXPECT_EQ(*audio, dir / "Track.MP3");
    EXPECT_EQ(VerifyFile(dir / "Band - Song.txt"), *audio);
    EXPECT_EQ(VerifyFile(dir / "notes.txt"), dir / "notes.txt");
    // The playlist and the folder scan take the song once, as its audio.
    EXPECT_TRUE(IsAcceptedSongFile((dir / "Band - Song.txt").string()));
    EXPECT_FALSE(IsAcceptedSongFile((dir / "notes.txt").string()));
    EXPECT_EQ(MediaFileFor((dir / "Band - Song.txt").string()), audio->string());
    const std::atomic<bool> cancel{false};
    EXPECT_EQ(ScanSongFolder(dir.Path().string(), cancel).Songs,
              std::vector<std::string>{audio->string()});

    LyricsModel model;
    const LoadLyricsResult r = LoadLyrics(*audio, model, {}, Codepage::Cp1252);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.source, LyricsSource::UltraStar);
    EXPECT_EQ(model.LyricsHeader, "Band|Song");
    EXPECT_EQ(PiecesOf(model.Lyrics), "la@0.000|la@0.050/");
    EXPECT_EQ(r.notes.Notes.size(), 2u);
    EXPECT_EQ(Joined(r.problems), "Band - Song.txt: line 8: not a header, note or phrase end;");

    std::filesystem::remove(dir / "Track.MP3");
    std::string wanted;
    EXPECT_FALSE(FindUltraStarAudio(dir / "Band - Song.txt", &wanted));
    EXPECT_EQ(wanted, "C:/Songs/track.mp3");
    EXPECT_EQ(MediaFileFor((dir / "Band - Song.txt").string()), "");
}

// cbx tells a song file's data, prints its words and converts them.
TEST(UltraStarRead, CbxInfoLyricsAndConvert) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    const auto song = dir / "song.txt";
    test::WriteBytes(song, kHead + ": 0 4 5 Hel\n: 4 4 7 lo\n- 8\n: 10 2 0  world\nbad\nE\n");
    const std::string q = test::Quote(song);
    const struct {
        std::string args;
        int code;
        std::string shown;
    } runs[] = {
        {"info " + q + " --json", 0, "\"bpm\": 300, \"gap\": 1,"},
        {"info " + q, 0, "Audio: a.mp3 (missing)"},
        {"lyrics " + q, 0, "source: ultrastar\nheader: A|T"},
        {"lyrics " + q, 0, "song.txt: line 10: not a header, note or phrase end"},
        {"convert " + q + " -o " + test::Quote(dir / "out.lrs"), 0, ""},
        {"lyrics " + test::Quote(dir / "out.lrs"), 0, "00:01,500\t[world]"},
        {"convert " + q + " -o " + test::Quote(dir / "out.doc"), 2, "--to takes"},
    };
    for (const auto& run : runs) {
        const test::CbxRun r = test::Cbx(run.args, true);
        EXPECT_EQ(r.code, run.code) << run.args << "\n" << r.out;
        EXPECT_NE(r.out.find(run.shown), std::string::npos) << run.args << "\n" << r.out;
    }
}

// Every real file reads, with what makes it special.
TEST(UltraStarRead, RealSongFilesRead) {
    CX_REQUIRE_CORPUS();
    struct Real {
        const char* file;
        std::string firstLine;
        bool duet;
    };
    const Real files[] = {
        {"all_star_v120.txt", "Some", false},
        {"load_save_props_v110_duet.txt", "", true},
        {"missing_end.txt", "", false},
        {"multifont_scripts_utf8.txt", "", false},
        {"o_christmas_tree_medley_bom.txt", "", false},
        {"space_invaders_crlf.txt", "", false},
        {"team_relative_bom.txt", "Iggz!", false},
        {"usdb_duet_p1p2.txt", "first note golden", true},
        {"usdb_regular_all_note_types.txt", "first note golden freestyle rap golden freestyle",
         false},
        {"windows1252_no_encoding_tag.txt",
         "S\xC3\xBC\xC3\x9F"
         "e L\xC3\xB6wen",
         false},
    };
    for (const Real& f : files) {
        const std::string bytes = test::ReadBytes(test::CorpusDir() / "ultrastar" / f.file);
        if (bytes.empty()) continue;
        EXPECT_TRUE(LooksLikeUltraStar(bytes)) << f.file;
        const UltraStarRead r = ReadUltraStar(bytes, Codepage::Cp1252);
        ASSERT_TRUE(r.ok) << f.file << ": " << r.reason;
        EXPECT_EQ(Joined(r.song.Warnings), "") << f.file;
        EXPECT_GT(r.song.Pieces.size(), 1u) << f.file;
        EXPECT_EQ(r.song.Duet, f.duet) << f.file;
        EXPECT_EQ(r.song.Pieces[1].LineText.rfind(f.firstLine, 0), 0u)
            << f.file << ": " << r.song.Pieces[1].LineText;
    }
}

}  // namespace
}  // namespace cx
