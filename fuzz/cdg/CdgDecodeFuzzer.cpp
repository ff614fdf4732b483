// Any byte sequence must load, play, seek and compose without a crash.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cdg/CdgPlayer.h"
#include "cdg/CdgRebuild.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cx::CdgLoadResult r = cx::LoadCdgSong(std::span(data, size));
    if (!r.ok) return 0;
    cx::CdgScreen screen;
    screen.SetShowChannel(size % cx::kCdgChannels, true);
    for (const auto& p : r.song.packets) screen.Dispatch(p);

    cx::CdgScreen rebuilt;
    rebuilt.SetShowChannel(size % cx::kCdgChannels, true);
    cx::RebuildScreenAt(r.song, r.song.PacketCount() - 1, rebuilt);
    if (!rebuilt.SameState(screen)) __builtin_trap();  // seeking must equal playing through

    cx::CdgPlayer player;
    std::string error;
    if (!player.LoadCDG(std::span(data, size), error)) __builtin_trap();
    player.PlayCDG();
    player.Tick(r.song.DurationSeconds() / 2);
    player.MoveCDG(static_cast<double>(data[0]) / 10.0);
    player.Tick(r.song.DurationSeconds() + 1.0);
    // One composition per input: it is the costly part and the same code for any state.
    std::vector<std::uint32_t> rgb(cx::kCdgWidth * cx::kCdgHeight);
    player.Screen().ComposeRgb(rgb.data());
    return 0;
}
