// The platform facts the settings object needs, from Qt: installed fonts,
// screens, picture decoding and the XDG folders.
#pragma once

#include <string>
#include <vector>

#include "app/ThemeClass.h"

class QScreen;

namespace cx {

// The user's data folder of the program (~/.local/share/Sonoferia/Cantabilex).
std::string AppDataFolder();
// The user's music folder (XDG), or the home folder when there is none.
std::string MusicFolder();
// Where recordings go by default: "Voice" in the app data folder.
std::string VoiceFolder();

// Screen names as the settings store them: "Monitor 1 (primary)", "Monitor 2", ...
// Needs a QGuiApplication; empty without one.
std::vector<std::string> ScreenNames();
// The screen a stored monitor name stands for, in the order of ScreenNames();
// the primary screen when the name matches none (nullptr without screens).
QScreen* ScreenForMonitorName(const std::string& name);

// The folders always; fonts, screens and picture checks only when a
// QGuiApplication exists (otherwise those rules are skipped).
ThemeEnvironment QtThemeEnvironment();

}  // namespace cx
