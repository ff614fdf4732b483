// KOK: semicolon-separated karaoke lyrics, "text;12,5000;" per piece and
// one text line per lyrics line.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

// "##,####", "###,####" or "####,####".
bool IsKokTimeField(std::string_view field);

// Reads KOK text (UTF-8) into `pieces`; fails when no text field was found.
// Pieces keep file order.
LyricsResult ParseKokText(std::string_view text, PieceArray& pieces);

// Reads the .kok file beside the media file into `model`, sets KokTiming and
// runs the after-load steps on success.
LyricsResult LoadKokFile(const std::filesystem::path& mediaPath, LyricsModel& model,
                         const AfterLoadContext& context, CodepageChoice cp);

// The KOK text of pieces 1..N: at least two digits before the comma, so
// that every time reads back as a time; no CR LF after the last line.
std::string ExportKok(const PieceArray& pieces);

LyricsResult WriteKokFile(const PieceArray& pieces, const std::filesystem::path& path, Codepage cp);

}  // namespace cx
