#include "playlist/gui/ItemTags.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include "playlist/PlaylistFile.h"

namespace cx {

std::optional<ItemTags> ReadItemTags(const std::string& path) {
    TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Fast);
    if (file.isNull() || !file.tag()) return std::nullopt;
    const std::string title = file.tag()->title().to8Bit(true);
    const std::string artist = file.tag()->artist().to8Bit(true);
    if (title.empty()) return std::nullopt;
    ItemTags tags;
    tags.text = artist.empty() ? title : artist + " - " + title;
    if (file.audioProperties())
        tags.time = FormatListTime(file.audioProperties()->lengthInSeconds());
    return tags;
}

}  // namespace cx
