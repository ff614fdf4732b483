// Window places stored as comma-separated whole numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cx {

// "a,b,c" into at most `maxFields` integers (decimals are cut to the whole
// part); nothing when a field is not a number or there are too many.
std::optional<std::vector<int>> ParseNumberList(std::string_view text, std::size_t maxFields);

// A window rectangle "left,top,width,height" (as "userlist position").
struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
// Nothing for an empty or malformed value, or an empty size.
std::optional<WindowRect> ParseWindowRect(std::string_view text);
std::string FormatWindowRect(const WindowRect& rect);

}  // namespace cx
