// LRC parser over arbitrary bytes: must never crash, pieces come out sorted,
// and the extended export reads back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/LrcFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = cx::DecodeTextFile(bytes, cx::Codepage::Cp1252);
    cx::PieceArray pieces;
    if (!cx::ParseLrcText(text, pieces)) return 0;
    for (std::size_t i = 2; i < pieces.size(); ++i)
        if (pieces[i - 1].StartTime > pieces[i].StartTime) __builtin_trap();
    (void)cx::ExportLrc(pieces, cx::LrcFlavour::Plain);
    cx::PieceArray again;
    if (!cx::ParseLrcText(cx::ExportLrc(pieces, cx::LrcFlavour::Extended), again)) __builtin_trap();
    return 0;
}
