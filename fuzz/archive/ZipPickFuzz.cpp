// The road from archive bytes to the chosen song: libzip's listing of
// arbitrary bytes, then the member picker on what it found and on the input
// read as a list of names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "archive/ZipSong.h"

namespace {

void Check(const std::vector<std::string>& names) {
    const cx::ZipSongPick pick = cx::PickZipSong(names);
    if (pick.Kind == cx::ZipSongKind::None) {
        if (pick.Reason.empty()) std::abort();
        return;
    }
    if (pick.Song >= names.size()) std::abort();
    std::set<std::size_t> seen;
    for (std::size_t i : pick.Companions) {
        if (i >= names.size() || i == pick.Song || !seen.insert(i).second) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const cx::ZipListing listing = cx::ListZipBytes(data, size);
    if (listing.Ok) {
        std::vector<std::string> names;
        for (const auto& m : listing.Members) names.push_back(m.Name);
        Check(names);
    }
    std::vector<std::string> names(1);
    for (std::size_t i = 0; i < size && names.size() <= cx::kMaxZipMembers; ++i) {
        if (data[i] == '\n') {
            names.emplace_back();
        } else {
            names.back() += static_cast<char>(data[i]);
        }
    }
    Check(names);
    return 0;
}
