// Text rendering needs a QGuiApplication; command-line tools and tests have none.
#pragma once

namespace cx {

// Creates the process's QGuiApplication on the offscreen platform when none
// exists yet (it lives until exit), so fonts and images work without a display.
void EnsureGuiContext();

}  // namespace cx
