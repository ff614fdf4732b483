// How setting values are written as text in the settings store, and read back
// leniently: a value someone edited by hand must never stop the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cx {

// The numeric value of the text's leading number ("12abc" is 12, "abc" is 0,
// leading blanks skipped). nullopt when the number does not fit a double.
std::optional<double> LeadingNumber(std::string_view text);

// Readers: nullopt when the number does not fit the type; the caller then
// keeps its default. Fractions round to the nearest whole number, halves to even.
std::optional<bool> ReadBoolText(std::string_view text);
std::optional<std::int16_t> ReadInt16Text(std::string_view text);
std::optional<std::int32_t> ReadInt32Text(std::string_view text);
// Colours accept the signed and the unsigned form of a 32-bit value.
std::optional<std::uint32_t> ReadColourText(std::string_view text);
// Every "," counts as a decimal point.
std::optional<double> ReadFloatText(std::string_view text);

// Writers.
std::string BoolText(bool value);     // "1" or "0"
std::string FloatText(double value);  // shortest of 15 significant digits, "." as point

}  // namespace cx
