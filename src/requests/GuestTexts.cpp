#include "requests/GuestTexts.h"

#include "requests/GuestPage.h"

namespace cx {

std::string GuestLanguageTag(Language language) {
    switch (language) {
        case Language::Polish:
            return "pl";
        case Language::French:
            return "fr";
        case Language::English:
            break;
    }
    return "en";
}

std::vector<GuestTexts> BuiltInGuestTexts() {
    Translator english;
    english.SelectLanguage(Language::English);
    std::vector<GuestTexts> all;
    for (const Language language : {Language::English, Language::Polish, Language::French}) {
        Translator translator;
        translator.SelectLanguage(language);
        GuestTexts texts{GuestLanguageTag(language), {}};
        for (const std::string_view key : GuestTextKeys()) {
            std::string text = translator.Translate(key);
            texts.texts.emplace(std::string(key), text.empty() ? english.Translate(key) : text);
        }
        all.push_back(std::move(texts));
    }
    return all;
}

}  // namespace cx
