#include "playlist/LastList.h"

#include "platform/AtomicFile.h"

namespace cx {

namespace fs = std::filesystem;

std::vector<PlaylistEntry> EntriesOf(const FlatListModel& list) {
    std::vector<PlaylistEntry> entries;
    entries.reserve(list.Items().size());
    for (const auto& item : list.Items()) {
        entries.push_back({item.ListPath, item.ListString, ParseListTime(item.ListTime)});
    }
    return entries;
}

std::string BaseNameOf(const std::string& path) {
    std::string name = path;
    const auto slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() ? path : name;
}

int AppendEntries(FlatListModel& list, const std::vector<PlaylistEntry>& entries) {
    int added = 0;
    for (const auto& e : entries) {
        const std::string text = e.title.empty() ? BaseNameOf(e.path) : e.title;
        if (list.AddItem(text, FormatListTime(e.seconds), e.path) == 0) break;
        ++added;
    }
    return added;
}

std::string SaveLastList(const fs::path& folder, const FlatListModel& list) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return "cannot create " + folder.string() + ": " + ec.message();
    return SavePlaylistFile(folder / kLastListFileName, EntriesOf(list));
}

PlaylistParseResult LoadLastList(const fs::path& folder) {
    const fs::path file = folder / kLastListFileName;
    std::error_code ec;
    if (!fs::exists(file, ec)) return {};
    // The kept list is always M3U, whatever its name says.
    ReadResult read = ReadWholeFile(file, kMaxPlaylistFileBytes);
    PlaylistParseResult result =
        read.bytes ? ParseM3U(*read.bytes, folder.string()) : PlaylistParseResult{{}, read.error};
    if (result.error.empty()) return result;
    // What could not be read whole is moved aside, or the list saved at the
    // end of this run would take its place and the singer's list be lost.
    const fs::path aside = folder / (std::string(kLastListFileName) + ".unread");
    fs::rename(file, aside, ec);
    if (!ec) result.error += "; kept as " + aside.string();
    return result;
}

}  // namespace cx
