// LRC: the common lyrics format with [mm:ss.xx] line tags and optional
// <mm:ss.xx> word tags, and metadata lines such as [ar:Artist] or [offset:250].
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

// True for "m:ss" and "mm:ss", optionally followed by "." (or ":") and two
// or three fraction digits (digits only).
bool IsLrcTimeTag(std::string_view tag);

// Seconds of a time tag; 0 for a text that is not one.
double LrcTimeToSeconds(std::string_view tag);

// The metadata lines of an LRC text. They never become lyrics.
struct LrcTags {
    std::string Artist;  // [ar:]
    std::string Title;   // [ti:]
    std::string Album;   // [al:]
    std::string By;      // [by:]
    // [offset:+N] in milliseconds: positive shows the lyrics earlier.
    int OffsetMs = 0;
};

// The offset is capped so that a hostile tag cannot move times past any song.
inline constexpr int kMaxLrcOffsetMs = 24 * 3600 * 1000;

// Reads LRC text (UTF-8) into `pieces` (placeholder at 0), sorted by time with
// line texts rebuilt and the offset applied (times stay at 0 or later). Fails
// when no timed line was found. The metadata goes to `tags` when given.
LyricsResult ParseLrcText(std::string_view text, PieceArray& pieces, LrcTags* tags = nullptr);

// Stable sort of pieces 1..N by StartTime.
void SortLyricsByTime(PieceArray& pieces);

// Reads the .lrc file beside the media file into `model` and runs the
// after-load steps, the heading falling back on the file's [ar:] and [ti:].
// Its metadata goes to `tags` when given.
LyricsResult LoadLrcFile(const std::filesystem::path& mediaPath, LyricsModel& model,
                         AfterLoadContext context, CodepageChoice cp, LrcTags* tags = nullptr);

enum class LrcFlavour {
    Extended,  // [line time] on a line's first piece, <word time> on the others
    Plain,     // one [mm:ss] tag per line
};

// The LRC text of pieces 1..N, ending with CR LF. A non-zero offset is kept:
// written as its tag on the first line, the times written without it, so the
// file reads back to the same times.
std::string ExportLrc(const PieceArray& pieces, LrcFlavour flavour, int offsetMs = 0);

LyricsResult WriteLrcFile(const PieceArray& pieces, LrcFlavour flavour,
                          const std::filesystem::path& path, Codepage cp, int offsetMs = 0);

}  // namespace cx
