#include "lyrics/LyricsLoader.h"

#include "lyrics/Id3v2Lyrics.h"
#include "lyrics/KokFormat.h"
#include "lyrics/LrcFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/Lyrics3.h"
#include "lyrics/LyricsText.h"
#include "lyrics/SiblingFile.h"
#include "lyrics/SongTail.h"
#include "lyrics/UltraStar.h"
#include "platform/AtomicFile.h"

namespace cx {
namespace {

enum class BlockOutcome { Loaded, NotFound, Damaged };

BlockOutcome LoadLrsBlockFrom(std::string_view bytes, LyricsModel& model,
                              const AfterLoadContext& context, CodepageChoice cp,
                              std::string& why) {
    const LrsBlockSearch found = FindLrsBlock(bytes);
    if (found.damaged) return BlockOutcome::Damaged;
    if (!found.span) return BlockOutcome::NotFound;
    const std::string text =
        DecodeText(bytes.substr(found.span->begin, found.span->end - found.span->begin), cp);
    const LyricsResult r = ParseLrsText(text, model, context);
    if (!r) why = r.reason;
    return r ? BlockOutcome::Loaded : BlockOutcome::NotFound;
}

LoadLyricsResult Stop(LyricsModel& model, std::string reason) {
    ResetLyricsModel(model);
    LoadLyricsResult r;
    r.problems.push_back(reason);
    r.reason = std::move(reason);
    return r;
}

LoadLyricsResult Found(LyricsSource source, std::vector<std::string> problems) {
    LoadLyricsResult r;
    r.ok = true;
    r.source = source;
    r.problems = std::move(problems);
    return r;
}

std::string NameOf(const std::filesystem::path& path) {
    return path.filename().string();
}

// A reader's reason, named after the file it read (readers of sibling
// files already name it).
std::string Problem(const std::filesystem::path& file, const std::string& reason) {
    const std::string name = NameOf(file);
    return reason.rfind(name, 0) == 0 ? reason : name + ": " + reason;
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
        case LyricsSource::Id3Sylt:
            return "id3v2-sylt";
        case LyricsSource::Id3Uslt:
            return "id3v2-uslt";
        case LyricsSource::UltraStar:
            return "ultrastar";
        case LyricsSource::None:
            break;
    }
    return "none";
}

LyricsResult LoadMp3LyricsBlock(std::string_view bytes, LyricsModel& model,
                                const AfterLoadContext& context, CodepageChoice cp) {
    ResetLyricsModel(model);
    LyricsResult r = LyricsResult::Fail("no Lyrics3 block");
    const Lyrics3Block block = ReadLyrics3(bytes);
    if (block.Exists && !block.Lyrics.empty())
        r = ParseLrcText(DecodeText(block.Lyrics, cp), model.Lyrics);
    // A block that is not at its place (another tag after it) is still
    // found by its markers; the LRC reader skips the field headers.
    if (!r) {
        std::string_view raw = Between(bytes, "LYRICSBEGIN", "LYRICS200");
        if (raw.empty()) raw = Between(bytes, "LYRICSBEGIN", "LYRICSEND");
        if (!raw.empty()) r = ParseLrcText(DecodeText(raw, cp), model.Lyrics);
    }
    RunAfterLoad(model, context);
    if (!r && block.Exists) r.reason = "the Lyrics3 block holds no timed lyrics";
    return r;
}

LyricsResult LoadUltraStarFile(const std::filesystem::path& songFile, LyricsModel& model,
                               const AfterLoadContext& context, CodepageChoice cp, SungNotes& notes,
                               std::vector<std::string>& problems, LrcTags& names) {
    ResetLyricsModel(model);
    ReadResult file = ReadWholeFile(songFile, kMaxUltraStarBytes);
    if (!file.bytes) {
        problems.push_back(Problem(songFile, file.error));
        return LyricsResult::Fail(file.error);
    }
    UltraStarRead read = ReadUltraStar(*file.bytes, cp);
    for (const std::string& warning : read.song.Warnings)
        problems.push_back(Problem(songFile, warning));
    if (read.song.BadLines > read.song.Warnings.size())
        problems.push_back(
            Problem(songFile, std::to_string(read.song.BadLines - read.song.Warnings.size()) +
                                  " more bad lines skipped"));
    if (!read.ok) {
        problems.push_back(Problem(songFile, read.reason));
        return LyricsResult::Fail(read.reason);
    }
    model.Lyrics = std::move(read.song.Pieces);
    notes = std::move(read.song.Notes);
    names.Artist = read.song.Artist;
    names.Title = read.song.Title;
    // The song file names its song better than the audio's tags do; the
    // user's own display block still wins.
    AfterLoadContext named = context;
    if (!names.Artist.empty() || !names.Title.empty()) {
        named.Header.TagArtist = names.Artist;
        named.Header.TagTitle = names.Title;
    }
    RunAfterLoad(model, named);
    return LyricsResult::Ok();
}

LoadLyricsResult LoadLyrics(const std::filesystem::path& mediaPath, LyricsModel& model,
                            const AfterLoadContext& given, CodepageChoice cp) {
    const AfterLoadContext context = ForMedia(given, mediaPath.string());
    ResetLyricsModel(model);
    // Only the KOK reader sets it, so a new song starts without it.
    model.KokTiming = false;
    ReadResult media = ReadSongTail(mediaPath);
    if (!media.bytes) return Stop(model, media.error);
    std::vector<std::string> problems;
    std::string why;

    switch (LoadLrsBlockFrom(*media.bytes, model, context, cp, why)) {
        case BlockOutcome::Loaded:
            return Found(LyricsSource::Lrs, {});
        case BlockOutcome::Damaged:
            return Stop(model, NameOf(mediaPath) + ": the LRS block in the file is damaged");
        case BlockOutcome::NotFound:
            if (!why.empty()) problems.push_back(NameOf(mediaPath) + ": LRS block, " + why);
            break;
    }
    if (auto lrs = FindSiblingFile(mediaPath, "lrs")) {
        ReadResult file = ReadWholeFile(*lrs, kMaxLyricsFileBytes);
        if (!file.bytes) return Stop(model, Problem(*lrs, file.error));
        why.clear();
        switch (LoadLrsBlockFrom(*file.bytes, model, context, cp, why)) {
            case BlockOutcome::Loaded:
                return Found(LyricsSource::LrsFile, std::move(problems));
            case BlockOutcome::Damaged:
                return Stop(model, NameOf(*lrs) + ": the LRS file is damaged");
            case BlockOutcome::NotFound:
                problems.push_back(Problem(*lrs, why.empty() ? "no LRS block in the file" : why));
                break;
        }
    }
    if (auto song = FindUltraStarFor(mediaPath)) {
        LoadLyricsResult out;
        if (LoadUltraStarFile(*song, model, context, cp, out.notes, problems, out.lrc)) {
            out.ok = true;
            out.source = LyricsSource::UltraStar;
            out.problems = std::move(problems);
            return out;
        }
    }
    LrcTags lrc;
    if (LyricsResult r = LoadLrcFile(mediaPath, model, context, cp, &lrc)) {
        LoadLyricsResult out = Found(LyricsSource::Lrc, std::move(problems));
        out.lrc = lrc;
        return out;
    } else if (auto file = FindSiblingFile(mediaPath, "lrc")) {
        problems.push_back(Problem(*file, r.reason));
    }
    if (LyricsResult r = LoadKokFile(mediaPath, model, context, cp)) {
        return Found(LyricsSource::Kok, std::move(problems));
    } else if (auto file = FindSiblingFile(mediaPath, "kok")) {
        problems.push_back(Problem(*file, r.reason));
    }
    if (LyricsResult r = LoadMp3LyricsBlock(*media.bytes, model, context, cp)) {
        return Found(LyricsSource::Lyrics3, std::move(problems));
    } else if (r.reason != "no Lyrics3 block") {
        problems.push_back(NameOf(mediaPath) + ": " + r.reason);
    }
    LoadLyricsResult out;
    if (ReadResult head = ReadSongHead(mediaPath); head.bytes && Id3v2TagLength(*head.bytes)) {
        Id3v2Lyrics tag = ReadId3v2Lyrics(*head.bytes, cp);
        if (tag.Timed.size() > 1) {
            ResetLyricsModel(model);
            model.Lyrics = std::move(tag.Timed);
            RunAfterLoad(model, context);
            return Found(LyricsSource::Id3Sylt, std::move(problems));
        }
        if (!tag.Untimed.empty()) {
            out.source = LyricsSource::Id3Uslt;
            out.untimed = std::move(tag.Untimed);
        }
    }
    ResetLyricsModel(model);
    RunAfterLoad(model, context);
    out.reason = "no lyrics found for " + mediaPath.string();
    out.problems = std::move(problems);
    return out;
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
    if (ext == ".txt" && IsUltraStarFile(path)) {
        if (auto audio = FindUltraStarAudio(path)) return *audio;
    }
    return path;
}

}  // namespace cx
