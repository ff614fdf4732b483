// The request page's texts in the program's three languages, read from the
// built-in language files (no widgets needed).
#pragma once

#include <string>
#include <vector>

#include "app/Translations.h"
#include "requests/GuestApi.h"

namespace cx {

// English, Polish and French; a key missing from a language falls back to
// its English text.
std::vector<GuestTexts> BuiltInGuestTexts();

// "en", "pl" or "fr".
std::string GuestLanguageTag(Language language);

}  // namespace cx
