// LRS: our own timed-lyrics block, framed by "#Cantabilex" and
// "#End Cantabilex", in a .lrs file or appended to the media file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "lyrics/LyricsModel.h"
#include "platform/Codepage.h"

namespace cx {

inline constexpr std::string_view kLrsBegin = "#Cantabilex";
inline constexpr std::string_view kLrsEnd = "#End Cantabilex";

// Where a block sits in a text: from the last "#Cantabilex" up to (not
// including) the last "#End Cantabilex".
struct LrsBlockSpan {
    std::size_t begin = 0;
    std::size_t end = 0;  // position of the end marker
};

// nullopt when either marker is missing; a failed result when the end
// marker stands before the opening one (a damaged block).
struct LrsBlockSearch {
    std::optional<LrsBlockSpan> span;
    bool damaged = false;
};
LrsBlockSearch FindLrsBlock(std::string_view text);

// Fills `model` from one block (UTF-8 text). Succeeds also for a block with
// no lyric lines; a line with text outside a tag fails and empties the model.
LyricsResult ParseLrsText(std::string_view block, LyricsModel& model,
                          const AfterLoadContext& context);

// The same grammar into an editor's working array, without the after-load steps.
LyricsResult ParseLrsTextForEditor(std::string_view block, PieceArray& pieces);

// The block text for pieces 1..N (UTF-8), without a CR LF after the end marker.
std::string BuildLrsBlock(const PieceArray& pieces);

// Writes a .lrs file (through a temporary file and a rename).
LyricsResult WriteLrsFile(const PieceArray& pieces, const std::filesystem::path& path, Codepage cp);

}  // namespace cx
