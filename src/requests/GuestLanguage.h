// Which of the page's languages a guest gets: "?lang=" when it names one,
// then the browser's Accept-Language by q-value, then the player's language.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cx {

// `available` are primary tags ("en", "pl", "fr"); the result is one of them,
// or `player` when none fits (and the first available when `player` is not
// available either).
std::string ChooseGuestLanguage(std::string_view requested, std::string_view acceptLanguage,
                                const std::vector<std::string>& available, std::string_view player);

}  // namespace cx
