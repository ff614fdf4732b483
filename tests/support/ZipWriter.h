// Test fixtures: zip archives written with libzip, member by member.
#pragma once

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace cx::test {

using ZipMembers = std::vector<std::pair<std::string, std::string>>;  // name, bytes

// Writes the members (deflated) into a new archive at `path`.
inline bool WriteZip(const std::filesystem::path& path, const ZipMembers& members) {
    int code = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z) return false;
    for (const auto& [name, bytes] : members) {
        // libzip reads the buffer at zip_close, so it must outlive this loop:
        // copy it. An empty member has no buffer (libzip would not free one).
        zip_source_t* source = nullptr;
        if (bytes.empty()) {
            source = zip_source_buffer(z, nullptr, 0, 0);
        } else {
            void* copy = std::malloc(bytes.size());
            std::memcpy(copy, bytes.data(), bytes.size());
            source = zip_source_buffer(z, copy, bytes.size(), 1);
        }
        if (!source || zip_file_add(z, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source) zip_source_free(source);
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

}  // namespace cx::test
