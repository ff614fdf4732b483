// Finding a song's lyrics among all sources, and mapping a chosen lyrics
// file to the media file it belongs to.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/LrcFormat.h"
#include "lyrics/LyricsModel.h"
#include "lyrics/SungNotes.h"
#include "platform/Codepage.h"

namespace cx {

enum class LyricsSource { None, Lrs, LrsFile, Lrc, Kok, Lyrics3, Id3Sylt, Id3Uslt, UltraStar };

// "lrs", "lrs-file", "lrc", "kok", "lyrics3", "id3v2-sylt", "id3v2-uslt",
// "ultrastar" or "none".
const char* LyricsSourceName(LyricsSource source);

struct LoadLyricsResult {
    bool ok = false;
    LyricsSource source = LyricsSource::None;
    std::string reason;  // why nothing was loaded
    // Lyrics that were there but could not be used, one "file: why" each.
    std::vector<std::string> problems;
    // Words without times (source Id3Uslt, ok false): LF between lines.
    std::string untimed;
    LrcTags lrc;      // the LRC file's (or sing-along song file's) artist and title
    SungNotes notes;  // the notes to sing, when the song file writes them
};

// Fills `model` from the first source that gives lyrics: the LRS block inside
// the media file, the .lrs file beside it, the .lrc file, the .kok file, the
// Lyrics3 block, the synchronised lyrics of the ID3v2 tag. A block with no
// lyric lines still counts as found. An unreadable media file or a damaged
// LRS block stops the search. When none gives timed lyrics, the ID3v2 tag's
// plain words are returned as `untimed`.
LoadLyricsResult LoadLyrics(const std::filesystem::path& mediaPath, LyricsModel& model,
                            const AfterLoadContext& context, CodepageChoice cp);

// Reads the LRC-timed lyrics of the Lyrics3 block in a file's bytes. The
// heading and widest line are set in every case; success needs one piece.
// Reads a sing-along song file into `model` and `notes`; its bad lines come
// back in `problems` as "file: line N: why", its names in `names`.
LyricsResult LoadUltraStarFile(const std::filesystem::path& songFile, LyricsModel& model,
                               const AfterLoadContext& context, CodepageChoice cp, SungNotes& notes,
                               std::vector<std::string>& problems, LrcTags& names);

LyricsResult LoadMp3LyricsBlock(std::string_view fileBytes, LyricsModel& model,
                                const AfterLoadContext& context, CodepageChoice cp);

// A .lrc, .kok or .lrs path becomes the .mp3, .ogg or .mid beside it (the
// first that exists), a .cdg path the .mp3 beside it, a sing-along song
// file the audio it names; otherwise unchanged.
std::filesystem::path VerifyFile(const std::filesystem::path& path);

}  // namespace cx
