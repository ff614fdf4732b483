// Sing-along song reader over arbitrary bytes: must never crash, and what it
// gives holds together: notes in start order, each naming a real line and
// piece, every time finite, the warnings capped.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lyrics/UltraStar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)cx::LooksLikeUltraStar(bytes);
    const cx::UltraStarRead r = cx::ReadUltraStar(bytes, cx::Codepage::Cp1252);
    const cx::UltraStarSong& s = r.song;
    if (s.Warnings.size() > cx::kMaxUltraStarWarnings || s.Warnings.size() > s.BadLines)
        __builtin_trap();
    if (!r.ok) return 0;
    const auto pieces = static_cast<int>(s.Pieces.size()) - 1;
    if (pieces < 1 || s.Notes.Notes.empty() || s.Notes.Notes.size() > cx::kMaxSungNotes)
        __builtin_trap();
    double last = -INFINITY;
    for (const cx::SungNote& n : s.Notes.Notes) {
        if (!std::isfinite(n.StartTime) || !std::isfinite(n.Length) || n.StartTime < last)
            __builtin_trap();
        if (n.Line < 0 || n.Line >= s.Notes.LineCount || n.Piece < 0 || n.Piece > pieces)
            __builtin_trap();
        if (n.Pitch < 0 || n.Pitch > 127) __builtin_trap();
        last = n.StartTime;
    }
    for (int i = 1; i <= pieces; ++i)
        if (!std::isfinite(s.Pieces[static_cast<std::size_t>(i)].StartTime)) __builtin_trap();
    if (!s.Pieces.back().LineBreak) __builtin_trap();
    return 0;
}
