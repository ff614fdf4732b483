// Finding a song's lyrics among all sources, and mapping a chosen lyrics
// file to the media file it belongs to.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

enum class LyricsSource { None, Lrs, LrsFile, Lrc, Kok, Lyrics3 };

// "lrs", "lrs-file", "lrc", "kok", "lyrics3" or "none".
const char* LyricsSourceName(LyricsSource source);

struct LoadLyricsResult {
    bool ok = false;
    LyricsSource source = LyricsSource::None;
    std::string reason;  // why nothing was loaded
};

// Fills `model` from the first source that gives lyrics: the LRS block inside
// the media file, the .lrs file beside it, the .lrc file, the .kok file, the
// Lyrics3 block. A block with no lyric lines still counts as found. An
// unreadable media file or a damaged LRS block stops the search.
LoadLyricsResult LoadLyrics(const std::filesystem::path& mediaPath, LyricsModel& model,
                            const AfterLoadContext& context, Codepage cp);

// Reads the LRC-timed lyrics of the Lyrics3 block in a file's bytes. The
// heading and widest line are set in every case; success needs one piece.
LyricsResult LoadMp3LyricsBlock(std::string_view fileBytes, LyricsModel& model,
                                const AfterLoadContext& context, Codepage cp);

// A .lrc, .kok or .lrs path becomes the .mp3, .ogg or .mid beside it (the
// first that exists), a .cdg path the .mp3 beside it; otherwise unchanged.
std::filesystem::path VerifyFile(const std::filesystem::path& path);

}  // namespace cx
