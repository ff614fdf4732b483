// The recorder's messages as the player shows them: non-modal boxes, so the
// song and the take go on while the user reads.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "recording/VoiceDesk.h"

namespace cx {

// `parent` is asked at the time of the message (the window may come later);
// `translate` gives a language key's text; `lights` runs when the recording
// or voice state changes.
VoiceDeskHooks VoiceMessageHooks(std::function<QWidget*()> parent,
                                 std::function<std::string(const std::string&)> translate,
                                 std::function<void()> lights);

}  // namespace cx
