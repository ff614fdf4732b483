#include "cdg/CdgRebuild.h"

#include <optional>

namespace cx {

bool IsFullMemoryPreset(const CdgPacket& packet) {
    return packet.IsGraphics() && packet.Is(CdgInstruction::MemoryPreset) && packet.Data(1) == 0;
}

namespace {

// What a full memory preset leaves untouched, found by scanning backwards.
struct CarriedState {
    std::optional<std::uint32_t> low, high, border, scroll;
    bool Complete() const { return low && high && border && scroll; }
};

CarriedState FindCarriedState(const CdgSong& song, std::uint32_t before) {
    CarriedState s;
    for (std::uint32_t i = before; i-- > 0 && !s.Complete();) {
        const CdgPacket& p = song.packets[i];
        if (!p.IsGraphics()) continue;
        switch (static_cast<CdgInstruction>(p.Instruction())) {
            case CdgInstruction::LoadColorsLow:
                s.low = s.low.value_or(i);
                break;
            case CdgInstruction::LoadColorsHigh:
                s.high = s.high.value_or(i);
                break;
            case CdgInstruction::BorderPreset:
            case CdgInstruction::DefineTransparent:
                s.border = s.border.value_or(i);
                break;
            case CdgInstruction::ScrollPreset:
            case CdgInstruction::ScrollCopy:
                s.scroll = s.scroll.value_or(i);
                break;
            default:
                break;
        }
    }
    return s;
}

void ApplyCarriedState(const CdgSong& song, const CarriedState& s, CdgScreen& screen) {
    if (s.low) screen.SetPaletteHalf(song.packets[*s.low], false);
    if (s.high) screen.SetPaletteHalf(song.packets[*s.high], true);
    if (s.border) {
        const CdgPacket& p = song.packets[*s.border];
        screen.SetBorderIndex(p.Is(CdgInstruction::BorderPreset) ? p.Data(0) : 0);
    }
    if (s.scroll) {
        const CdgPacket& p = song.packets[*s.scroll];
        screen.SetOffsets(p.Data(1) & 0x0F, p.Data(2) & 0x0F);
    }
}

}  // namespace

void RebuildScreenAt(const CdgSong& song, std::uint32_t n, CdgScreen& screen) {
    screen.ClearScreen();
    if (song.Empty()) return;
    if (n >= song.PacketCount()) n = song.PacketCount() - 1;
    std::uint32_t start = 0;
    for (std::uint32_t i = n + 1; i-- > 0;) {
        if (IsFullMemoryPreset(song.packets[i])) {
            start = i;
            ApplyCarriedState(song, FindCarriedState(song, i), screen);
            break;
        }
    }
    for (std::uint32_t i = start; i <= n; ++i) screen.Dispatch(song.packets[i]);
}

}  // namespace cx
