// LRS block parser and writer over arbitrary bytes: must never crash, and a
// parsed block must read back the same after writing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/LrsFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = cx::DecodeTextFile(bytes, cx::Codepage::Cp1250);
    cx::LyricsModel model;
    (void)cx::FindLrsBlock(text);
    if (cx::ParseLrsText(text, model, {})) {
        cx::PieceArray again;
        if (!cx::ParseLrsTextForEditor(cx::BuildLrsBlock(model.Lyrics), again)) __builtin_trap();
        if (again.size() != model.Lyrics.size()) __builtin_trap();
    }
    return 0;
}
