#include "lyrics/SiblingFile.h"

#include "lyrics/LyricsText.h"
#include "platform/AtomicFile.h"

namespace cx {
namespace fs = std::filesystem;
namespace {

// A scan walks a tree depth first, so its open folders are at most as many as
// its depth; beyond this the oldest listings are simply dropped.
constexpr std::size_t kMaxListedFolders = 64;

}  // namespace

std::optional<fs::path> FindSiblingFile(const fs::path& path, std::string_view ext) {
    fs::path candidate = path;
    candidate.replace_extension(std::string(".") + std::string(ext));
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate;
    const fs::path dir = candidate.has_parent_path() ? candidate.parent_path() : fs::path(".");
    const std::string wanted = AsciiLower(candidate.filename().string());
    fs::directory_iterator it(dir, ec);
    if (ec) return std::nullopt;
    for (const auto& entry : it) {
        if (AsciiLower(entry.path().filename().string()) != wanted) continue;
        if (entry.is_regular_file(ec))
            return candidate.has_parent_path() ? entry.path() : entry.path().filename();
    }
    return std::nullopt;
}

std::optional<fs::path> SiblingFinder::Find(const fs::path& path, std::string_view ext) {
    fs::path candidate = path;
    candidate.replace_extension(std::string(".") + std::string(ext));
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate;
    const fs::path dir = candidate.has_parent_path() ? candidate.parent_path() : fs::path(".");
    const Listing& names = ListingOf(dir);
    const auto found = names.find(AsciiLower(candidate.filename().string()));
    if (found == names.end()) return std::nullopt;
    return candidate.has_parent_path() ? found->second : found->second.filename();
}

const SiblingFinder::Listing& SiblingFinder::ListingOf(const fs::path& dir) {
    const std::string key = dir.string();
    if (const auto known = m_folders.find(key); known != m_folders.end()) return known->second;
    if (m_folders.size() >= kMaxListedFolders) m_folders.clear();
    Listing& names = m_folders[key];
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc))
            names.emplace(AsciiLower(it->path().filename().string()), it->path());
    }
    return names;
}

TextFileRead ReadLyricsTextFile(const fs::path& path, CodepageChoice cp) {
    TextFileRead out;
    ReadResult r = ReadWholeFile(path, kMaxLyricsFileBytes);
    if (!r.bytes) {
        out.error = r.error;
        return out;
    }
    out.text = DecodeText(*r.bytes, cp);
    out.ok = true;
    return out;
}

LyricsResult WriteLyricsTextFile(const fs::path& path, std::string_view utf8, Codepage cp) {
    const EncodedText enc = EncodeLyricsText(utf8, cp, true);
    const std::string err = WriteFileAtomically(path, enc.bytes);
    if (!err.empty()) return LyricsResult::Fail(err);
    LyricsResult r = LyricsResult::Ok();
    r.warning = enc.warning;
    return r;
}

}  // namespace cx
