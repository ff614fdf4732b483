#include "cdg/CdgScreen.h"

#include <algorithm>
#include <cstring>

namespace cx {

namespace {
constexpr std::uint8_t kIndexMask = 0x0F;
constexpr std::uint8_t kAllBits = 0x3F;
constexpr int kScrollOne = 1;  // right / down
constexpr int kScrollTwo = 2;  // left / up
constexpr int kColorsPerHalf = 8;
}  // namespace

std::uint32_t CdgColorFromEntry(std::uint8_t first, std::uint8_t second) {
    const std::uint32_t r = (first >> 2) & 0x0F;
    const std::uint32_t g = ((first & 0x03) << 2) | ((second >> 4) & 0x03);
    const std::uint32_t b = second & 0x0F;
    return (r * 17) << 16 | (g * 17) << 8 | (b * 17);
}

CdgScreen::CdgScreen() {
    m_showChannel[0] = true;
    m_showChannel[1] = true;
}

void CdgScreen::ClearScreen() {
    m_pixels.fill(0);
    m_palette.fill(0);
    m_border = 0;
    m_hOffset = 0;
    m_vOffset = 0;
    m_drawn = false;
    ++m_revision;
}

bool CdgScreen::Dispatch(const CdgPacket& packet) {
    if (!packet.IsGraphics()) return false;
    switch (static_cast<CdgInstruction>(packet.Instruction())) {
        case CdgInstruction::MemoryPreset:
            PresetMemory(packet);
            return true;
        case CdgInstruction::BorderPreset:
            PresetBorder(packet);
            return true;
        case CdgInstruction::TileBlock:
        case CdgInstruction::TileBlockXor:
            DrawTileBlock(packet);
            return true;
        case CdgInstruction::ScrollPreset:
        case CdgInstruction::ScrollCopy:
            ScrollScreen(packet);
            return true;
        case CdgInstruction::DefineTransparent:
            DefineTransparent();
            return true;
        case CdgInstruction::LoadColorsLow:
            LoadColorTable(packet, false);
            return true;
        case CdgInstruction::LoadColorsHigh:
            LoadColorTable(packet, true);
            return true;
    }
    return false;
}

void CdgScreen::PresetMemory(const CdgPacket& packet) {
    // Discs repeat the preset for robustness; only the first (repeat 0) acts.
    if (packet.Data(1) != 0) return;
    // The whole grid takes the colour, so a seek that replays from here
    // gives exactly the picture of playing through; the border ring keeps
    // its own colour on screen.
    m_pixels.fill(packet.Data(0) & kIndexMask);
    m_drawn = true;
    ++m_revision;
}

void CdgScreen::PresetBorder(const CdgPacket& packet) {
    m_border = packet.Data(0) & kIndexMask;
    m_drawn = true;
    ++m_revision;
}

void CdgScreen::DefineTransparent() {
    m_border = 0;
    ++m_revision;
}

void CdgScreen::FillRow(int x, int y, std::uint8_t index) {
    std::memset(&m_pixels[y * kCdgWidth + x], index, kCdgTileWidth);
}

void CdgScreen::DrawTileBlock(const CdgPacket& packet) {
    if (!m_showChannel[packet.Channel() & kIndexMask]) return;
    const int row = packet.Data(2);
    const int column = packet.Data(3);
    if (row >= kCdgRows || column >= kCdgColumns) return;
    const std::uint8_t color0 = packet.Data(0) & kIndexMask;
    const std::uint8_t color1 = packet.Data(1) & kIndexMask;
    const bool xorMode = packet.Is(CdgInstruction::TileBlockXor);
    const int x0 = column * kCdgTileWidth;
    const int y0 = row * kCdgTileHeight;
    for (int k = 0; k < kCdgTileHeight; ++k) {
        const std::uint8_t bits = packet.Data(4 + k) & kAllBits;
        if (!xorMode && (bits == 0 || bits == kAllBits)) {
            FillRow(x0, y0 + k, bits ? color1 : color0);
            continue;
        }
        std::uint8_t* line = &m_pixels[(y0 + k) * kCdgWidth + x0];
        for (int p = 0; p < kCdgTileWidth; ++p) {
            // The leftmost pixel takes the highest of the six bits.
            const bool set = (bits >> (kCdgTileWidth - 1 - p)) & 1;
            const std::uint8_t index = set ? color1 : color0;
            line[p] = xorMode ? static_cast<std::uint8_t>(line[p] ^ index) : index;
        }
    }
    m_drawn = true;
    ++m_revision;
}

void CdgScreen::ShiftColumns(int command, bool copy, std::uint8_t fill) {
    if (command != kScrollOne && command != kScrollTwo) return;
    const bool right = command == kScrollOne;
    std::uint8_t saved[kCdgTileWidth];
    for (int y = 0; y < kCdgHeight; ++y) {
        std::uint8_t* line = &m_pixels[y * kCdgWidth];
        const int shifted = kCdgWidth - kCdgTileWidth;
        if (right) {
            std::memcpy(saved, line + shifted, kCdgTileWidth);
            std::memmove(line + kCdgTileWidth, line, shifted);
            std::uint8_t* vacated = line;
            copy ? std::memcpy(vacated, saved, kCdgTileWidth)
                 : std::memset(vacated, fill, kCdgTileWidth);
        } else {
            std::memcpy(saved, line, kCdgTileWidth);
            std::memmove(line, line + kCdgTileWidth, shifted);
            std::uint8_t* vacated = line + shifted;
            copy ? std::memcpy(vacated, saved, kCdgTileWidth)
                 : std::memset(vacated, fill, kCdgTileWidth);
        }
    }
}

void CdgScreen::ShiftRows(int command, bool copy, std::uint8_t fill) {
    if (command != kScrollOne && command != kScrollTwo) return;
    constexpr std::size_t kBand = std::size_t{kCdgWidth} * kCdgTileHeight;
    constexpr std::size_t kShifted = std::size_t{kCdgWidth} * kCdgHeight - kBand;
    std::array<std::uint8_t, kBand> saved;
    std::uint8_t* base = m_pixels.data();
    std::uint8_t* vacated;
    if (command == kScrollOne) {  // down
        std::memcpy(saved.data(), base + kShifted, kBand);
        std::memmove(base + kBand, base, kShifted);
        vacated = base;
    } else {  // up
        std::memcpy(saved.data(), base, kBand);
        std::memmove(base, base + kBand, kShifted);
        vacated = base + kShifted;
    }
    copy ? std::memcpy(vacated, saved.data(), kBand) : std::memset(vacated, fill, kBand);
}

void CdgScreen::ScrollScreen(const CdgPacket& packet) {
    const bool copy = packet.Is(CdgInstruction::ScrollCopy);
    const std::uint8_t fill = packet.Data(0) & kIndexMask;
    const int hCommand = (packet.Data(1) >> 4) & 3;
    const int vCommand = (packet.Data(2) >> 4) & 3;
    ShiftColumns(hCommand, copy, fill);
    ShiftRows(vCommand, copy, fill);
    // Every scroll packet carries the fine offsets that hold after it; a
    // coarse shift comes with the offset that goes with it (normally 0).
    SetOffsets(packet.Data(1) & 0x0F, packet.Data(2) & 0x0F);
    ++m_revision;
}

void CdgScreen::SetPaletteHalf(const CdgPacket& packet, bool highHalf) {
    const int first = highHalf ? kColorsPerHalf : 0;
    for (int i = 0; i < kColorsPerHalf; ++i) {
        m_palette[first + i] = CdgColorFromEntry(packet.Data(2 * i), packet.Data(2 * i + 1));
    }
    ++m_revision;
}

void CdgScreen::LoadColorTable(const CdgPacket& packet, bool highHalf) {
    // Pixels hold indices, so the whole screen takes the new colours at once.
    SetPaletteHalf(packet, highHalf);
}

void CdgScreen::SetBorderIndex(std::uint8_t index) {
    m_border = index & kIndexMask;
    ++m_revision;
}

void CdgScreen::SetOffsets(int h, int v) {
    m_hOffset = std::clamp(h, 0, kCdgMaxHOffset);
    m_vOffset = std::clamp(v, 0, kCdgMaxVOffset);
    ++m_revision;
}

bool CdgScreen::ShowChannel(int channel) const {
    return channel >= 0 && channel < kCdgChannels && m_showChannel[channel];
}

void CdgScreen::SetShowChannel(int channel, bool on) {
    if (channel >= 0 && channel < kCdgChannels) m_showChannel[channel] = on;
}

bool CdgScreen::SameState(const CdgScreen& other) const {
    return m_pixels == other.m_pixels && m_palette == other.m_palette &&
           m_showChannel == other.m_showChannel && m_border == other.m_border &&
           m_hOffset == other.m_hOffset && m_vOffset == other.m_vOffset && m_drawn == other.m_drawn;
}

void CdgScreen::ComposeRgb(std::uint32_t* out) const {
    constexpr std::uint32_t kOpaque = 0xFF000000u;
    std::array<std::uint32_t, kCdgColors> argb;
    for (int i = 0; i < kCdgColors; ++i) argb[i] = kOpaque | m_palette[i];
    const std::uint32_t border = argb[m_border];
    for (int y = 0; y < kCdgHeight; ++y) {
        std::uint32_t* line = out + y * kCdgWidth;
        if (y < kCdgTileHeight || y >= kCdgHeight - kCdgTileHeight) {
            std::fill(line, line + kCdgWidth, border);
            continue;
        }
        // Inside the ring the offsets look further right and down; they stay
        // inside the grid because the ring is as wide as the largest offset.
        const std::uint8_t* src = &m_pixels[(y + m_vOffset) * kCdgWidth + m_hOffset];
        std::fill(line, line + kCdgTileWidth, border);
        for (int x = kCdgTileWidth; x < kCdgWidth - kCdgTileWidth; ++x) line[x] = argb[src[x]];
        std::fill(line + kCdgWidth - kCdgTileWidth, line + kCdgWidth, border);
    }
}

}  // namespace cx
