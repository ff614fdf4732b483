// A song's voice file: a 16-bit PCM WAV that runs in step with the song from
// its start. A take is placed into it at the song time where it began; a new
// file is silence elsewhere, an existing one keeps every sample the take
// does not cover.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "recording/RecordFormat.h"

namespace cx {

struct VoiceFileResult {
    bool ok = false;
    std::string bytes;   // the whole new file when ok
    std::string reason;  // why not, when !ok
};

// A new voice file for a song of `songSeconds`: silence up to `startSeconds`,
// the take, silence to the song's end. A take running past the end is kept
// whole and the file grows with it.
VoiceFileResult BuildVoiceFile(const RecordFormat& format, double songSeconds, double startSeconds,
                               std::string_view takeSamples);

// `existing` with the take written over it from `startSeconds`; the rest is
// kept byte for byte. Refuses a file of another format: mixing rates or
// channel counts would turn both recordings into noise.
VoiceFileResult UpdateVoiceFile(std::string_view existing, const RecordFormat& takeFormat,
                                double startSeconds, std::string_view takeSamples);

// The file-level step after a recording stops: reads the take (a WAV),
// builds or updates `voicePath` through a temporary file and a rename, then
// deletes the take. On failure the take is left where it is and the reason
// is returned; an empty string means success.
std::string PlaceTake(const std::filesystem::path& takePath, const std::filesystem::path& voicePath,
                      double songSeconds, double startSeconds);

}  // namespace cx
