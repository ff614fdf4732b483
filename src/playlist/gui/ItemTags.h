// The display text and time of a playlist item, read from the song's tags.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/Codepage.h"

namespace cx {

struct ItemTags {
    std::string text;  // "artist - title", the title alone, or empty to keep the item's text
    std::string time;  // "mm:ss"; empty when unknown
};

// Reads tags of one file; nothing when neither a title nor a length was found.
// Must be safe to call from a worker thread.
using TagReaderFn = std::function<std::optional<ItemTags>(const std::string& path)>;

// Reads an item the way the player reads the song it opens: MIDI and KAR files
// through the MIDI reader (title from the words track, length from the tempo
// map), MPEG audio measured by mpg123, other formats through TagLib. 8-bit
// texts (ID3v1, MIDI text events) are read in `codepage` unless they are UTF-8.
std::optional<ItemTags> ReadItemTags(const std::string& path, Codepage codepage);

// The same in code page 1252.
std::optional<ItemTags> ReadItemTags(const std::string& path);

// ReadItemTags bound to a code page, for TagFiller and UserList.
TagReaderFn ItemTagReader(Codepage codepage);

}  // namespace cx
