#include "playlist/gui/ItemTags.h"

#include <cmath>

#include "lyrics/Mp3Class.h"
#include "midi/MidiInfo.h"
#include "playlist/PlaylistFile.h"

namespace cx {

std::optional<ItemTags> ReadItemTags(const std::string& path, Codepage codepage) {
    MP3Class song(codepage);
    song.SetMidiInspector(MidiInspectorFor(codepage));
    song.SetFilename(path);
    if (!song.ReadFile()) return std::nullopt;
    const MP3Info& info = song.Info();
    ItemTags tags;
    if (!info.Title.empty())
        tags.text = info.Artist.empty() ? info.Title : info.Artist + " - " + info.Title;
    // A song without a title still gets its length; its text stays the file name.
    if (info.Length > 0) tags.time = FormatListTime(static_cast<int>(std::floor(info.Length)));
    if (tags.text.empty() && tags.time.empty()) return std::nullopt;
    return tags;
}

std::optional<ItemTags> ReadItemTags(const std::string& path) {
    return ReadItemTags(path, Codepage::Cp1252);
}

TagReaderFn ItemTagReader(Codepage codepage) {
    return [codepage](const std::string& path) { return ReadItemTags(path, codepage); };
}

}  // namespace cx
