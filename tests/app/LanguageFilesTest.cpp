// The built-in language files against each other and against the code.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "app/Translations.h"
#include "platform/Codepage.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

constexpr Language kLanguages[] = {Language::English, Language::Polish, Language::French};

Translator Load(Language language) {
    Translator t;
    t.SelectLanguage(language);
    return t;
}

std::set<std::string> KeySet(Language language) {
    const auto keys = LanguageFileKeys(Load(language).Text());
    return {keys.begin(), keys.end()};
}

// Literal keys of calls to `function` in one source text.
void CollectCalls(std::string_view source, std::string_view function, std::set<std::string>& keys) {
    for (size_t at = source.find(function); at != std::string_view::npos;
         at = source.find(function, at + 1)) {
        size_t i = at + function.size();
        while (i < source.size() && source[i] == ' ') ++i;
        if (i >= source.size() || source[i] != '(') continue;
        ++i;
        while (i < source.size() && (source[i] == ' ' || source[i] == '\n')) ++i;
        if (i >= source.size() || source[i] != '"') continue;
        const size_t end = source.find('"', i + 1);
        if (end == std::string_view::npos) continue;
        const std::string_view key = source.substr(i + 1, end - i - 1);
        if (!key.empty() && key.find('\\') == std::string_view::npos) keys.emplace(key);
    }
}

// Keys passed as literals to Translate or LookupLanguageKey anywhere in src/.
std::set<std::string> KeysUsedInCode() {
    std::set<std::string> keys;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(CX_SOURCE_DIR) + "/src")) {
        const auto ext = entry.path().extension();
        if (ext != ".cpp" && ext != ".h") continue;
        const std::string source = test::ReadBytes(entry.path());
        CollectCalls(source, "Translate", keys);
        CollectCalls(source, "LookupLanguageKey", keys);
    }
    return keys;
}

TEST(LanguageFiles, CallScannerFindsLiteralKeys) {
    std::set<std::string> keys;
    CollectCalls(
        "t.Translate(\"Play\"); Translate (\n \"Stop\") Translate(key) "
        "std::string Translate(std::string_view key) Translate(\"\")",
        "Translate", keys);
    EXPECT_EQ(keys, (std::set<std::string>{"Play", "Stop"}));
}

// Every language has the English keys, each with a text, and all keys the code uses.
TEST(LanguageFiles, EveryLanguageHasTheSameKeysWithTextsAndAllTheCodeUses) {
    const auto english = KeySet(Language::English);
    EXPECT_GT(english.size(), 250u);
    const auto used = KeysUsedInCode();
    for (const auto language : kLanguages) {
        SCOPED_TRACE("file " + std::to_string(LanguageResourceNumber(language)));
        const Translator t = Load(language);
        EXPECT_EQ(KeySet(language), english);
        for (const auto& key : used) EXPECT_TRUE(t.HasKey(key)) << "key " << key << " missing";
        for (const auto& key : LanguageFileKeys(t.Text()))
            EXPECT_FALSE(t.LookupLanguageKey(key).empty()) << key;
    }
}

// Keys the program looks up by name, literal in the code or not.
constexpr const char* kProgramKeys =
    "Previous Play Pause Stop Next Mute Preferences FileOpen Controls UserList SwitchMicrophone "
    "Record YourVoice Editor Fullscreen Close Minimize OnTop About FileInfo MixMenu Options "
    "TimeRemaining TimeElapsed Playback MnuHelp Keyboard Exit Restore DialogAddFiles "
    "FilterOpenAudio FilterPlaylist LoadPlaylist SavePlaylist Remove RemoveAll SelectAll "
    "SelectReverse SelectNone SortAsc SortDesc SortRandom PlaylistDisplay ListOptionCaption "
    "ListFontName ListFontSize ListColors ListNormal ListHighlighted ListPlaying ListBorder "
    "FitText Display+Offset Display-Offset IncreaseFont DecreaseFont Channels DetailsNoMedia "
    "DetailsError DetailsGeneral DetailsImages DetailsNormal DetailsHighlight DetailsOutline1 "
    "DetailsOutline4 DetailsBackground DetailsTextTop DetailsTextCenter DetailsTextBottom "
    "PictureDefault PictureClear PictureOriginal PictureStretch PictureTile PictureClearEffect "
    "DialogOpenPicture FilterPictures FilterPicture EditorCaption HeaderText HeaderTime "
    "HeaderEditor LineBreak Offset Capture Details MenuFile MenuNew MenuLyricsOpen "
    "MenuLyricsImport MenuSave MenuSaveAs MenuExport MenuTextOpen MenuTextSave MenuUpdate "
    "MenuExit MenuEdit MenuCut MenuCopy MenuPaste MenuDelete MenuSelectAll MenuRemoveAll "
    "MenuFontSettings MenuKaraoke MenuDetails MenuSplitText MenuMergeText MenuInsert MenuAddNew "
    "MenuClear MenuPlayer MenuHelp MenuTutorial MenuSupport MenuVersion MsgNew MsgSave "
    "ErrorFilesize ErrorAudioFile DialogOpenLyrics FilterOpenLyrics FilterText DialogOpenText "
    "DialogSaveTezt DialogImportKaraoke FilterImportKaraoke DialogSaveLyrics RecordQuality0 "
    "RecordQuality1 RecordQuality2 StopRcording ErrorCreateWav";

TEST(LanguageFiles, KeysTheProgramNames) {
    const Translator english = Load(Language::English);
    std::istringstream keys(kProgramKeys);
    for (std::string key; keys >> key;) EXPECT_TRUE(english.HasKey(key)) << key;
    EXPECT_EQ(english.Translate("MsgNew"),
              "All data inside editor will be lost.\nContinue anyway?");
    EXPECT_EQ(english.Translate("HeaderEditor"), "Text editor");
    EXPECT_EQ(english.Translate("LineBreak"), "Line break");
}

TEST(LanguageFiles, CodePagesAndLayout) {
    const std::string_view polishBytes = LanguageResource(kPolishLanguageResource);
    ASSERT_FALSE(polishBytes.empty());
    EXPECT_TRUE(polishBytes.starts_with("\r\n"));  // empty first line, no headings
    EXPECT_EQ(polishBytes.find('['), std::string_view::npos);
    EXPECT_FALSE(IsValidUtf8(polishBytes));  // 8-bit, not UTF-8

    const Translator polish = Load(Language::Polish);
    EXPECT_EQ(polish.Translate("Previous"), "Poprzedni");  // the first key is found
    EXPECT_EQ(polish.Translate("Next"), "Następny");
    EXPECT_EQ(polish.Translate("MenuHelp"), "Pomo&c");
    EXPECT_EQ(polish.Translate("Fullscreen"), "Pełny ekran");

    const Translator french = Load(Language::French);
    EXPECT_EQ(french.Translate("Previous"), "Précédent");
    EXPECT_EQ(french.Translate("MenuEdit"), "É&dition");

    for (const int number :
         {kEnglishLanguageResource, kPolishLanguageResource, kFrenchLanguageResource}) {
        const std::string_view bytes = LanguageResource(number);
        // CR LF line ends throughout.
        for (size_t i = 0; i < bytes.size(); ++i)
            ASSERT_TRUE(bytes[i] != '\n' || (i > 0 && bytes[i - 1] == '\r')) << number;
    }
    EXPECT_TRUE(LanguageResource(105).empty());
}

}  // namespace
}  // namespace cx
