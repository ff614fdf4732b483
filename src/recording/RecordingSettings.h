// The recording settings as the recorder uses them, and the voice panel's
// scales for the voice volume thumb and the synchronisation slider.
#pragma once

#include <string>
#include <vector>

#include "recording/RecordFormat.h"
#include "recording/VoicePaths.h"

namespace cx {

class ThemeClass;

struct RecordingSettings {
    std::string device;  // capture device name; empty is the default
    RecordFormat format;
    VoiceFolders folders;
    int synchroLimit = 1;  // seconds the voice may be moved against the song
    int voiceThumb = 33;   // top of the voice volume thumb
};

// RecordDevice picks one of the capture devices (1-based), anything else
// the default; the devices are listed only when one is picked.
RecordingSettings RecordingSettingsFrom(const ThemeClass& settings);
RecordingSettings RecordingSettingsFrom(const ThemeClass& settings,
                                        const std::vector<std::string>& captureDevices);

// Voice volume thumb: its top runs 33..91.
inline constexpr int kVoiceThumbTop = 33;
inline constexpr int kVoiceThumbBottom = 91;
// 0 at the bottom, 95 at the top.
int VoiceVolumeFromThumb(int top);

// Synchronisation slider: 0..2 x rest; the rest position is no offset.
inline constexpr int kSynchroRest = 62;
inline constexpr int kSynchroMax = 2 * kSynchroRest;
// Seconds of voice offset for a slider position, within +-limit seconds.
float VoiceOffsetFromSlider(int position, int limitSeconds);

}  // namespace cx
