#include "lyrics/SongTail.h"

#include <array>
#include <string_view>
#include <utility>

#include "lyrics/DisplayBlock.h"
#include "lyrics/LrsFormat.h"

namespace cx {
namespace {

// Each block's opening and closing markers.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kBlocks{{
    {kLrsBegin, kLrsEnd},
    {kDisplayBegin, kDisplayEnd},
    {"LYRICSBEGIN", "LYRICS200"},
}};

bool BlockCutOff(std::string_view tail) {
    for (const auto& [begin, end] : kBlocks) {
        if (tail.find(end) != std::string_view::npos && tail.find(begin) == std::string_view::npos)
            return true;
    }
    return false;
}

}  // namespace

ReadResult ReadSongTail(const std::filesystem::path& path) {
    bool whole = false;
    ReadResult tail = ReadFileTail(path, kSongTailBytes, &whole);
    if (!tail.bytes || whole || !BlockCutOff(*tail.bytes)) return tail;
    return ReadWholeFile(path);
}

}  // namespace cx
