// Writes CD+G graphics files: packets built as a disc carries them, placed in
// time at 300 packets a second, with text drawn from a small tile font. Used
// for the demo song and for test fixtures.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "CdgFont.h"
#include "cdg/CdgPacket.h"
#include "cdg/CdgScreen.h"
#include "cdg/CdgSong.h"

namespace cx::cdgwrite {

using Packet = std::array<std::uint8_t, kCdgPacketSize>;
using TileRows = std::array<std::uint8_t, kCdgTileHeight>;
// Eight colours as 12-bit 0xRGB values.
using ColorHalf = std::array<std::uint16_t, 8>;

inline constexpr std::uint8_t kSixBits = 0x3F;
inline constexpr std::uint8_t kFourBits = 0x0F;
// The drawing area inside the border ring, in tiles.
inline constexpr int kFirstColumn = 1;
inline constexpr int kLastColumn = kCdgColumns - 2;
inline constexpr int kFirstRow = 1;
inline constexpr int kLastRow = kCdgRows - 2;
inline constexpr int kAreaColumns = kLastColumn - kFirstColumn + 1;  // 48

inline Packet GraphicsPacket(CdgInstruction instruction) {
    Packet p{};
    p[kCdgCommandByte] = kCdgGraphicsCommand;
    p[kCdgInstructionByte] = static_cast<std::uint8_t>(instruction);
    return p;
}

// A disc sends each memory preset several times, counting `repeat` up from 0.
inline Packet MemoryPresetPacket(std::uint8_t color, std::uint8_t repeat = 0) {
    Packet p = GraphicsPacket(CdgInstruction::MemoryPreset);
    p[kCdgDataByte] = color & kFourBits;
    p[kCdgDataByte + 1] = repeat & kFourBits;
    return p;
}

inline Packet BorderPresetPacket(std::uint8_t color) {
    Packet p = GraphicsPacket(CdgInstruction::BorderPreset);
    p[kCdgDataByte] = color & kFourBits;
    return p;
}

// Each entry takes two six-bit bytes: RRRRGG and GGBBBB.
inline Packet ColorTablePacket(bool highHalf, const ColorHalf& rgb) {
    Packet p =
        GraphicsPacket(highHalf ? CdgInstruction::LoadColorsHigh : CdgInstruction::LoadColorsLow);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        const int r = (rgb[i] >> 8) & 15, g = (rgb[i] >> 4) & 15, b = rgb[i] & 15;
        p[kCdgDataByte + 2 * i] = static_cast<std::uint8_t>((r << 2) | (g >> 2));
        p[kCdgDataByte + 2 * i + 1] = static_cast<std::uint8_t>(((g & 3) << 4) | b);
    }
    return p;
}

// One tile: pixels whose bit is set in `rows` take `color1`, the others
// `color0`; in XOR mode both are XORed into what is on screen. The channel's
// low two bits ride in the colour-0 byte, the high two in the colour-1 byte.
inline Packet TilePacket(int row, int column, std::uint8_t color0, std::uint8_t color1,
                         const TileRows& rows, bool xorMode = false, int channel = 0) {
    Packet p = GraphicsPacket(xorMode ? CdgInstruction::TileBlockXor : CdgInstruction::TileBlock);
    p[kCdgDataByte] = static_cast<std::uint8_t>((color0 & kFourBits) | ((channel & 3) << 4));
    p[kCdgDataByte + 1] =
        static_cast<std::uint8_t>((color1 & kFourBits) | (((channel >> 2) & 3) << 4));
    p[kCdgDataByte + 2] = static_cast<std::uint8_t>(row & kSixBits);
    p[kCdgDataByte + 3] = static_cast<std::uint8_t>(column & kSixBits);
    for (std::size_t k = 0; k < rows.size(); ++k) p[kCdgDataByte + 4 + k] = rows[k] & kSixBits;
    return p;
}

// The bits of tile (tileX, tileY) of the cell of `ch` drawn `scale` tiles
// wide and high. The glyph sits centred in the cell, one pixel per font
// pixel at scale 1, a square of scale x scale pixels at larger scales.
inline TileRows GlyphTile(char ch, int scale, int tileX, int tileY) {
    const GlyphRows& glyph = GlyphFor(ch);
    const int left = (kCdgTileWidth - kGlyphWidth) * scale / 2;
    const int top = (kCdgTileHeight - kGlyphHeight) * scale / 2;
    TileRows rows{};
    for (int k = 0; k < kCdgTileHeight; ++k) {
        const int gy = (tileY * kCdgTileHeight + k - top);
        if (gy < 0 || gy / scale >= kGlyphHeight) continue;
        for (int p = 0; p < kCdgTileWidth; ++p) {
            const int gx = tileX * kCdgTileWidth + p - left;
            if (gx < 0 || gx / scale >= kGlyphWidth) continue;
            if ((glyph[gy / scale] >> (kGlyphWidth - 1 - gx / scale)) & 1)
                rows[k] |= static_cast<std::uint8_t>(1 << (kCdgTileWidth - 1 - p));
        }
    }
    return rows;
}

// The first column that centres `length` characters of `scale` in the
// drawing area.
inline int CentredColumn(std::size_t length, int scale) {
    const int width = static_cast<int>(length) * scale;
    return kFirstColumn + std::max(0, (kAreaColumns - width) / 2);
}

class CdgWriter {
public:
    // Puts `packet` in the first free slot due at or after `seconds`: packets
    // placed earlier keep their slots, so place the ones whose timing matters
    // most first. Returns false when the time lies beyond the longest file.
    bool Place(double seconds, const Packet& packet) {
        std::size_t slot = SlotAt(seconds);
        while (slot < m_used.size() && m_used[slot]) ++slot;
        if (slot >= kCdgMaxPackets) return false;
        Grow(slot + 1);
        m_slots[slot] = packet;
        m_used[slot] = true;
        return true;
    }

    // The full-screen preset and `repeats - 1` copies a player ignores.
    void MemoryPreset(double seconds, std::uint8_t color, int repeats = 1) {
        for (int r = 0; r < repeats; ++r)
            Place(seconds, MemoryPresetPacket(color, static_cast<std::uint8_t>(r)));
    }

    void BorderPreset(double seconds, std::uint8_t color) {
        Place(seconds, BorderPresetPacket(color));
    }

    void Colors(double seconds, const ColorHalf& low, const ColorHalf& high) {
        Place(seconds, ColorTablePacket(false, low));
        Place(seconds, ColorTablePacket(true, high));
    }

    void Tile(double seconds, int row, int column, std::uint8_t color0, std::uint8_t color1,
              const TileRows& rows, bool xorMode = false, int channel = 0) {
        Place(seconds, TilePacket(row, column, color0, color1, rows, xorMode, channel));
    }

    // Draws `text` in `ink` on `paper`, its first cell at tile (row, column),
    // each character `scale` tiles wide and high. Every cell is drawn, so
    // spaces wipe what was there. Cells beyond the screen are left out.
    int Text(double seconds, int row, int column, std::string_view text, std::uint8_t ink,
             std::uint8_t paper, int scale = 1) {
        return Cells(seconds, row, column, text, scale, [&](char ch, int tx, int ty) {
            return TilePacket(0, 0, paper, ink, GlyphTile(ch, scale, tx, ty));
        });
    }

    // Turns the glyph pixels of `text` from colour `from` to colour `to` with
    // XOR tiles, leaving the paper alone; the same call again turns them back.
    // Tiles without glyph pixels are not sent.
    int Recolor(double seconds, int row, int column, std::string_view text, std::uint8_t from,
                std::uint8_t to, int scale = 1) {
        const auto change = static_cast<std::uint8_t>((from ^ to) & kFourBits);
        return Cells(seconds, row, column, text, scale, [&](char ch, int tx, int ty) {
            return TilePacket(0, 0, 0, change, GlyphTile(ch, scale, tx, ty), true);
        });
    }

    // Makes the file at least `seconds` long.
    void Extend(double seconds) { Grow(SlotAt(seconds)); }

    std::size_t PacketCount() const { return m_slots.size(); }

    // The file: every slot, the free ones as empty (non-graphics) packets.
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out;
        out.reserve(m_slots.size() * kCdgPacketSize);
        for (const Packet& p : m_slots) out.insert(out.end(), p.begin(), p.end());
        return out;
    }

private:
    static std::size_t SlotAt(double seconds) {
        if (!(seconds > 0)) return 0;
        const double slot = std::ceil(seconds * kCdgPacketsPerSecond - 1e-6);
        return slot >= static_cast<double>(kCdgMaxPackets) ? kCdgMaxPackets
                                                           : static_cast<std::size_t>(slot);
    }

    void Grow(std::size_t count) {
        count = std::min(count, kCdgMaxPackets);
        if (count <= m_slots.size()) return;
        m_slots.resize(count, Packet{});
        m_used.resize(count, false);
    }

    // Places one tile packet per tile of every character cell, skipping
    // empty XOR tiles, which would change nothing.
    template <class MakeTile>
    int Cells(double seconds, int row, int column, std::string_view text, int scale,
              MakeTile make) {
        int placed = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            for (int ty = 0; ty < scale; ++ty) {
                for (int tx = 0; tx < scale; ++tx) {
                    const int r = row + ty;
                    const int c = column + static_cast<int>(i) * scale + tx;
                    if (r < 0 || r >= kCdgRows || c < 0 || c >= kCdgColumns) continue;
                    Packet p = make(text[i], tx, ty);
                    const bool xorTile = p[kCdgInstructionByte] ==
                                         static_cast<std::uint8_t>(CdgInstruction::TileBlockXor);
                    const bool blank =
                        std::all_of(p.begin() + kCdgDataByte + 4, p.begin() + kCdgDataByte + 16,
                                    [](std::uint8_t b) { return b == 0; });
                    if (xorTile && blank) continue;
                    p[kCdgDataByte + 2] = static_cast<std::uint8_t>(r);
                    p[kCdgDataByte + 3] = static_cast<std::uint8_t>(c);
                    if (Place(seconds, p)) ++placed;
                }
            }
        }
        return placed;
    }

    std::vector<Packet> m_slots;
    std::vector<bool> m_used;
};

}  // namespace cx::cdgwrite
