#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SmfWriter.h"
#include "midi/MidiConverter.h"
#include "midi/MidiInfo.h"
#include "midi/MidiLyrics.h"
#include "midi/MidiPlayer.h"
#include "midi/MidiText.h"
#include "support/Pieces.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::Smf;
using test::TrackWriter;

// A KAR song: a conductor track whose tempo doubles at tick 192, and a "Words" track.
std::string KarSong(int extraSyllables = 0) {
    TrackWriter conductor, words;
    conductor.Tempo(0, 500000).Tempo(192, 250000).End();
    words.Name(0, "Words").Text(0, "@KMIDI KARAOKE FILE").Text(0, "@TMY SONG");
    words.Text(0, "@Tjohn doe");
    words.Text(0, "not shown at tick 0").Text(96, "\\Twin").Text(48, "kle ").Text(48, "@Ihidden");
    words.Text(48, "/Lit").Text(48, "tle ").Text(48, "star").Text(0, "/");
    for (int i = 0; i < extraSyllables; ++i) words.Text(24, "la ");
    words.Text(96, "/  End").End();
    return Smf(1, 96, {conductor, words});
}

// The pieces `read` (the words track or the lyric events) takes from `bytes`.
template <typename Read>
std::vector<LyricPiece> Pieces(Read read, const std::string& bytes, Codepage cp) {
    const auto r = ParseSmf(bytes);
    EXPECT_TRUE(r.file) << r.error;
    std::vector<LyricPiece> out;
    if (r.file) read(*r.file, TempoMap::FromSmf(*r.file), cp, out);
    return out;
}

std::vector<LyricPiece> Words(const std::string& bytes) {
    return Pieces(GetWords, bytes, Codepage::Cp1252);
}

TEST(MidiWords, ReadsLinesMarksAndTimesWithTheWholeTempoMap) {
    const auto p = Words(KarSong());
    // The lone "/" ends the line without a piece.
    EXPECT_EQ(test::PieceTexts(p), "Twin|kle /Lit|tle |star/End|");
    EXPECT_EQ(test::LineTexts(p), "Twinkle /Little star/End/");
    // Ticks 96 and 144 at 120 bpm; 192 onwards at 240 bpm (0.125 s per 48 ticks).
    const std::vector<double> times = {0.5, 0.75, 1.125, 1.25, 1.375, 1.625};
    ASSERT_EQ(test::StartTimes(p).size(), times.size());
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(test::StartTimes(p)[i], times[i] - 0.15, 1e-9) << i;
}

TEST(MidiWords, LongSongsKeepTheirLastWords) {
    TrackWriter t;
    t.Name(0, "Words").Tempo(0, 1000000).Text(96, "first ").Text(96 * 700, "late");
    TrackWriter band;  // music all the way, so that the song has no long silence
    for (int s = 0; s < 700; s += 10) band.NoteOn(s ? 96 * 5 : 96, 0, 60).NoteOff(96 * 5, 0, 60);
    const auto p = Words(Smf(1, 96, {t.End(), band.End()}));
    ASSERT_EQ(p.size(), 3u);
    EXPECT_NEAR(p[2].StartTime, 701 - 0.15, 1e-9);
}

TEST(MidiWords, EndlessLinesAndHugeTextsAreBounded) {
    TrackWriter t;
    t.Name(0, "Words").Text(10, std::string(5000, 'a'));
    for (int i = 0; i < 1000; ++i) t.Text(10, "la ");
    const auto p = Words(Smf(0, 96, {t.End()}));
    ASSERT_EQ(p.size(), 1002u);
    EXPECT_EQ(p[1].PieceText.size(), kMaxLyricTextBytes);
    for (const auto& piece : p)
        EXPECT_LE(piece.LineText.size(), kMaxLineBytes + kMaxLyricTextBytes);
}

TEST(MidiWords, UnnamedTrackWithManyTextsIsTheWordsTrack) {
    TrackWriter t;
    t.Name(0, "song").Text(0, "@Tname");
    for (int i = 0; i < kMinWordsTrackTexts; ++i) t.Text(10, "la ");
    t.End();
    EXPECT_EQ(Words(Smf(0, 96, {t})).size(), static_cast<std::size_t>(kMinWordsTrackTexts + 1));
}

std::vector<LyricPiece> Extract(const std::string& bytes, Codepage cp = Codepage::Cp1252) {
    return Pieces(ExtractLyrics, bytes, cp);
}

TEST(MidiLyricEvents, ReturnsAndLineMarksEndLines) {
    TrackWriter t;
    t.Tempo(0, 1000000).Lyric(96, "Hel").Lyric(96, "lo").Lyric(0, "\r");  // return at the same tick
    t.Lyric(96, "good").Lyric(96, "\n");  // return later: a blank piece
    t.Lyric(96, "/bye").Lyric(96, "now\r").Lyric(96, std::string("x\0y", 3)).End();
    const auto p = Extract(Smf(0, 96, {t}));
    EXPECT_EQ(test::PieceTexts(p), "Hel|lo/good| /bye|now/xy|");
    EXPECT_EQ(test::LineTexts(p), "Hello/good /byenow/xy/");  // the last line has its text too
    EXPECT_NEAR(test::StartTimes(p)[3], 4.0 - 0.15, 1e-9);
}

TEST(MidiLyricEvents, TakesTheVoiceWithMostLyricsAndDecodesText) {
    TrackWriter alto, soprano;
    alto.Lyric(96, "a").End();
    soprano.Lyric(96, "Za").Lyric(96, "\xBF\xF3\xB3w").Lyric(96, "gr\xC3\xBC\xC3\x9F").End();
    const auto p = Extract(Smf(1, 96, {alto, soprano}), Codepage::Cp1250);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[2].PieceText, "\xC5\xBC\xC3\xB3\xC5\x82w");  // "żółw" from code page 1250
    EXPECT_EQ(p[3].PieceText, "gr\xC3\xBC\xC3\x9F");         // valid UTF-8 stays
}

TEST(MidiLyricEvents, WordsTrackTextsAfterTickZeroWhenNoLyricEvents) {
    TrackWriter w;
    w.Name(0, "Words").Text(0, "@Tx").Text(0, "zero").Text(96, "one/").Text(96, "two").End(10);
    const auto p = Extract(Smf(0, 96, {w}));
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].PieceText, "one");
    EXPECT_TRUE(p[1].LineBreak);
}

TEST(MidiRead, TitleAndArtistInProperCase) {
    const auto r = ParseSmf(KarSong());
    ASSERT_TRUE(r.file);
    const KarTitle t = MidiRead(*r.file, Codepage::Cp1252);
    EXPECT_EQ(t.Title, "My Song");
    EXPECT_EQ(t.Artist, "John Doe");
    EXPECT_EQ(ProperCase("\xC5\x81\xC3\x93"
                         "D\xC5\xB9 \xC3\xA9T\xC3\x89"),
              "\xC5\x81\xC3\xB3"
              "d\xC5\xBA \xC3\x89t\xC3\xA9");
}

class MidiRoutes : public ::testing::Test {
protected:
    // A converter script that copies `source` to its output after `before` seconds,
    // then waits `after` seconds for a program it started (its pid in child.pid).
    std::string Converter(const std::string& source, int after = 0, int before = 0) {
        const auto script = m_dir / "conv.sh";
        test::WriteBytes(script, "sleep " + std::to_string(before) + "\ncp '" + source +
                                     "' \"$2\"\nsleep " + std::to_string(after) +
                                     " &\necho $! > '" + (m_dir / "child.pid").string() +
                                     "'\nwait\n");
        return "/bin/sh \"" + script.string() + "\"";
    }
    // The converter's own program has ended (a zombie has).
    bool ChildEnded() {
        std::string pid = test::ReadBytes(m_dir / "child.pid");
        pid = pid.substr(0, pid.find('\n'));
        for (int i = 0; i < 100 && !pid.empty(); ++i) {
            const std::string stat = test::ReadBytes("/proc/" + pid + "/stat");
            const std::size_t state = stat.rfind(')') + 2;
            if (stat.size() <= state || stat[state] == 'Z') return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    MidiLyricsResult Load(const std::string& song, const std::string& converter,
                          int timeoutMs = 5000) {
        const auto path = m_dir / "song.mid";
        test::WriteBytes(path, song);
        MidiLyricsOptions o;
        o.converterCommand = converter;
        o.tempFolder = m_dir.Path();
        o.converterTimeoutMs = timeoutMs;
        return LoadMidiLyrics(song, path, o, m_model);
    }
    test::TempDir m_dir;
    LyricsModel m_model;
};

TEST_F(MidiRoutes, RoutesRunInOrder) {
    const std::string lyricEvents = Smf(0, 96, {TrackWriter().Lyric(96, "smf").End()});
    EXPECT_EQ(Load(KarSong(), "").source, MidiLyricSource::Words);
    EXPECT_EQ(m_model.Lyrics[1].PieceText, "Twin");

    const auto converted = m_dir / "converted.kar";
    test::WriteBytes(converted, KarSong(200));  // above the converter's minimum size
    EXPECT_EQ(Load(lyricEvents, Converter(converted.string())).source, MidiLyricSource::Converter);
    EXPECT_EQ(m_model.Lyrics[1].PieceText, "Twin");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "cbtmp.tmp"));

    test::WriteBytes(converted, KarSong(200).substr(0, kMinConverterOutputBytes - 1));
    EXPECT_EQ(Load(lyricEvents, Converter(converted.string())).source, MidiLyricSource::Smf);
    EXPECT_EQ(Load(lyricEvents, "/nonexistent/m2k").source, MidiLyricSource::Smf);
    EXPECT_EQ(m_model.Lyrics[1].PieceText, "smf");

    const auto none = Load(Smf(0, 96, {TrackWriter().NoteOn(0, 0, 60).End(5)}), "");
    EXPECT_EQ(none.source, MidiLyricSource::None);
    EXPECT_FALSE(none.error.empty());
    EXPECT_EQ(m_model.UpperBound(), 0);
}

TEST_F(MidiRoutes, SlowConverterIsAbandonedAtItsTimeLimit) {
    const auto converted = m_dir / "converted.kar";
    test::WriteBytes(converted, KarSong(200));
    const auto start = std::chrono::steady_clock::now();
    const auto r = Load(Smf(0, 96, {TrackWriter().Lyric(96, "smf").End()}),
                        Converter(converted.string(), 30), 300);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(r.source, MidiLyricSource::Smf);
    EXPECT_TRUE(ChildEnded()) << "the converter's own program still runs";
}

TEST_F(MidiRoutes, LyricsTheUserSavedComeBeforeTheWordsTrack) {
    const std::string block = "#Cantabilex\r\n[5]Saved[5.5] words\r\n#End Cantabilex\r\n";
    const struct {
        const char* name;
        std::string appended;  // to the song file
        const char* beside;    // extension of a file beside it, or null
        std::string besideText;
        MidiLyricSource source;
        const char* first;
    } cases[] = {
        {"block in the song", block, nullptr, "", MidiLyricSource::Lrs, "Saved"},
        {"block before the settings block", block + "#CBXMidi\r\nch00=1,0,100,64,0\r\n#End CBXMidi",
         nullptr, "", MidiLyricSource::Lrs, "Saved"},
        {".lrs beside", "", "lrs", block, MidiLyricSource::LrsFile, "Saved"},
        {".lrc beside", "", "lrc", "[00:05.00]From LRC\r\n", MidiLyricSource::Lrc, "From LRC"},
        {"the block beats the .lrc", block, "lrc", "[00:05.00]From LRC\r\n", MidiLyricSource::Lrs,
         "Saved"},
        {"a damaged block leaves the words track", "#End Cantabilex\r\n#Cantabilex\r\n", nullptr,
         "", MidiLyricSource::Words, "Twin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(m_dir / "song.lrs");
        std::filesystem::remove(m_dir / "song.lrc");
        if (c.beside) test::WriteBytes(m_dir / (std::string("song.") + c.beside), c.besideText);
        EXPECT_EQ(Load(KarSong() + c.appended, "").source, c.source);
        ASSERT_GE(m_model.UpperBound(), 1);
        EXPECT_EQ(m_model.Lyrics[1].PieceText, c.first);
    }
}

// The converter's words following while the song plays: MidiWindowStories.
TEST_F(MidiRoutes, ThePlayerRunsTheConverterOffItsCallersThread) {
    const auto converted = m_dir / "converted.kar";
    test::WriteBytes(converted, KarSong(200));
    const auto song = m_dir / "song.mid";
    test::WriteBytes(song, Smf(0, 96, {TrackWriter().Lyric(96, "smf").End()}));
    MidiLyricsOptions o;
    o.tempFolder = m_dir.Path();
    std::atomic<int> finished{0};
    o.converterFinished = [&finished] { ++finished; };
    o.converterCommand = Converter(converted.string(), 30);
    MidiPlayer player;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(player.OpenMusic(song, "", o, m_model).converting);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
    EXPECT_EQ(m_model.Lyrics[1].PieceText, "smf");
    for (int i = 0; i < 500 && test::ReadBytes(m_dir / "child.pid").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    player.CloseDevice();  // its whole process group ends
    EXPECT_TRUE(ChildEnded());
    EXPECT_EQ(finished, 0);
}

TEST(MidiCorpus, EveryFileYieldsLyricsOrFailsCleanly) {
    CX_REQUIRE_CORPUS();
    int withLyrics = 0;
    for (const char* sub : {"kar", "midi"}) {
        for (const auto& entry : std::filesystem::directory_iterator(test::CorpusDir() / sub)) {
            const std::string bytes = test::ReadBytes(entry.path());
            LyricsModel model;
            const auto r = LoadMidiLyrics(bytes, {}, MidiLyricsOptions(), model);
            SCOPED_TRACE(entry.path().filename().string());
            if (r.source == MidiLyricSource::None) {
                EXPECT_FALSE(r.error.empty());
                EXPECT_EQ(model.UpperBound(), 0);
                continue;
            }
            ++withLyrics;
            for (int i = 2; i <= model.UpperBound(); ++i)
                EXPECT_GE(model.Lyrics[i].StartTime + 1e-9, model.Lyrics[i - 1].StartTime);
        }
    }
    EXPECT_GE(withLyrics, 6);
}

TEST(MidiCorpus, WordsTrackKarGivesItsTitle) {
    CX_REQUIRE_CORPUS();
    const std::string bytes = test::ReadBytes(test::CorpusDir() / "kar/Negra_Sombra.kar");
    const auto r = ReadMidiFileInfo(bytes, Codepage::Cp1252);
    ASSERT_TRUE(r.info) << r.error;
    EXPECT_FALSE(r.info->Title.empty());
    LyricsModel model;
    const auto lyrics = LoadMidiLyrics(bytes, {}, MidiLyricsOptions(), model);
    EXPECT_EQ(lyrics.source, MidiLyricSource::Words);
    EXPECT_GT(model.UpperBound(), 20);
}

}  // namespace
}  // namespace cx
