// Both playlist readers on arbitrary bytes, then a write and re-read of what they found.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "playlist/PlaylistFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (auto kind : {cx::PlaylistKind::M3U, cx::PlaylistKind::PLS}) {
        const auto r = cx::ParsePlaylist(kind, bytes, "/fuzz", cx::Codepage::Cp1250);
        const std::string written = cx::WriteM3U(r.entries, "/fuzz", cx::Codepage::Cp1250);
        (void)cx::ParseM3U(written, "/fuzz", cx::Codepage::Cp1250);
    }
    (void)cx::ParseListTime(bytes);
    return 0;
}
