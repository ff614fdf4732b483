// The program's time texts and the number reading shared by the text formats.
#pragma once

#include <string>
#include <string_view>

namespace cx {

// Minutes and whole seconds: 83.9 gives "01:23". Negative times show as "00:00".
std::string FormatMinSec(double seconds);

// Minutes, seconds and milliseconds: 83.456 gives "01:23,456". With
// secondsOnly only the last two digits of the seconds remain ("83,456").
// Negative times are the positive text preceded by "- ".
std::string FormatTime(double seconds, bool secondsOnly = false);

// Reads "mm:ss,fff" or "mm:ss.f" as typed by the user; "01:23,456" gives 83.456.
// A leading "-" negates.
double ParseEditorTime(std::string_view text);

// The leading decimal number of a text (spaces, sign, digits, one point),
// 0 when there is none or it is out of range. Never throws.
double ParseLeadingNumber(std::string_view text);

// Shortest text of a value rounded to `decimals` places, with a point:
// 12 gives "12", 12.75 gives "12.75".
std::string FormatShortestDecimal(double value, int decimals = 3);

}  // namespace cx
