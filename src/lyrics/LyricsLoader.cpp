#include "lyrics/LyricsLoader.h"

#include "lyrics/KokFormat.h"
#include "lyrics/LrcFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/Lyrics3.h"
#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"
#include "lyrics/SongTail.h"
#include "platform/AtomicFile.h"

namespace cx {
namespace {

enum class BlockOutcome { Loaded, NotFound, Damaged };

BlockOutcome LoadLrsBlockFrom(std::string_view bytes, LyricsModel& model,
                              const AfterLoadContext& context, Codepage cp) {
    const LrsBlockSearch found = FindLrsBlock(bytes);
    if (found.damaged) return BlockOutcome::Damaged;
    if (!found.span) return BlockOutcome::NotFound;
    const std::string text =
        DecodeTextFile(bytes.substr(found.span->begin, found.span->end - found.span->begin), cp);
    return ParseLrsText(text, model, context) ? BlockOutcome::Loaded : BlockOutcome::NotFound;
}

LoadLyricsResult Stop(LyricsModel& model, std::string reason) {
    ResetLyricsModel(model);
    return {false, LyricsSource::None, std::move(reason)};
}

// The text between the last `begin` and the last `end` marker, when in that order.
std::string_view Between(std::string_view bytes, std::string_view begin, std::string_view end) {
    const std::size_t e = bytes.rfind(end);
    const std::size_t b = bytes.rfind(begin);
    if (e == std::string_view::npos || b == std::string_view::npos || b > e) return {};
    return bytes.substr(b, e - b);
}

}  // namespace

const char* LyricsSourceName(LyricsSource source) {
    switch (source) {
        case LyricsSource::Lrs:
            return "lrs";
        case LyricsSource::LrsFile:
            return "lrs-file";
        case LyricsSource::Lrc:
            return "lrc";
        case LyricsSource::Kok:
            return "kok";
        case LyricsSource::Lyrics3:
            return "lyrics3";
        case LyricsSource::None:
            break;
    }
    return "none";
}

LyricsResult LoadMp3LyricsBlock(std::string_view bytes, LyricsModel& model,
                                const AfterLoadContext& context, Codepage cp) {
    ResetLyricsModel(model);
    LyricsResult r = LyricsResult::Fail("no Lyrics3 block");
    const Lyrics3Block block = ReadLyrics3(bytes);
    if (block.Exists && !block.Lyrics.empty())
        r = ParseLrcText(DecodeTextFile(block.Lyrics, cp), model.Lyrics);
    // A block that is not at its place (another tag after it) is still
    // found by its markers; the LRC reader skips the field headers.
    if (!r) {
        std::string_view raw = Between(bytes, "LYRICSBEGIN", "LYRICS200");
        if (raw.empty()) raw = Between(bytes, "LYRICSBEGIN", "LYRICSEND");
        if (!raw.empty()) r = ParseLrcText(DecodeTextFile(raw, cp), model.Lyrics);
    }
    RunAfterLoad(model, context);
    if (!r && block.Exists) r.reason = "the Lyrics3 block holds no timed lyrics";
    return r;
}

LoadLyricsResult LoadLyrics(const std::filesystem::path& mediaPath, LyricsModel& model,
                            const AfterLoadContext& given, Codepage cp) {
    const AfterLoadContext context = ForMedia(given, mediaPath.string());
    ResetLyricsModel(model);
    // Only the KOK reader sets it, so a new song starts without it.
    model.KokTiming = false;
    ReadResult media = ReadSongTail(mediaPath);
    if (!media.bytes) return Stop(model, media.error);

    switch (LoadLrsBlockFrom(*media.bytes, model, context, cp)) {
        case BlockOutcome::Loaded:
            return {true, LyricsSource::Lrs, {}};
        case BlockOutcome::Damaged:
            return Stop(model, "the LRS block in the file is damaged");
        case BlockOutcome::NotFound:
            break;
    }
    if (auto lrs = FindSiblingFile(mediaPath, "lrs")) {
        ReadResult file = ReadWholeFile(*lrs, kMaxLyricsFileBytes);
        if (!file.bytes) return Stop(model, file.error);
        switch (LoadLrsBlockFrom(*file.bytes, model, context, cp)) {
            case BlockOutcome::Loaded:
                return {true, LyricsSource::LrsFile, {}};
            case BlockOutcome::Damaged:
                return Stop(model, "the LRS file is damaged");
            case BlockOutcome::NotFound:
                break;
        }
    }
    if (LoadLrcFile(mediaPath, model, context, cp)) return {true, LyricsSource::Lrc, {}};
    if (LoadKokFile(mediaPath, model, context, cp)) return {true, LyricsSource::Kok, {}};
    if (LoadMp3LyricsBlock(*media.bytes, model, context, cp))
        return {true, LyricsSource::Lyrics3, {}};
    ResetLyricsModel(model);
    RunAfterLoad(model, context);
    return {false, LyricsSource::None, "no lyrics found for " + mediaPath.string()};
}

std::filesystem::path VerifyFile(const std::filesystem::path& path) {
    const std::string ext = AsciiLower(path.extension().string());
    if (ext == ".lrc" || ext == ".kok" || ext == ".lrs") {
        for (const char* media : {"mp3", "ogg", "mid"})
            if (auto found = FindSiblingFile(path, media)) return *found;
        return path;
    }
    if (ext == ".cdg") {
        if (auto found = FindSiblingFile(path, "mp3")) return *found;
    }
    return path;
}

}  // namespace cx
