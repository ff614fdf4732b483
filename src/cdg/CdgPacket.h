// One CD+G subcode packet and its normalisation at load time.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace cx {

inline constexpr std::size_t kCdgPacketSize = 24;
inline constexpr int kCdgPacketsPerSecond = 300;
// The low six bits of byte 0 of a graphics packet.
inline constexpr std::uint8_t kCdgGraphicsCommand = 9;

// Instruction codes (byte 1, low six bits) the decoder understands.
enum class CdgInstruction : std::uint8_t {
    MemoryPreset = 1,
    BorderPreset = 2,
    TileBlock = 6,
    ScrollPreset = 20,
    ScrollCopy = 24,
    DefineTransparent = 28,
    LoadColorsLow = 30,
    LoadColorsHigh = 31,
    TileBlockXor = 38,
};

// Byte offsets inside a packet.
inline constexpr std::size_t kCdgCommandByte = 0;
inline constexpr std::size_t kCdgInstructionByte = 1;
inline constexpr std::size_t kCdgDataByte = 4;  // 16 data bytes, 4..19
inline constexpr std::size_t kCdgChannelByte = 23;

// The 24 bytes of a packet. After `NormalizePacket` every byte holds only the
// bits the decoder uses, and byte 23 of a tile packet holds its channel.
struct CdgPacket {
    std::array<std::uint8_t, kCdgPacketSize> bytes{};

    std::uint8_t Command() const { return bytes[kCdgCommandByte]; }
    std::uint8_t Instruction() const { return bytes[kCdgInstructionByte]; }
    // Data byte i (0..15).
    std::uint8_t Data(std::size_t i) const { return bytes[kCdgDataByte + i]; }
    std::uint8_t Channel() const { return bytes[kCdgChannelByte]; }
    bool IsGraphics() const { return Command() == kCdgGraphicsCommand; }
    bool Is(CdgInstruction i) const { return Instruction() == static_cast<std::uint8_t>(i); }
};

// True for the two tile instructions, whose first two data bytes carry colour
// indices and the channel bits.
bool IsTileInstruction(std::uint8_t instruction);

// Reduces a raw packet to its used bits: six bits per byte, four bits for the
// colour bytes of a tile packet, and the tile channel (0..15) in byte 23.
CdgPacket NormalizePacket(const std::uint8_t* raw);

// Seconds at which packet `n` is due (300 packets a second).
double CdgPacketTime(std::uint32_t n);

// A short stable name for an instruction code ("tile-block-xor", ...), or
// "unknown".
std::string_view CdgInstructionName(std::uint8_t instruction);

}  // namespace cx
