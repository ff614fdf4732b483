#include "app/Translations.h"

#include "app/Registry.h"
#include "platform/Codepage.h"

namespace cx {
namespace {

constexpr std::string_view kKeyMark = "->";

// CR LF and lone CR become LF so that lookups need only one line end.
std::string NormaliseLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

Codepage CodepageOf(Language language) {
    return language == Language::Polish ? Codepage::Cp1250 : Codepage::Cp1252;
}

}  // namespace

Language LanguageFromValue(std::string_view value) {
    if (value == "pl") return Language::Polish;
    if (value == "fr") return Language::French;
    return Language::English;
}

int LanguageResourceNumber(Language language) {
    switch (language) {
        case Language::Polish:
            return kPolishLanguageResource;
        case Language::French:
            return kFrenchLanguageResource;
        case Language::English:
            break;
    }
    return kEnglishLanguageResource;
}

std::vector<std::string> LanguageFileKeys(std::string_view text) {
    std::vector<std::string> keys;
    const std::string normalised = NormaliseLineEnds(text);
    std::string_view rest = normalised;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.starts_with("//") || line.starts_with("[")) continue;
        const size_t mark = line.find(kKeyMark);
        if (mark == std::string_view::npos || mark == 0) continue;
        keys.emplace_back(line.substr(0, mark));
    }
    return keys;
}

Translator::Translator() {
    SelectLanguage(Language::English);
}

void Translator::SelectLanguage(const RegistryStore& store) {
    SelectLanguage(LanguageFromValue(ReadRegistryText(store, kSettingsKey, kLanguageValueName)));
}

void Translator::SelectLanguage(Language language) {
    const std::string_view bytes = LanguageResource(LanguageResourceNumber(language));
    LoadText(DecodeCodepage(bytes, CodepageOf(language)), language);
}

void Translator::LoadText(std::string_view utf8Text, Language language) {
    m_language = language;
    m_text = NormaliseLineEnds(utf8Text);
}

std::string Translator::LookupLanguageKey(std::string_view key) const {
    std::string needle = "\n";
    needle += key;
    needle += kKeyMark;
    const size_t at = m_text.find(needle);
    if (at == std::string::npos) return {};
    const size_t lineStart = at + 1;
    const size_t lineEnd = m_text.find('\n', lineStart);
    const std::string_view line = std::string_view(m_text).substr(
        lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
    // The first "->" of the line, which may lie inside a key that holds one.
    // A key holding a line break finds a line without it.
    const size_t mark = line.find(kKeyMark);
    if (mark == std::string_view::npos) return {};
    return std::string(line.substr(mark + kKeyMark.size()));
}

bool Translator::HasKey(std::string_view key) const {
    std::string needle = "\n";
    needle += key;
    needle += kKeyMark;
    return m_text.find(needle) != std::string::npos;
}

std::string Translator::Translate(std::string_view key) const {
    const std::string raw = LookupLanguageKey(key);
    std::string out;
    out.reserve(raw.size() + 8);
    bool markerDone = false;
    for (const char c : raw) {
        if (c == '|') {
            out += kTranslationLineBreak;
        } else if (c == '^' && !markerDone) {
            out += kAcceleratorMarker;
            markerDone = true;
        } else {
            out += c;
        }
    }
    return out;
}

Codepage Translator::TextCodepage() const {
    return CodepageOf(m_language);
}

}  // namespace cx
