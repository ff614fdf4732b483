// Picks the first installed font of a fallback chain.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace cx {

// Dialog fonts, in order of preference.
inline const std::vector<std::string> kDialogFontChain = {"Tahoma", "Arial", "MS Sans Serif"};

// The first name of `chain` that `installed` accepts, else `systemDefault`.
std::string ChooseFont(const std::vector<std::string>& chain,
                       const std::function<bool(const std::string&)>& installed,
                       const std::string& systemDefault);

}  // namespace cx
