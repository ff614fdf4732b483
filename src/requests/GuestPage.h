// The request page guests open on their phones: one HTML document, its script
// and its style sheet, all built in (no outside fonts or scripts), so the page
// works under "Content-Security-Policy: default-src 'self'".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "requests/GuestApi.h"

namespace cx {

// The language keys of every text the page shows.
const std::vector<std::string_view>& GuestTextKeys();

// The document in one language; its texts travel as a JSON data block.
std::string GuestPageHtml(const GuestTexts& texts);
std::string_view GuestPageScript();
std::string_view GuestPageStyle();

}  // namespace cx
