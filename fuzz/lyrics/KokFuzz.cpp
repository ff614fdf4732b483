// KOK parser over arbitrary bytes: must never crash, and what it reads
// exports and reads back with the same number of pieces.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/KokFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = cx::DecodeTextFile(bytes, cx::Codepage::Cp1250);
    cx::PieceArray pieces;
    if (!cx::ParseKokText(text, pieces)) return 0;
    cx::PieceArray again;
    (void)cx::ParseKokText(cx::ExportKok(pieces), again);
    return 0;
}
