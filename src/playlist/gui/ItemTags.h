// The display text and time of a playlist item, read from the song's tags.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace cx {

struct ItemTags {
    std::string text;  // "artist - title", or the title alone
    std::string time;  // "mm:ss"; empty when unknown
};

// Reads tags of one file; nothing when the file has no usable title.
// Must be safe to call from a worker thread.
using TagReaderFn = std::function<std::optional<ItemTags>(const std::string& path)>;

// The reader used unless the program supplies another one.
std::optional<ItemTags> ReadItemTags(const std::string& path);

}  // namespace cx
