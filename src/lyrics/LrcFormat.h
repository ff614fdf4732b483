// LRC: the common lyrics format with [mm:ss.xx] line tags and optional
// <mm:ss.xx> word tags. Metadata tags are neither read nor written.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

// True for "m:ss", "mm:ss", "m:ss.hh" and "mm:ss.hh" (digits only).
bool IsLrcTimeTag(std::string_view tag);

// Seconds of a time tag by its length; 0 for other lengths.
double LrcTimeToSeconds(std::string_view tag);

// Reads LRC text (UTF-8) into `pieces` (placeholder at 0), sorted by time with
// line texts rebuilt. Fails when no timed line was found.
LyricsResult ParseLrcText(std::string_view text, PieceArray& pieces);

// Stable sort of pieces 1..N by StartTime.
void SortLyricsByTime(PieceArray& pieces);

// Reads the .lrc file beside the media file into `model` and runs the
// after-load steps.
LyricsResult LoadLrcFile(const std::filesystem::path& mediaPath, LyricsModel& model,
                         const AfterLoadContext& context, Codepage cp);

enum class LrcFlavour {
    Extended,  // [line time] on a line's first piece, <word time> on the others
    Plain,     // one [mm:ss] tag per line
};

// The LRC text of pieces 1..N, ending with CR LF.
std::string ExportLrc(const PieceArray& pieces, LrcFlavour flavour);

LyricsResult WriteLrcFile(const PieceArray& pieces, LrcFlavour flavour,
                          const std::filesystem::path& path, Codepage cp);

}  // namespace cx
