// The packet list and graphics schedule of a .cdg file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cdg/CdgPacket.h"

namespace cx {

// Three hours of packets; longer files are refused rather than loaded.
inline constexpr std::size_t kCdgMaxPackets = std::size_t{kCdgPacketsPerSecond} * 60 * 60 * 3;

// One graphics packet in the schedule: its number and when it is due.
struct CdgScheduleEntry {
    std::uint32_t packet = 0;
    double seconds = 0.0;
};

struct CdgSong {
    std::vector<CdgPacket> packets;          // every packet of the file, normalised
    std::vector<CdgScheduleEntry> schedule;  // the graphics packets, in file order

    std::uint32_t PacketCount() const { return static_cast<std::uint32_t>(packets.size()); }
    double DurationSeconds() const { return CdgPacketTime(PacketCount()); }
    bool Empty() const { return packets.empty(); }
};

struct CdgLoadResult {
    bool ok = false;
    std::string error;  // why loading failed, when !ok
    CdgSong song;
};

// Builds the packet list from the bytes of a .cdg file. A trailing partial
// packet is dropped; a file without a whole packet or longer than
// kCdgMaxPackets is refused.
CdgLoadResult LoadCdgSong(std::span<const std::uint8_t> bytes);

// How many graphics packets carry each instruction code (index = code 0..63).
std::vector<std::uint32_t> CountInstructions(const CdgSong& song);

}  // namespace cx
