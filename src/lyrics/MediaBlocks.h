// Text blocks stored inside a user's media file: the LRS lyrics block and the
// song display block. Both stand before an MP3's ID3v1 tag; a new save
// replaces the last block of its kind and keeps everything else. The file is
// rewritten through a temporary file and an atomic rename.
#pragma once

#include <filesystem>

#include "lyrics/DisplayBlock.h"
#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

// Translation key of the message for a destination that is not audio.
inline constexpr const char* kErrorAudioFileKey = "ErrorAudioFile";

// Stores pieces 1..N as an LRS block inside the media file.
LyricsResult WriteLrsIntoMedia(const PieceArray& pieces, const std::filesystem::path& mediaPath,
                               Codepage cp);

// Stores the display block inside the media file.
LyricsResult WriteDisplayBlock(const DisplayBlock& block, const std::filesystem::path& mediaPath,
                               Codepage cp);

}  // namespace cx
