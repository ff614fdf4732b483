#include "cdg/CdgPacket.h"

namespace cx {

namespace {
constexpr std::uint8_t kSixBits = 0x3F;
constexpr std::uint8_t kFourBits = 0x0F;
}  // namespace

bool IsTileInstruction(std::uint8_t instruction) {
    return instruction == static_cast<std::uint8_t>(CdgInstruction::TileBlock) ||
           instruction == static_cast<std::uint8_t>(CdgInstruction::TileBlockXor);
}

CdgPacket NormalizePacket(const std::uint8_t* raw) {
    CdgPacket p;
    const std::uint8_t instruction = raw[kCdgInstructionByte] & kSixBits;
    const bool tile = IsTileInstruction(instruction);
    std::uint8_t channel = 0;
    if (tile) {
        // The channel's two high bits ride in colour 1, the low two in colour 0.
        channel = static_cast<std::uint8_t>(((raw[kCdgDataByte + 1] >> 4) & 3) * 4 +
                                            ((raw[kCdgDataByte] >> 4) & 3));
    }
    for (std::size_t i = 0; i < kCdgChannelByte; ++i) p.bytes[i] = raw[i] & kSixBits;
    if (tile) {
        p.bytes[kCdgDataByte] = raw[kCdgDataByte] & kFourBits;
        p.bytes[kCdgDataByte + 1] = raw[kCdgDataByte + 1] & kFourBits;
    }
    p.bytes[kCdgChannelByte] = channel;
    return p;
}

double CdgPacketTime(std::uint32_t n) {
    // Whole minutes and seconds first keep long songs exact to the packet.
    const std::uint32_t perMinute = kCdgPacketsPerSecond * 60;
    const std::uint32_t minutes = n / perMinute;
    const std::uint32_t seconds = (n % perMinute) / kCdgPacketsPerSecond;
    const std::uint32_t rest = n % kCdgPacketsPerSecond;
    return minutes * 60.0 + seconds + rest / static_cast<double>(kCdgPacketsPerSecond);
}

std::string_view CdgInstructionName(std::uint8_t instruction) {
    switch (static_cast<CdgInstruction>(instruction)) {
        case CdgInstruction::MemoryPreset:
            return "memory-preset";
        case CdgInstruction::BorderPreset:
            return "border-preset";
        case CdgInstruction::TileBlock:
            return "tile-block";
        case CdgInstruction::ScrollPreset:
            return "scroll-preset";
        case CdgInstruction::ScrollCopy:
            return "scroll-copy";
        case CdgInstruction::DefineTransparent:
            return "define-transparent";
        case CdgInstruction::LoadColorsLow:
            return "load-colors-low";
        case CdgInstruction::LoadColorsHigh:
            return "load-colors-high";
        case CdgInstruction::TileBlockXor:
            return "tile-block-xor";
    }
    return "unknown";
}

}  // namespace cx
