// What cbx's lyrics verbs do with a sing-along song file (.txt).
#pragma once

#include <filesystem>
#include <string>

#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx::cli {

// Reads the song's words into `model` (its bad lines go to stderr); false
// with `error` when it cannot be read.
bool ReadUltraStarLyrics(const std::filesystem::path& file, const AfterLoadContext& context,
                         LyricsModel& model, std::string& error, CodepageChoice cp);

// Prints the song's headers, tempo, audio and notes; gives the exit code.
int PrintUltraStarInfo(const std::filesystem::path& file, bool json, CodepageChoice cp);

}  // namespace cx::cli
