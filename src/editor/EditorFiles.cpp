#include "editor/EditorFiles.h"

#include "lyrics/KokFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/LyricsText.h"
#include "lyrics/MediaBlocks.h"
#include "lyrics/SiblingFile.h"
#include "midi/MidiLyrics.h"
#include "midi/SmfReader.h"
#include "midi/TempoMap.h"
#include "platform/AtomicFile.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

// Reads a text file after checking its size against `kb`.
TextOpen ReadLimited(const fs::path& path, std::uintmax_t kb, Codepage cp) {
    TextOpen out;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        out.result = EditorFileResult::Fail(kErrorOpenFileKey, ec.message());
        return out;
    }
    if (ExceedsKb(size, kb)) {
        out.result = EditorFileResult::Fail(kErrorFilesizeKey, std::to_string(size) + " bytes");
        return out;
    }
    TextFileRead r = ReadLyricsTextFile(path, cp);
    if (!r.ok) {
        out.result = EditorFileResult::Fail(kErrorOpenFileKey, r.error);
        return out;
    }
    out.text = std::move(r.text);
    out.result.ok = true;
    return out;
}

// The LRS block of a text when it has one, else the whole text (a bare
// list of tagged lines).
LyricsResult ParseLrsForEditor(std::string_view text, PieceArray& pieces) {
    const LrsBlockSearch found = FindLrsBlock(text);
    if (found.damaged) return LyricsResult::Fail("the lyrics block is damaged");
    if (found.span) text = text.substr(found.span->begin, found.span->end - found.span->begin);
    return ParseLrsTextForEditor(text, pieces);
}

EditorFileResult FromLyricsResult(const LyricsResult& r) {
    if (!r.ok) {
        return EditorFileResult::Fail(r.messageKey.empty() ? kErrorSaveFileKey : r.messageKey,
                                      r.reason);
    }
    EditorFileResult out;
    out.ok = true;
    out.warning = r.warning;
    return out;
}

bool ImportMidi(std::string_view bytes, Codepage cp, PieceArray& pieces) {
    if (!IsMidiFile(bytes)) return false;
    SmfResult smf = ParseSmf(bytes);
    if (!smf.file) return false;
    const TempoMap map = TempoMap::FromSmf(*smf.file);
    std::vector<LyricPiece> out;
    if (!ExtractLyrics(*smf.file, map, cp, out)) return false;
    TrimLineMarks(out);
    pieces = std::move(out);
    return pieces.size() > 1;
}

}  // namespace

bool ExceedsKb(std::uintmax_t bytes, std::uintmax_t kb) {
    return bytes / 1000 > kb;
}

fs::path WithExtension(const std::string& mediaFile, const char* ext) {
    fs::path p = mediaFile.empty() ? fs::path("lyrics") : fs::path(mediaFile);
    p.replace_extension(ext);
    return p;
}

EditorFileResult OpenLyricsFile(EditorDocument& doc, const fs::path& path, Codepage cp) {
    TextOpen read = ReadLimited(path, kMaxOpenLyricsKb, cp);
    if (!read.result.ok) return read.result;
    PieceArray pieces;
    const LyricsResult parsed = ParseLrsForEditor(read.text, pieces);
    if (!parsed) return EditorFileResult::Fail(kErrorOpenFileKey, parsed.reason);
    EditorFileResult out;
    out.ok = true;
    doc.SetImportedLook(std::nullopt);
    if (doc.SongPlaying()) {
        doc.Replace(std::move(pieces));
        doc.UpdateLyrics();
        out.appliedToSong = true;
        return out;
    }
    // The lyrics belong to the song beside them, which is what Save writes into.
    doc.SetMediaFile(VerifyFile(path).string());
    doc.Replace(std::move(pieces));
    return out;
}

TextOpen OpenTextFile(const fs::path& path, Codepage cp) {
    return ReadLimited(path, kMaxOpenTextKb, cp);
}

EditorFileResult SaveTextFile(const fs::path& path, const std::string& text, Codepage cp) {
    return FromLyricsResult(WriteLyricsTextFile(path, text, cp));
}

EditorFileResult ImportLyrics(EditorDocument& doc, const fs::path& path, Codepage cp) {
    const std::string ext = AsciiLower(path.extension().string());
    PieceArray pieces;
    std::optional<DisplayBlock> look;
    LrcTags lrc;
    if (ext == ".lrc" || ext == ".kok") {
        TextOpen read = ReadLimited(path, kMaxLyricsFileBytes / 1000, cp);
        if (!read.result.ok) return read.result;
        const LyricsResult r = ext == ".lrc" ? ParseLrcText(read.text, pieces, &lrc)
                                             : ParseKokText(read.text, pieces);
        if (!r) return EditorFileResult::Fail(kErrorOpenFileKey, r.reason);
    } else {
        ReadResult r = ReadWholeFile(path, kMaxImportBytes);
        if (!r.bytes) return EditorFileResult::Fail(kErrorOpenFileKey, r.error);
        // Only the block is text: the song around it is not decoded.
        const LrsBlockSearch found = FindLrsBlock(*r.bytes);
        bool read = false;
        if (found.span) {
            const std::string block =
                DecodeText(std::string_view(*r.bytes).substr(found.span->begin,
                                                             found.span->end - found.span->begin),
                           cp);
            read = ParseLrsTextForEditor(block, pieces).ok && pieces.size() > 1;
        }
        DisplayBlock block;
        if (ReadDisplayBlock(*r.bytes, path.parent_path().string(), cp, block)) look = block;
        if (!read && (ext == ".mid" || ext == ".kar" || ext == ".midi"))
            read = ImportMidi(*r.bytes, cp, pieces);
        if (!read) {
            return EditorFileResult::Fail(kErrorOpenFileKey, "the file holds no lyrics we read");
        }
    }
    doc.Replace(std::move(pieces));
    doc.SetImportedLook(std::move(look));
    doc.SetLrcOffsetMs(lrc.OffsetMs);
    EditorFileResult out;
    out.ok = true;
    return out;
}

EditorFileResult SaveIntoMedia(const EditorDocument& doc, Codepage cp) {
    if (!doc.HasPieces() || doc.MediaFile().empty()) return EditorFileResult::Fail(kMsgSaveKey);
    EditorFileResult out = FromLyricsResult(WriteLrsIntoMedia(doc.Pieces(), doc.MediaFile(), cp));
    if (out.ok && doc.ImportedLook()) {
        const EditorFileResult look =
            FromLyricsResult(WriteDisplayBlock(*doc.ImportedLook(), doc.MediaFile(), cp));
        if (!look.ok) return look;
    }
    return out;
}

EditorFileResult SaveLyricsAs(const EditorDocument& doc, fs::path path, Codepage cp) {
    if (!doc.HasPieces()) return EditorFileResult::Fail(kMsgSaveKey);
    if (AsciiLower(path.extension().string()) != ".lrs") path += ".lrs";
    EditorFileResult out = FromLyricsResult(WriteLrsFile(doc.Pieces(), path, cp));
    out.detail = path.string();
    return out;
}

EditorFileResult ExportLrc(const EditorDocument& doc, const fs::path& path, LrcFlavour flavour,
                           Codepage cp) {
    if (!doc.HasPieces()) return EditorFileResult::Fail(kMsgSaveKey);
    return FromLyricsResult(WriteLrcFile(doc.Pieces(), flavour, path, cp, doc.LrcOffsetMs()));
}

EditorFileResult ExportKok(const EditorDocument& doc, const fs::path& path, Codepage cp) {
    if (!doc.HasPieces()) return EditorFileResult::Fail(kMsgSaveKey);
    return FromLyricsResult(WriteKokFile(doc.Pieces(), path, cp));
}

}  // namespace cx
