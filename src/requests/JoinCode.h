// The show's join code: random, short enough to type from the screen, made of
// letters and digits that cannot be mistaken for each other.
#pragma once

#include <string>
#include <string_view>

namespace cx {

// Upper-case letters and digits without I, L, O, 0 and 1.
inline constexpr std::string_view kJoinCodeAlphabet = "ABCDEFGHJKMNPQRSTUVWXYZ23456789";

// A fresh code of kJoinCodeLength characters from the system's random source.
std::string MakeJoinCode();

// Compares in time that depends only on the lengths, so a guest cannot learn
// the code a character at a time from reply times.
bool SameCodeConstantTime(std::string_view a, std::string_view b);

// What a guest typed, upper-cased, without spaces and dashes.
std::string NormalizeJoinCode(std::string_view typed);

}  // namespace cx
