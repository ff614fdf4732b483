#include "recording/RecordingSettings.h"

#include <algorithm>
#include <cmath>

#include "app/ThemeClass.h"
#include "recording/VoiceCapture.h"

namespace cx {

RecordingSettings RecordingSettingsFrom(const ThemeClass& settings,
                                        const std::vector<std::string>& captureDevices) {
    RecordingSettings r;
    // -1 is the system's default; 0.. index the capture devices.
    const int device = settings.RecordDevice;
    if (device >= 0 && static_cast<std::size_t>(device) < captureDevices.size())
        r.device = captureDevices[static_cast<std::size_t>(device)];
    r.format = RecordFormatFromSettings(settings.RecordQuality, settings.RecordMode);
    r.folders.besideSongs = settings.RecordFolder;
    r.folders.directory = settings.VoiceDirectory;
    r.synchroLimit = std::max<int>(1, settings.RecordSynchro);
    r.voiceThumb = settings.VoiceVolume;
    return r;
}

RecordingSettings RecordingSettingsFrom(const ThemeClass& settings) {
    std::string error;
    return RecordingSettingsFrom(settings, settings.RecordDevice >= 0
                                               ? VoiceCapture::ListDevices(error)
                                               : std::vector<std::string>{});
}

int VoiceVolumeFromThumb(int top) {
    const int t = std::clamp(top, kVoiceThumbTop, kVoiceThumbBottom);
    return static_cast<int>(std::lround((kVoiceThumbBottom - t) / 61.0 * 100.0));
}

float VoiceOffsetFromSlider(int position, int limitSeconds) {
    const int p = std::clamp(position, 0, kSynchroMax);
    return static_cast<float>(p - kSynchroRest) / kSynchroRest * static_cast<float>(limitSeconds);
}

}  // namespace cx
