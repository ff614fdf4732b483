// WAV header reader over arbitrary bytes: must never crash, and what it
// reports must fit inside the file it was given.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/WavHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)cx::LooksLikeWav(bytes);
    // The reader sees only the head of a larger file, as it does for real songs.
    for (const std::uint64_t fileSize : {std::uint64_t{size}, std::uint64_t{size} * 3 + 7}) {
        const cx::WavHeader h = cx::ParseWavHeader(bytes, fileSize);
        if (!h.ok) continue;
        if (h.HeaderSize > fileSize) __builtin_trap();
        if (h.DataSize > fileSize - h.HeaderSize) __builtin_trap();
    }
    return 0;
}
