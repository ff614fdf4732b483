#include "lyrics/MediaBlocks.h"

#include "lyrics/LrsFormat.h"
#include "lyrics/Lyrics3.h"
#include "lyrics/LyricsText.h"
#include "lyrics/Mp3Class.h"
#include "platform/AtomicFile.h"

namespace cx {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The media file split for a rewrite: its bytes without the ID3v1 tag, and the tag.
struct MediaParts {
    std::string body;
    std::string tag;
};

bool IsMidiBytes(std::string_view bytes) {
    return bytes.substr(0, 4) == "MThd";
}

// Reads the file and checks that it is audio (MIDI files need no check and
// have no ID3v1 tag).
LyricsResult ReadMedia(const std::filesystem::path& path, MediaParts& parts) {
    ReadResult r = ReadWholeFile(path);
    if (!r.bytes) return LyricsResult::Fail(r.error);
    if (IsMidiBytes(*r.bytes)) {
        parts.body = std::move(*r.bytes);
        return LyricsResult::Ok();
    }
    MP3Class mp3;
    mp3.SetFilename(path.string());
    if (!mp3.ReadFile()) {
        LyricsResult fail = LyricsResult::Fail("Destination file is not an audio file!");
        fail.messageKey = kErrorAudioFileKey;
        return fail;
    }
    const Id3v1Split split = SplitId3v1(*r.bytes);
    parts.tag = std::string(split.tag);
    parts.body = std::string(split.body);
    return LyricsResult::Ok();
}

bool StartsWithCrLf(std::string_view s) {
    return s.substr(0, 2) == kCrLf;
}
bool EndsWithCrLf(std::string_view s) {
    return s.size() >= 2 && s.substr(s.size() - 2) == kCrLf;
}

// What followed an earlier block, kept only when it is more than the CR LF
// the earlier save left; that CR LF itself is dropped so nothing piles up.
std::string KeptTail(std::string_view tail) {
    if (tail.size() <= 4) return {};
    if (StartsWithCrLf(tail)) tail.remove_prefix(2);
    return std::string(tail);
}

LyricsResult Finish(const std::filesystem::path& path, const std::string& bytes,
                    const std::string& warning) {
    const std::string err = WriteFileAtomically(path, bytes);
    if (!err.empty()) return LyricsResult::Fail(err);
    LyricsResult ok = LyricsResult::Ok();
    ok.warning = warning;
    return ok;
}

}  // namespace

LyricsResult WriteLrsIntoMedia(const PieceArray& pieces, const std::filesystem::path& mediaPath,
                               Codepage cp) {
    MediaParts parts;
    LyricsResult r = ReadMedia(mediaPath, parts);
    if (!r) return r;
    std::string_view head = parts.body;
    std::string tail;
    const LrsBlockSearch found = FindLrsBlock(parts.body);
    if (found.span) {
        head = std::string_view(parts.body).substr(0, found.span->begin);
        tail = KeptTail(std::string_view(parts.body).substr(found.span->end + kLrsEnd.size()));
    }
    const EncodedText block = EncodeLyricsText(BuildLrsBlock(pieces), cp, false);
    std::string out(head);
    out += block.bytes;
    out += kCrLf;
    out += tail;
    out += parts.tag;
    return Finish(mediaPath, out, block.warning);
}

LyricsResult WriteDisplayBlock(const DisplayBlock& display, const std::filesystem::path& mediaPath,
                               Codepage cp) {
    MediaParts parts;
    LyricsResult r = ReadMedia(mediaPath, parts);
    if (!r) return r;
    const std::string_view body = parts.body;
    std::string_view head = body;
    std::string tail;
    const std::size_t p = body.rfind(kDisplayBegin);
    const std::size_t q = body.rfind(kDisplayEnd);
    if (p != std::string_view::npos && q != std::string_view::npos && q > p) {
        head = body.substr(0, p);
        tail = KeptTail(body.substr(q + kDisplayEnd.size()));
    }
    const EncodedText block = EncodeLyricsText(BuildDisplayBlockText(display), cp, false);
    std::string out(head);
    // A block replaced in place already has its separating CR LF in the head.
    if (!EndsWithCrLf(head)) out += kCrLf;
    out += block.bytes;
    out += kCrLf;
    if (!tail.empty()) {
        out += tail;
        if (!EndsWithCrLf(tail)) out += kCrLf;
    }
    out += parts.tag;
    return Finish(mediaPath, out, block.warning);
}

}  // namespace cx
