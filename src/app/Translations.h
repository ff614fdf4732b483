// UI texts by key: one of the three built-in language files is chosen at
// start and every caption, tooltip and message is looked up in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Codepage.h"

namespace cx {

class RegistryStore;

enum class Language { English, Polish, French };

// Resource numbers of the built-in language files.
inline constexpr int kEnglishLanguageResource = 106;
inline constexpr int kPolishLanguageResource = 107;
inline constexpr int kFrenchLanguageResource = 108;

// Registry value that picks the language ("pl", "fr"; anything else is English).
inline constexpr std::string_view kLanguageValueName = "language";

// Line break that "|" in a text becomes.
inline constexpr std::string_view kTranslationLineBreak = "\n";
// Accelerator marker that the first "^" in a text becomes.
inline constexpr char kAcceleratorMarker = '&';

// The language a "language" registry value selects. Case matters: "PL" is English.
Language LanguageFromValue(std::string_view value);

// Raw 8-bit bytes of a built-in language file; empty for an unknown number.
std::string_view LanguageResource(int resourceNumber);

// Resource number of a language's file.
int LanguageResourceNumber(Language language);

// Keys of every "Key->Text" line of a language text, in file order, duplicates
// kept; lines that are comments, section headings or "Name=Value" are skipped.
std::vector<std::string> LanguageFileKeys(std::string_view text);

// Holds the chosen language file as UTF-8 text and looks keys up in it.
class Translator {
public:
    // English until SelectLanguage or LoadText is called.
    Translator();

    // Reads "language" from the settings key and loads that language's file.
    void SelectLanguage(const RegistryStore& store);
    // Loads the built-in file of the given language.
    void SelectLanguage(Language language);
    // Uses the given UTF-8 language text (CR LF or LF line ends).
    void LoadText(std::string_view utf8Text, Language language = Language::English);

    // The raw text after "->" of the first line that starts with key + "->";
    // empty when there is none. A key on the very first line is never found.
    std::string LookupLanguageKey(std::string_view key) const;

    // True when some line of the file (not the first) starts with key + "->".
    bool HasKey(std::string_view key) const;

    // The caption for a key: "|" become line breaks, the first "^" the
    // accelerator marker. Empty when the key is missing.
    std::string Translate(std::string_view key) const;

    Language CurrentLanguage() const { return m_language; }
    bool IsPolish() const { return m_language == Language::Polish; }
    bool IsFrench() const { return m_language == Language::French; }
    // The code page of 8-bit texts written under this language (language
    // files, and the tie-breaker when telling a song's code page).
    Codepage TextCodepage() const;
    // The whole language text, LF line ends.
    const std::string& Text() const { return m_text; }

private:
    Language m_language = Language::English;
    std::string m_text;
};

}  // namespace cx
