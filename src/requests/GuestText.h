// Small text tools for the request page's calls: UTF-8 checks, the cleaning of
// names and searches, JSON written safely into HTML and read from tiny flat
// bodies, and form/query decoding. Everything takes hostile bytes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace cx {

// Trims, collapses runs of white space to one space, drops control and
// direction-override characters and cuts at `maxBytes` on a character
// boundary. Nullopt when the text is not valid UTF-8.
std::optional<std::string> CleanGuestText(std::string_view text, std::size_t maxBytes);

// A JSON string literal with quotes. <, >, & and / become \u escapes, so the
// text can never end a script element or open markup.
std::string JsonString(std::string_view text);

// A flat JSON object's members as text: strings unescaped, numbers and
// booleans as written. Nullopt for anything else (nesting, junk, bad escapes).
std::optional<std::map<std::string, std::string>> ReadFlatJsonObject(std::string_view json);

// "a=1&b=x+y" with %-escapes; later duplicates are ignored. Nullopt on a bad
// escape.
std::optional<std::map<std::string, std::string>> ReadFormBody(std::string_view body);

// A whole decimal integer within [low, high]; nullopt otherwise.
std::optional<std::int64_t> ReadInteger(std::string_view text, std::int64_t low, std::int64_t high);

}  // namespace cx
