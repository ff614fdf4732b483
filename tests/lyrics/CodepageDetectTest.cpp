// Lyrics and tags in the code page of another system read right under any
// interface language, and a song keeps the code page its user chose.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "lyrics/DisplayBlock.h"
#include "lyrics/MediaBlocks.h"
#include "lyrics/MediaFixtures.h"
#include "lyrics/Mp3Class.h"
#include "lyrics/SongCodepage.h"
#include "platform/CodepageDetect.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

// One Polish song written in two code pages.
constexpr char kSlonce[] =
    "[00:12.00]Świeci słońce, śpiewa ptak\n[00:15.00]Źródło życia, źdźbło i mak\n";

constexpr char kDzieweczka[] =
    "Szła dzieweczka do laseczka, do zielonego\nNapotkała myśliweczka bardzo szwarnego\nGdzie jest "
    "ta ulica, gdzie jest ten dom\nGdzie jest ta dziewczyna, co kocham ją\n";
constexpr char kZazolc[] = "Zażółć gęślą jaźń";

struct Sample {
    const char* name;
    const char* utf8;
    Codepage written;  // the code page the file was saved in
};

// Lyrics as users have them: whole songs, single lines and tag-sized words.
const Sample kSamples[] = {
    {"pl-kotek", "[00:01.00]Wlazł kotek na płotek i mruga\n[00:05.00]Ładna to piosenka, niedługa\n",
     Codepage::Cp1250},
    {"pl-slonce", kSlonce, Codepage::Cp1250},
    {"pl-dzieweczka", kDzieweczka, Codepage::Cp1250},
    {"pl-zazolc", kZazolc, Codepage::Cp1250},
    {"pl-lodz", "Łódź", Codepage::Cp1250},
    {"cs-kun", "Žluťoučký kůň úpěl ďábelské ódy\n", Codepage::Cp1250},
    {"pl-slonce-iso", kSlonce, Codepage::Iso8859_2},
    {"pl-dzieweczka-iso", kDzieweczka, Codepage::Iso8859_2},
    {"pl-zazolc-iso", kZazolc, Codepage::Iso8859_2},
    {"fr-jacques",
     "[00:01.00]Frère Jacques, dormez-vous ?\n[00:04.00]À la claire fontaine, m'en allant "
     "promener\n[00:08.00]J'ai trouvé l'eau si belle que je m'y suis baigné\n",
     Codepage::Cp1252},
    {"de-traenen", "Tränen überströmt nach Fußmassage\nÖl und Äpfel für die Grüße\n",
     Codepage::Cp1252},
    {"es-corazon", "¿Dónde estás, corazón? Señor, mañana\n", Codepage::Cp1252},
    {"fr-noel", "Noël – «Douce nuit»", Codepage::Cp1252},
};

constexpr Codepage kLanguages[] = {Codepage::Cp1250, Codepage::Cp1252};

TEST(CodepageDetect, LegacyAndUtf8LyricsReadRightUnderEveryLanguage) {
    int right = 0, total = 0;
    std::string wrong;
    for (const Sample& s : kSamples) {
        const std::string legacy = EncodeCodepage(s.utf8, s.written);
        ASSERT_EQ(DecodeCodepage(legacy, s.written), s.utf8) << s.name;
        const std::pair<const char*, std::string> forms[] = {
            {"legacy", legacy},
            {"utf-8", s.utf8},
            {"utf-8 bom", "\xEF\xBB\xBF" + std::string(s.utf8)}};
        for (const auto& [form, bytes] : forms) {
            for (Codepage language : kLanguages) {
                ++total;
                if (DecodeText(bytes, language) == s.utf8) {
                    ++right;
                } else {
                    wrong += std::string(" ") + s.name + "/" + form + "/" +
                             std::to_string(CodepageNumber(language));
                }
            }
        }
    }
    std::printf("[ measured ] %d of %d sample texts read right;%s\n", right, total,
                wrong.empty() ? " none wrong" : wrong.c_str());
    EXPECT_EQ(right, total) << "read wrong:" << wrong;
    // A choice the user made wins over detection.
    EXPECT_EQ(DecodeText("\xE8", CodepageChoice::Fixed(Codepage::Cp1250)), "\xC4\x8D");
    EXPECT_EQ(DecodeText("\xE8", CodepageChoice::Fixed(Codepage::Cp1252)), "\xC3\xA8");
}

// What the shared corpus's text files hold, by name, when it is not UTF-8.
const std::pair<const char*, Codepage> kCorpusLegacy[] = {
    {"windows1252_no_encoding_tag.txt", Codepage::Cp1252},
};

TEST(CodepageDetect, CorpusTextFilesReadRight) {
    CX_REQUIRE_CORPUS();
    int right = 0, total = 0;
    for (const char* folder : {"lrc", "ultrastar", "playlist"}) {
        for (const auto& e : std::filesystem::directory_iterator(test::CorpusDir() / folder)) {
            const std::string bytes = test::ReadBytes(e.path());
            std::string want = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
            for (const auto& [name, cp] : kCorpusLegacy)
                if (e.path().filename() == name) want = DecodeCodepage(bytes, cp);
            ASSERT_TRUE(IsValidUtf8(want)) << e.path() << " needs its code page in the table";
            for (Codepage language : kLanguages) {
                ++total;
                const bool ok = DecodeText(bytes, language) == want;
                right += ok ? 1 : 0;
                EXPECT_TRUE(ok) << e.path() << " under " << CodepageNumber(language);
            }
        }
    }
    std::printf("[ measured ] %d of %d corpus text readings right\n", right, total);
}

TEST(CodepageDetect, TheSongsChoiceIsKeptInItsBlockOrBesideIt) {
    // In the block: its own texts are read in it, and a reader that does not
    // know the item skips it as any unknown line.
    DisplayBlock b;
    b.Artist = "\xC5\x9Apiewak";  // "Śpiewak"
    b.Codepage = 28592;
    const std::string text = BuildDisplayBlockText(b);
    EXPECT_NE(text.find("#CODEPAGE=28592\r\n"), std::string::npos);
    const std::string stored = EncodeCodepage(text, Codepage::Iso8859_2) + "\r\n";
    DisplayBlock back;
    ASSERT_TRUE(ReadDisplayBlock(stored, "", Codepage::Cp1250, back));
    EXPECT_EQ(back.Artist, b.Artist);
    EXPECT_EQ(back.Codepage, 28592);
    DisplayBlock unknown;
    ParseDisplayBlock("#CBXGraphs\r\n#CODEPAGE=437\r\n#TITLE=x\r\n", "", unknown);
    EXPECT_EQ(unknown.Codepage, 0);
    EXPECT_EQ(unknown.Title, "x");

    test::TempDir dir;
    const auto song = dir / "song.mp3";
    const std::string audio = test::MakeMp3(40);
    test::WriteBytes(song, audio);
    EXPECT_EQ(ReadCodepageFile(song), 0);
    // A song that cannot be written keeps the choice beside it; nothing else changed.
    ::chmod(song.c_str(), 0444);
    DisplayBlock chosen;
    chosen.Codepage = 1250;
    ASSERT_TRUE(SaveSongDisplayBlock(chosen, DisplayBlock{}, song, Codepage::Cp1252));
    EXPECT_EQ(test::ReadBytes(song), audio);
    EXPECT_EQ(ReadCodepageFile(song), 1250);
    EXPECT_EQ(SongCodepageChoice(ReadCodepageFile(song), Codepage::Cp1252).codepage,
              Codepage::Cp1250);
    EXPECT_TRUE(SongCodepageChoice(0, Codepage::Cp1252).codepage == Codepage::Cp1252 &&
                !SongCodepageChoice(0, Codepage::Cp1252).fixed);
    // Once it can be written, the block holds the choice and the file beside it goes.
    ::chmod(song.c_str(), 0644);
    ASSERT_TRUE(SaveSongDisplayBlock(chosen, DisplayBlock{}, song, Codepage::Cp1252));
    EXPECT_NE(test::ReadBytes(song).find("#CODEPAGE=1250"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(CodepageFilePath(song)));
}

TEST(CodepageDetect, PolishTagsWrittenUnderAnotherLanguageReadBackAsWritten) {
    // The tag's code page is told on reading, so writing must keep the words
    // whole instead of turning the letters 1252 lacks into "?".
    test::TempDir dir;
    const auto song = dir / "song.mp3";
    test::WriteBytes(song, test::MakeMp3(40));
    MP3Class writer(Codepage::Cp1252);
    writer.SetFilename(song.string());
    const std::string title = "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85";
    ASSERT_EQ(writer.SaveId3Tag({title, "Artysta", "", "", "", "1", ""}, {}, true, false),
              kSaveTagOk);
    ASSERT_TRUE(writer.SaveLyrics("", "", title, "", "", "[00:01.00]" + title));
    MP3Class reader(Codepage::Cp1252);
    reader.SetFilename(song.string());
    ASSERT_TRUE(reader.ReadFile());
    reader.ReadTag();
    EXPECT_EQ(reader.Info().Title1, title);
    EXPECT_EQ(reader.Info().LyricsTitle, title);
}

}  // namespace
}  // namespace cx
