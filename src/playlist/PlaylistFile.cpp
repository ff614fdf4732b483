#include "playlist/PlaylistFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <map>

#include "platform/AtomicFile.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

std::string_view Trim(std::string_view s) {
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    };
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && Lower(s.substr(0, prefix.size())) == prefix;
}

// Splits decoded text into lines, accepting LF, CR LF and lone CR.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A leading integer of the text; -1 when there is none, it is negative or too large.
int LeadingSeconds(std::string_view s) {
    s = Trim(s);
    long long value = -1;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    (void)ptr;
    if (ec != std::errc() || value < 0 || value > INT_MAX) return -1;
    return static_cast<int>(value);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

bool IsWindowsAbsolute(std::string_view p) {
    const bool drive = p.size() >= 3 && p[1] == ':' && (p[2] == '\\' || p[2] == '/') &&
                       ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
    return drive || p.starts_with("\\\\");
}

std::string OneLine(std::string_view s) {
    std::string out(s);
    std::replace(out.begin(), out.end(), '\r', ' ');
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

std::string NormalFolder(const std::string& folder) {
    if (folder.empty()) return {};
    std::string s = fs::path(folder).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// A bare file name when the file lies in `folder`, else the path as it is.
std::string PathForWriting(const std::string& path, const std::string& folder) {
    const std::string normalFolder = NormalFolder(folder);
    if (normalFolder.empty()) return path;
    const fs::path p = fs::path(path).lexically_normal();
    if (p.has_filename() && NormalFolder(p.parent_path().string()) == normalFolder) {
        return p.filename().string();
    }
    return path;
}

enum class PlsField { File, Title, Length };

struct PlsSlot {
    PlaylistEntry entry;
    bool hasPath = false;
    bool hasTitle = false;
    bool hasLength = false;
};

void SetField(PlsSlot& slot, PlsField field, std::string_view value, const std::string& folder) {
    switch (field) {
        case PlsField::File:
            slot.entry.path = ResolvePlaylistPath(value, folder);
            slot.hasPath = true;
            break;
        case PlsField::Title:
            slot.entry.title = std::string(value);
            slot.hasTitle = true;
            break;
        case PlsField::Length:
            slot.entry.seconds = LeadingSeconds(value);
            slot.hasLength = true;
            break;
    }
}

bool HasField(const PlsSlot& slot, PlsField field) {
    switch (field) {
        case PlsField::File:
            return slot.hasPath;
        case PlsField::Title:
            return slot.hasTitle;
        case PlsField::Length:
            return slot.hasLength;
    }
    return false;
}

// Collects PLS fields into entries: numbered keys group by number, unnumbered
// ones attach to the latest "file" line (or wait for the next one).
class PlsCollector {
public:
    explicit PlsCollector(const std::string& folder) : m_folder(folder) {}

    // False when the entry cap is reached.
    bool Add(PlsField field, long number, std::string_view value) {
        if (number >= 0) return AddNumbered(field, number, value);
        if (field == PlsField::File) {
            if (!NewSlot()) return false;
            m_current = m_slots.size() - 1;
            SetField(m_slots[m_current], field, value, m_folder);
            for (const auto& [f, v] : m_pending) SetField(m_slots[m_current], f, v, m_folder);
            m_pending.clear();
            return true;
        }
        if (m_current < m_slots.size() && !HasField(m_slots[m_current], field)) {
            SetField(m_slots[m_current], field, value, m_folder);
        } else {
            m_pending.emplace_back(field, std::string(value));
        }
        return true;
    }

    std::vector<PlaylistEntry> Entries() {
        std::vector<PlaylistEntry> out;
        for (auto& slot : m_slots) {
            if (slot.hasPath && !slot.entry.path.empty()) out.push_back(std::move(slot.entry));
        }
        return out;
    }

private:
    bool NewSlot() {
        if (m_slots.size() >= kMaxPlaylistEntries) return false;
        m_slots.emplace_back();
        return true;
    }

    bool AddNumbered(PlsField field, long number, std::string_view value) {
        auto it = m_byNumber.find(number);
        if (it == m_byNumber.end()) {
            if (!NewSlot()) return false;
            it = m_byNumber.emplace(number, m_slots.size() - 1).first;
        }
        SetField(m_slots[it->second], field, value, m_folder);
        return true;
    }

    const std::string& m_folder;
    std::vector<PlsSlot> m_slots;
    std::map<long, std::size_t> m_byNumber;
    std::size_t m_current = SIZE_MAX;
    std::vector<std::pair<PlsField, std::string>> m_pending;
};

// Field and entry number of a PLS key; number -1 when the key has none.
bool ParsePlsKey(std::string_view rawName, PlsField& field, long& number) {
    const std::string name = Lower(Trim(rawName));
    std::string_view rest;
    if (name.starts_with("file")) {
        field = PlsField::File;
        rest = std::string_view(name).substr(4);
    } else if (name.starts_with("title")) {
        field = PlsField::Title;
        rest = std::string_view(name).substr(5);
    } else if (name.starts_with("length")) {
        field = PlsField::Length;
        rest = std::string_view(name).substr(6);
    } else {
        return false;
    }
    number = -1;
    long n = 0;
    const auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
    if (!rest.empty() && ec == std::errc() && ptr == rest.data() + rest.size() && n >= 0 &&
        n <= kMaxPlsEntryNumber) {
        number = n;
    }
    return true;
}

}  // namespace

PlaylistKind PlaylistKindForName(std::string_view fileName) {
    const std::string lower = Lower(fileName);
    const bool m3u = lower.ends_with("m3u") || lower.ends_with("m3u8");
    return m3u ? PlaylistKind::M3U : PlaylistKind::PLS;
}

bool IsPlaylistFileName(std::string_view fileName) {
    const std::string lower = Lower(fileName);
    return lower.ends_with(".m3u") || lower.ends_with(".m3u8") || lower.ends_with(".pls");
}

std::string ResolvePlaylistPath(std::string_view written, const std::string& folder) {
    const std::string_view p = Trim(written);
    if (p.empty()) return {};
    if (StartsWithNoCase(p, "file://")) {
        std::string local = PercentDecode(p.substr(7));
        // "file://host/path" is not ours to resolve; "file:///path" is a local path.
        return local.starts_with('/') ? local : std::string(p);
    }
    if (p.find("://") != std::string_view::npos || p.starts_with('/') || IsWindowsAbsolute(p)) {
        return std::string(p);
    }
    std::string relative(p);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    if (folder.empty()) return relative;
    // Only the written part is tidied: ".." across a symbolic link in the folder must stay.
    return (fs::path(folder) / fs::path(relative).lexically_normal()).string();
}

PlaylistParseResult ParseM3U(std::string_view bytes, const std::string& folder, Codepage cp) {
    PlaylistParseResult result;
    const std::string text = DecodeTextFile(bytes, cp);
    std::string pendingTitle;
    int pendingSeconds = -1;
    for (std::string_view raw : Lines(text)) {
        const std::string_view line = Trim(raw);
        if (line.empty()) continue;
        if (StartsWithNoCase(line, "#extinf")) {
            const std::string_view rest = line.substr(7);
            const auto comma = rest.find(',');
            const auto colon = rest.find(':');
            pendingSeconds = -1;
            if (colon != std::string_view::npos &&
                (comma == std::string_view::npos || colon < comma)) {
                pendingSeconds = LeadingSeconds(rest.substr(colon + 1, comma - colon - 1));
                // We write 0 for a song of unknown length; it reads back as unknown.
                if (pendingSeconds == 0) pendingSeconds = -1;
            }
            pendingTitle = comma == std::string_view::npos
                               ? std::string()
                               : std::string(Trim(rest.substr(comma + 1)));
            continue;
        }
        if (line.front() == '#') continue;
        if (result.entries.size() >= kMaxPlaylistEntries) {
            result.error = "more than " + std::to_string(kMaxPlaylistEntries) +
                           " entries; the rest was dropped";
            break;
        }
        result.entries.push_back({ResolvePlaylistPath(line, folder), pendingTitle, pendingSeconds});
        pendingTitle.clear();
        pendingSeconds = -1;
    }
    return result;
}

PlaylistParseResult ParsePLS(std::string_view bytes, const std::string& folder, Codepage cp) {
    PlaylistParseResult result;
    const std::string text = DecodeTextFile(bytes, cp);
    PlsCollector collector(folder);
    for (std::string_view raw : Lines(text)) {
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#' || line.front() == ';' || line.front() == '[')
            continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        PlsField field{};
        long number = -1;
        if (!ParsePlsKey(line.substr(0, eq), field, number)) continue;
        if (!collector.Add(field, number, Trim(line.substr(eq + 1)))) {
            result.error = "more than " + std::to_string(kMaxPlaylistEntries) +
                           " entries; the rest was dropped";
            break;
        }
    }
    result.entries = collector.Entries();
    return result;
}

PlaylistParseResult ParsePlaylist(PlaylistKind kind, std::string_view bytes,
                                  const std::string& folder, Codepage cp) {
    return kind == PlaylistKind::M3U ? ParseM3U(bytes, folder, cp) : ParsePLS(bytes, folder, cp);
}

std::string WriteM3U(const std::vector<PlaylistEntry>& entries, const std::string& folder,
                     Codepage cp) {
    std::string text = "#EXTM3U\r\n";
    for (const auto& e : entries) {
        // A line break inside a path cannot be written as M3U; such a path is left out.
        if (e.path.empty() || e.path.find_first_of("\r\n") != std::string::npos) continue;
        text +=
            "#EXTINF:" + std::to_string(std::max(0, e.seconds)) + "," + OneLine(e.title) + "\r\n";
        text += PathForWriting(e.path, folder) + "\r\n";
    }
    // Paths must survive the round trip: fall back to UTF-8 when the code page lacks a character.
    std::string encoded = EncodeCodepage(text, cp);
    if (DecodeCodepage(encoded, cp) == text) return encoded;
    return text;
}

PlaylistParseResult LoadPlaylistFile(const fs::path& path, Codepage cp) {
    ReadResult read = ReadWholeFile(path, kMaxPlaylistFileBytes);
    if (!read.bytes) return {{}, read.error};
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const std::string folder = (ec ? path : absolute).parent_path().string();
    return ParsePlaylist(PlaylistKindForName(path.filename().string()), *read.bytes, folder, cp);
}

std::string SavePlaylistFile(const fs::path& path, const std::vector<PlaylistEntry>& entries,
                             Codepage cp) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    const std::string folder = (ec ? path : absolute).parent_path().string();
    return WriteFileAtomically(path, WriteM3U(entries, folder, cp));
}

std::string WithM3uExtension(std::string name) {
    if (!Lower(name).ends_with(".m3u")) name += ".m3u";
    return name;
}

std::string FormatListTime(int seconds) {
    if (seconds < 0) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d", seconds / 60, seconds % 60);
    return buf;
}

int ParseListTime(std::string_view text) {
    text = Trim(text);
    long long total = 0;
    int parts = 0;
    while (!text.empty() || parts == 0) {
        const auto colon = text.find(':');
        const std::string_view part = text.substr(0, colon);
        int value = 0;
        const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || ec != std::errc() || ptr != part.data() + part.size() || value < 0) {
            return -1;
        }
        total = total * 60 + value;
        if (++parts > 3 || total > INT_MAX) return -1;
        if (colon == std::string_view::npos) break;
        text.remove_prefix(colon + 1);
        if (text.empty()) return -1;
    }
    return parts >= 2 ? static_cast<int>(total) : -1;
}

}  // namespace cx
