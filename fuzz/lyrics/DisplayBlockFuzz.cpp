// Display block reader over arbitrary bytes: must never crash, and the block
// it parses writes and reads back with the same pictures.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/DisplayBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cx::DisplayBlock block;
    if (!cx::ReadDisplayBlock(bytes, "/music", cx::Codepage::Cp1252, block)) return 0;
    if (block.Schedule.size() != block.Images.size()) __builtin_trap();
    cx::DisplayBlock back;
    (void)cx::ReadDisplayBlock(cx::BuildDisplayBlockText(block) + "\r\n", "/m",
                               cx::Codepage::Cp1252, back);
    return 0;
}
