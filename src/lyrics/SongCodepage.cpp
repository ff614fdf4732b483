#include "lyrics/SongCodepage.h"

#include <unistd.h>

#include <charconv>

#include "lyrics/LyricsText.h"
#include "lyrics/MediaBlocks.h"
#include "platform/AtomicFile.h"

namespace cx {
namespace fs = std::filesystem;

// The file holds a number and a line end; anything longer is not ours.
inline constexpr std::size_t kMaxCodepageFileBytes = 64;

CodepageChoice SongCodepageChoice(int songCodepage, Codepage language) {
    if (const auto chosen = CodepageFromNumber(songCodepage)) return CodepageChoice::Fixed(*chosen);
    return CodepageChoice(language);
}

fs::path CodepageFilePath(const fs::path& media) {
    fs::path p = media;
    p += ".codepage";
    return p;
}

int ReadCodepageFile(const fs::path& media) {
    std::error_code ec;
    const fs::path path = CodepageFilePath(media);
    if (!fs::is_regular_file(path, ec)) return 0;
    const ReadResult r = ReadWholeFile(path, kMaxCodepageFileBytes);
    if (!r.bytes) return 0;
    const std::string_view text = *r.bytes;
    int number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return CodepageFromNumber(number) ? number : 0;
}

LyricsResult WriteCodepageFile(const fs::path& media, int songCodepage) {
    const fs::path path = CodepageFilePath(media);
    if (!CodepageFromNumber(songCodepage)) {
        std::error_code ec;
        fs::remove(path, ec);
        if (ec) return LyricsResult::Fail("cannot remove " + path.string() + ": " + ec.message());
        return LyricsResult::Ok();
    }
    const std::string err = WriteFileAtomically(path, std::to_string(songCodepage) + "\r\n");
    return err.empty() ? LyricsResult::Ok() : LyricsResult::Fail(err);
}

namespace {

std::string WithoutCodepage(DisplayBlock block) {
    block.Codepage = 0;
    return BuildDisplayBlockText(block);
}

// A file without any write permission is one its user keeps as it is, even
// where the system would let us write it.
bool CanWrite(const fs::path& path) {
    std::error_code ec;
    const fs::perms perms = fs::status(path, ec).permissions();
    if (ec) return false;
    constexpr fs::perms kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (perms & kAnyWrite) != fs::perms::none && ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

LyricsResult SaveSongDisplayBlock(const DisplayBlock& block, const DisplayBlock& stored,
                                  const fs::path& media, Codepage language) {
    const Codepage cp = SongCodepageChoice(block.Codepage, language).codepage;
    if (CanWrite(media)) {
        LyricsResult r = WriteDisplayBlock(block, media, cp);
        // The block now holds the choice; one left beside the song would
        // outlive a later change back to detection.
        if (r) WriteCodepageFile(media, 0);
        return r;
    }
    LyricsResult kept = WriteCodepageFile(media, block.Codepage);
    if (!kept) return kept;
    if (WithoutCodepage(block) == WithoutCodepage(stored)) return kept;
    return WriteDisplayBlock(block, media, cp);
}

}  // namespace cx
