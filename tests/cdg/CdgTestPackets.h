// Builders for raw CD+G packets, as a disc would carry them.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <vector>

#include "cdg/CdgPacket.h"
#include "cdg/CdgSong.h"

namespace cx::test {

using RawPacket = std::array<std::uint8_t, kCdgPacketSize>;

inline RawPacket Graphics(CdgInstruction instruction, std::initializer_list<std::uint8_t> data) {
    RawPacket p{};
    p[0] = kCdgGraphicsCommand;
    p[1] = static_cast<std::uint8_t>(instruction);
    std::size_t i = 4;
    for (std::uint8_t d : data) p[i++] = d;
    return p;
}

inline RawPacket MemoryPreset(std::uint8_t color, std::uint8_t repeat = 0) {
    return Graphics(CdgInstruction::MemoryPreset, {color, repeat});
}

inline RawPacket BorderPreset(std::uint8_t color) {
    return Graphics(CdgInstruction::BorderPreset, {color});
}

// A tile whose 12 rows all carry `rows` bits; `channel` goes into the high
// bits of the two colour bytes.
inline RawPacket Tile(int row, int column, std::uint8_t color0, std::uint8_t color1,
                      std::uint8_t rowBits, bool xorMode = false, int channel = 0) {
    RawPacket p = Graphics(xorMode ? CdgInstruction::TileBlockXor : CdgInstruction::TileBlock, {});
    p[4] = static_cast<std::uint8_t>(color0 | ((channel & 3) << 4));
    p[5] = static_cast<std::uint8_t>(color1 | (((channel >> 2) & 3) << 4));
    p[6] = static_cast<std::uint8_t>(row);
    p[7] = static_cast<std::uint8_t>(column);
    for (int k = 0; k < 12; ++k) p[8 + k] = rowBits;
    return p;
}

// Eight 12-bit colours 0xRGB into one half of the colour table.
inline RawPacket Colors(bool high, const std::array<std::uint16_t, 8>& rgb) {
    RawPacket p =
        Graphics(high ? CdgInstruction::LoadColorsHigh : CdgInstruction::LoadColorsLow, {});
    for (int i = 0; i < 8; ++i) {
        const int r = (rgb[i] >> 8) & 15, g = (rgb[i] >> 4) & 15, b = rgb[i] & 15;
        p[4 + 2 * i] = static_cast<std::uint8_t>((r << 2) | (g >> 2));
        p[5 + 2 * i] = static_cast<std::uint8_t>(((g & 3) << 4) | b);
    }
    return p;
}

inline RawPacket Scroll(bool copy, std::uint8_t color, int hCommand, int hOffset, int vCommand,
                        int vOffset) {
    return Graphics(copy ? CdgInstruction::ScrollCopy : CdgInstruction::ScrollPreset,
                    {color, static_cast<std::uint8_t>((hCommand << 4) | hOffset),
                     static_cast<std::uint8_t>((vCommand << 4) | vOffset)});
}

inline RawPacket Empty() {
    return RawPacket{};
}

inline std::vector<std::uint8_t> Bytes(const std::vector<RawPacket>& packets) {
    std::vector<std::uint8_t> out;
    for (const auto& p : packets) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline void WriteCdg(const std::filesystem::path& path, const std::vector<RawPacket>& packets) {
    // Plain streams: the fuzzers' seed maker shares these builders.
    const auto bytes = Bytes(packets);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline CdgSong SongOf(const std::vector<RawPacket>& packets) {
    return LoadCdgSong(Bytes(packets)).song;
}

inline CdgPacket Normal(const RawPacket& p) {
    return NormalizePacket(p.data());
}

}  // namespace cx::test
