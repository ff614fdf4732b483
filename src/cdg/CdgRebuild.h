// Seeking: the screen as it stands after a given packet, without replaying
// the whole song.
#pragma once

#include <cstdint>

#include "cdg/CdgScreen.h"
#include "cdg/CdgSong.h"

namespace cx {

// True for a memory preset that repaints the whole screen (repeat value 0).
bool IsFullMemoryPreset(const CdgPacket& packet);

// Makes `screen` what it would be after dispatching packets 0..n (n is
// clamped to the last packet). Replays from the last full memory preset at
// or before n, restoring first the palette halves, border and fine offsets
// set before it. The channel filter of `screen` is kept and used.
void RebuildScreenAt(const CdgSong& song, std::uint32_t n, CdgScreen& screen);

}  // namespace cx
