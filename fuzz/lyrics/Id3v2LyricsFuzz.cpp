// ID3v2 lyrics reader over arbitrary bytes: must never crash or read past
// the bytes, timed pieces come out sorted, untimed words split into pieces.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/Id3v2Lyrics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const cx::Id3v2Lyrics read = cx::ReadId3v2Lyrics(bytes, cx::Codepage::Cp1250);
    for (std::size_t i = 2; i < read.Timed.size(); ++i)
        if (read.Timed[i - 1].StartTime > read.Timed[i].StartTime) __builtin_trap();
    if (read.Timed.size() > cx::kMaxSyltEntries + 1) __builtin_trap();
    (void)cx::SplitUntimedText(read.Untimed);
    return 0;
}
