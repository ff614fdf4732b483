// Between the settings object and the karaoke display's plain settings.
#pragma once

#include "app/ThemeClass.h"
#include "karaoke/KaraokeSettings.h"

namespace cx {

// The karaoke values of the settings object.
KaraokeSettings KaraokeSettingsFrom(const ThemeClass& theme);
// Writes back what the karaoke window may change (font size, fitting, offset).
void StoreKaraokeSettings(const KaraokeSettings& settings, ThemeClass& theme);

}  // namespace cx
