// The byte readers of MP3 tags: Lyrics3 block, ID3v1 tag, WAV header and the
// Lyrics3 lyrics loader. Must never crash; a block we write must read back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/Id3v1.h"
#include "lyrics/Lyrics3.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/WavHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const cx::Lyrics3Block block = cx::ReadLyrics3(bytes);
    if (block.Exists && block.Offset + block.Size > size) __builtin_trap();
    cx::Id3v1Values v;
    if (cx::HasId3v1(bytes)) (void)cx::ParseId3v1(bytes.substr(size - cx::kId3v1Size), v);
    (void)cx::ParseWavHeader(bytes, size);
    cx::LyricsModel model;
    (void)cx::LoadMp3LyricsBlock(bytes, model, {}, cx::Codepage::Cp1252);

    std::string error;
    const std::string written = cx::BuildLyrics3Block(
        {block.Author, block.Artist, block.Title, block.Album, block.Picture, block.Lyrics}, error);
    if (written.empty()) return 0;
    const std::string result = cx::ReplaceLyrics3(bytes, written);
    // "TAG" 128 bytes from the end is all that marks an ID3v1 tag, so other
    // bytes can pose as one; only a result without such a look-alike must read back.
    const bool posingTag = cx::HasId3v1(result) && !cx::HasId3v1(bytes);
    if (!posingTag && !cx::ReadLyrics3(result).Exists) __builtin_trap();
    return 0;
}
