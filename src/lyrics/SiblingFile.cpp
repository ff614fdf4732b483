#include "lyrics/SiblingFile.h"

#include "lyrics/LyricsText.h"
#include "platform/AtomicFile.h"

namespace cx {
namespace fs = std::filesystem;

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
