// The walk over the blocks at the end of an MP3 file (appended ID3v2 footer,
// Lyrics3 block, ID3v1 tag, our LRS and display blocks, the MIDI settings
// block) on arbitrary bytes: must never crash, and every place found must lie
// inside the file in the order the blocks are stored.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/DisplayBlock.h"
#include "lyrics/Id3v1.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/Lyrics3.h"
#include "midi/MidiSettingsBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const cx::Id3v1Split split = cx::SplitId3v1(file);
    if (split.body.size() + split.tag.size() != size) __builtin_trap();
    cx::Id3v1Values v1;
    if (!split.tag.empty() && !cx::ParseId3v1(split.tag, v1)) __builtin_trap();

    const cx::Lyrics3Block l3 = cx::ReadLyrics3(file);
    if (l3.Exists && l3.Offset + l3.Size > split.body.size()) __builtin_trap();

    // The tail as the tag reader sees it: only the last bytes of a larger file.
    const std::string_view tail =
        file.substr(size - std::min<std::size_t>(size, cx::kId3v1Size + 10));
    const long long v2 = cx::FindAppendedId3v2(tail, size);
    if (v2 >= 0 && static_cast<std::uint64_t>(v2) + 20 > size) __builtin_trap();
    (void)cx::FindAppendedId3v2(tail, std::uint64_t{size} + 4096);

    const cx::LrsBlockSearch lrs = cx::FindLrsBlock(split.body);
    if (lrs.span &&
        (lrs.span->begin > lrs.span->end || lrs.span->end + cx::kLrsEnd.size() > split.body.size()))
        __builtin_trap();

    cx::DisplayBlock display;
    if (cx::ReadDisplayBlock(split.body, "/music", cx::Codepage::Cp1252, display) &&
        display.Schedule.size() != display.Images.size())
        __builtin_trap();

    const std::string_view song = cx::StripSettingsBlock(file);
    if (song.size() > size || song != file.substr(0, song.size())) __builtin_trap();
    return 0;
}
