// Plain words to pieces and back: the editor's split and merge rules.
#pragma once

#include <string>
#include <string_view>

#include "lyrics/LyricsModel.h"

namespace cx {

// Lines and words of plain text: more than this is not lyrics.
inline constexpr std::size_t kMaxSplitPieces = 20000;

// Appends one piece per word of `text` to `pieces` (placeholder at 0): lines
// end at CR LF (or a lone LF or CR, as other editors write them), words at
// spaces. Every word but the last of its line gets one trailing space; the
// last carries the line break. An empty line becomes an empty piece with a
// break. Times are 0. Returns the number of pieces added.
int SplitToLyrics(std::string_view text, PieceArray& pieces);

// The reverse: piece texts in order, CR LF after every line break; an empty
// piece is an empty line of its own.
std::string MergeToText(const PieceArray& pieces);

// A piece text as the piece editor takes it: "[" and "]" would break the
// stored format, so they are dropped.
std::string WithoutBrackets(std::string_view text);

}  // namespace cx
