// Start-up check that sound output can be opened at all.
#pragma once

namespace cx {

inline constexpr char kAudioInitFailedMessage[] = "Can't initialize digital sound system";

// Opens and closes the default output at 44100 Hz float stereo.
bool AudioOutputOpens();

}  // namespace cx
