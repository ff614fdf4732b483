// English captions of the translation keys the player and the playlist use,
// shown when no language text is loaded or a key is missing from it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cx {

// The English text of a key; the key itself when it is unknown.
std::string DefaultCaption(std::string_view key);

// How windows ask for a caption: the loaded language, or the English default.
using TranslateFn = std::function<std::string(std::string_view key)>;

// The translation when there is one, else the English default.
std::string Caption(const TranslateFn& translate, std::string_view key);

// A menu caption: the translated text, a tab and the shortcut text (when there is one).
std::string SetMenu(std::string_view caption, std::string_view shortcut);

}  // namespace cx
