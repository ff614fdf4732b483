// Text put into HTML or XML as it is: the characters markup gives meaning to
// become entities, so no text can open a tag or end an attribute.
#pragma once

#include <string>
#include <string_view>

namespace cx {

// & < > " and ' as entities; everything else unchanged.
std::string EscapeMarkup(std::string_view text);

}  // namespace cx
