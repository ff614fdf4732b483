#include "app/Translations.h"

#include <gtest/gtest.h>

#include "app/Registry.h"

namespace cx {
namespace {

Translator WithText(std::string_view text) {
    Translator t;
    t.LoadText(text);
    return t;
}

TEST(Translations, LookupNeedsAKeyAtTheStartOfALaterLine) {
    const Translator t = WithText(
        "First->never found\r\n"
        "// Comment->ignored\r\n"
        "[Player]\r\n"
        "Play->Play it\r\n"
        "Playlist->List\r\n"
        "Arrow=>not a key line\r\n"
        "Play->second copy\r\n"
        " Stop->indented\r\n"
        "Pair->a->b\r\n"
        "Empty->\r\n"
        "Last->no line end");
    // "Play" gives the first of duplicates; "play" finds nothing: case matters.
    const std::pair<const char*, const char*> lookups[] = {
        {"First", ""},           {"Play", "Play it"}, {"Playlist", "List"}, {"play", ""},
        {"Arrow", ""},           {"Stop", ""},        {"Pair", "a->b"},     {"Empty", ""},
        {"Last", "no line end"}, {"Missing", ""}};
    for (const auto& [key, text] : lookups) EXPECT_EQ(t.LookupLanguageKey(key), text) << key;
    EXPECT_EQ(t.Translate("Missing"), "");
}

TEST(Translations, TranslateAppliesLineBreaksAndOneAccelerator) {
    const Translator t = WithText("\nA->^File|^Two^|\nB->x|y|z\nC->no marks\n");
    EXPECT_EQ(t.LookupLanguageKey("A"), "^File|^Two^|");
    EXPECT_EQ(t.Translate("A"), "&File\n^Two^\n");
    EXPECT_EQ(t.Translate("B"), "x\ny\nz");
    EXPECT_EQ(t.Translate("C"), "no marks");
}

// The built-in file is read with its line breaks and accelerators.
TEST(Translations, TheBuiltInEnglishFileTranslates) {
    Translator t;
    t.SelectLanguage(Language::English);
    EXPECT_EQ(t.Translate("DetailsNoMedia"),
              "First you must open media file\nto set or change graphics settings.");
    EXPECT_EQ(t.Translate("MenuNew"), "&New");
}

TEST(Translations, LanguageValueChoosesTheFileCaseSensitively) {
    EXPECT_EQ(
        (std::vector{LanguageFromValue("pl"), LanguageFromValue("fr"), LanguageFromValue("PL"),
                     LanguageFromValue(""), LanguageFromValue("de")}),
        (std::vector{Language::Polish, Language::French, Language::English, Language::English,
                     Language::English}));

    MemoryRegistryStore store;
    Translator t;
    store.Write(kSettingsKey, "language", "PL");
    t.SelectLanguage(store);
    EXPECT_EQ(t.CurrentLanguage(), Language::English);
    EXPECT_FALSE(t.IsPolish());
    store.Write(kSettingsKey, "language", "pl");
    t.SelectLanguage(store);
    EXPECT_TRUE(t.IsPolish());
    store.Write(kSettingsKey, "language", "fr");
    t.SelectLanguage(store);
    EXPECT_TRUE(t.IsFrench());
}

TEST(Translations, KeysOfAFile) {
    const auto keys = LanguageFileKeys(
        "// c->x\r\n[S]\r\nName=English\r\nA->1\r\nB=>2\r\n->none\r\nA->again\r\nC->\r\n");
    EXPECT_EQ(keys, (std::vector<std::string>{"A", "A", "C"}));
}

}  // namespace
}  // namespace cx
