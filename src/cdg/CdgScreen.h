// The CD+G screen model: colour indices of a 300 x 216 tile screen, the
// 16-colour palette, the border, the fine scroll offsets and the channel
// filter, changed one graphics packet at a time.
#pragma once

#include <array>
#include <cstdint>

#include "cdg/CdgPacket.h"

namespace cx {

inline constexpr int kCdgTileWidth = 6;
inline constexpr int kCdgTileHeight = 12;
inline constexpr int kCdgColumns = 50;
inline constexpr int kCdgRows = 18;
inline constexpr int kCdgWidth = kCdgColumns * kCdgTileWidth;  // 300
inline constexpr int kCdgHeight = kCdgRows * kCdgTileHeight;   // 216
inline constexpr int kCdgColors = 16;
inline constexpr int kCdgChannels = 16;
// Fine scroll offsets never exceed one tile less a pixel.
inline constexpr int kCdgMaxHOffset = kCdgTileWidth - 1;
inline constexpr int kCdgMaxVOffset = kCdgTileHeight - 1;

// 0x00RRGGBB of a colour-table entry made of two 6-bit bytes (12 bits of
// red, green and blue, each component scaled 0..15 -> 0..255).
std::uint32_t CdgColorFromEntry(std::uint8_t first, std::uint8_t second);

class CdgScreen {
public:
    using Pixels = std::array<std::uint8_t, kCdgWidth * kCdgHeight>;
    using Palette = std::array<std::uint32_t, kCdgColors>;

    CdgScreen();

    // Every pixel to 0, palette black, border 0, no offsets, nothing drawn.
    // The channel filter is kept.
    void ClearScreen();

    // Applies one packet; non-graphics packets and unknown instructions are
    // ignored. Returns true when the packet was a known graphics instruction.
    bool Dispatch(const CdgPacket& packet);

    // Instruction handlers (the packet is already normalised).
    void PresetMemory(const CdgPacket& packet);
    void PresetBorder(const CdgPacket& packet);
    void DrawTileBlock(const CdgPacket& packet);
    void ScrollScreen(const CdgPacket& packet);
    void LoadColorTable(const CdgPacket& packet, bool highHalf);
    void DefineTransparent();

    bool ShowChannel(int channel) const;
    void SetShowChannel(int channel, bool on);

    std::uint8_t Pixel(int x, int y) const { return m_pixels[y * kCdgWidth + x]; }
    const Pixels& PixelIndices() const { return m_pixels; }
    const Palette& Colors() const { return m_palette; }
    std::uint8_t BorderIndex() const { return m_border; }
    int HOffset() const { return m_hOffset; }
    int VOffset() const { return m_vOffset; }
    // True once a preset or tile has drawn something since the last clear.
    bool Drawn() const { return m_drawn; }
    // Grows with every visible change, so a window repaints only when needed.
    std::uint64_t Revision() const { return m_revision; }

    // Restores the state that survives a full memory preset; used by seeking.
    void SetPaletteHalf(const CdgPacket& packet, bool highHalf);
    void SetBorderIndex(std::uint8_t index);
    void SetOffsets(int h, int v);

    // The visible picture as 0xFFRRGGBB: the drawing area seen through the
    // fine offsets, framed by the border ring in the border colour.
    void ComposeRgb(std::uint32_t* out) const;

    // Same pixels, palette, border, offsets and channels (ignores Revision).
    bool SameState(const CdgScreen& other) const;

private:
    void FillRow(int x, int y, std::uint8_t index);
    void ShiftColumns(int command, bool copy, std::uint8_t fill);
    void ShiftRows(int command, bool copy, std::uint8_t fill);

    Pixels m_pixels{};
    Palette m_palette{};
    std::array<bool, kCdgChannels> m_showChannel{};
    std::uint8_t m_border = 0;
    int m_hOffset = 0;
    int m_vOffset = 0;
    bool m_drawn = false;
    std::uint64_t m_revision = 0;
};

}  // namespace cx
