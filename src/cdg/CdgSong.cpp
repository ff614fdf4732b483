#include "cdg/CdgSong.h"

namespace cx {

CdgLoadResult LoadCdgSong(std::span<const std::uint8_t> bytes) {
    CdgLoadResult result;
    const std::size_t count = bytes.size() / kCdgPacketSize;
    if (count == 0) {
        result.error = "no complete CD+G packet (file shorter than 24 bytes)";
        return result;
    }
    if (count > kCdgMaxPackets) {
        result.error = "too long for a CD+G file (" + std::to_string(count) + " packets, at most " +
                       std::to_string(kCdgMaxPackets) + ")";
        return result;
    }
    CdgSong& song = result.song;
    song.packets.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        song.packets.push_back(NormalizePacket(bytes.data() + n * kCdgPacketSize));
        if (song.packets.back().IsGraphics()) {
            const auto number = static_cast<std::uint32_t>(n);
            song.schedule.push_back({number, CdgPacketTime(number)});
        }
    }
    result.ok = true;
    return result;
}

std::vector<std::uint32_t> CountInstructions(const CdgSong& song) {
    std::vector<std::uint32_t> counts(64, 0);
    for (const auto& entry : song.schedule) ++counts[song.packets[entry.packet].Instruction()];
    return counts;
}

}  // namespace cx
