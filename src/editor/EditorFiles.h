// The editor's file commands over an EditorDocument: open and import lyrics,
// open and save plain text, save into the media file or a .lrs file, export
// LRC and KOK. Dialogs and messages are the window's; these say what to show.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "editor/EditorDocument.h"
#include "lyrics/LrcFormat.h"
#include "platform/Codepage.h"

namespace cx {

// Limits of what the editor opens, in whole thousands of bytes.
inline constexpr std::uintmax_t kMaxOpenLyricsKb = 300;
inline constexpr std::uintmax_t kMaxOpenTextKb = 500;
// Files imported for their lyrics (songs too) are read up to this size.
inline constexpr std::size_t kMaxImportBytes = 256u * 1024u * 1024u;

// Translation keys of the editor's messages.
inline constexpr const char* kMsgSaveKey = "MsgSave";
inline constexpr const char* kErrorFilesizeKey = "ErrorFilesize";
inline constexpr const char* kErrorOpenFileKey = "ErrorOpenFile";
inline constexpr const char* kErrorSaveFileKey = "ErrorSaveFile";

struct EditorFileResult {
    bool ok = false;
    std::string messageKey;  // the message to show, when there is one
    std::string detail;      // why, for the message and the tools
    std::string warning;     // a note about a write that worked
    bool appliedToSong = false;

    static EditorFileResult Fail(std::string key, std::string why = {}) {
        return {false, std::move(key), std::move(why), {}, false};
    }
};

// A file whose length in whole thousands of bytes passes `kb` is too big.
bool ExceedsKb(std::uintmax_t bytes, std::uintmax_t kb);

// Open lyrics: a .lrs file. While a song plays the lyrics become its lyrics;
// otherwise they belong to the media file beside the .lrs (or to the .lrs
// itself when there is none). Failures keep the previous pieces.
EditorFileResult OpenLyricsFile(EditorDocument& doc, const std::filesystem::path& path,
                                Codepage cp);

// Open text: the file's text (UTF-8) for the text editor.
struct TextOpen {
    EditorFileResult result;
    std::string text;
};
TextOpen OpenTextFile(const std::filesystem::path& path, Codepage cp);
EditorFileResult SaveTextFile(const std::filesystem::path& path, const std::string& text,
                              Codepage cp);

// Import: LRC, KOK, or the LRS block (with the display block) of any file,
// and the lyric events of a MIDI or KAR file. Nothing read keeps the old pieces.
EditorFileResult ImportLyrics(EditorDocument& doc, const std::filesystem::path& path, Codepage cp);

// Save: the lyrics (and an imported display block) into the media file.
EditorFileResult SaveIntoMedia(const EditorDocument& doc, Codepage cp);
// Save lyrics as: a .lrs file; ".lrs" is added when missing. The path written.
EditorFileResult SaveLyricsAs(const EditorDocument& doc, std::filesystem::path path, Codepage cp);
EditorFileResult ExportLrc(const EditorDocument& doc, const std::filesystem::path& path,
                           LrcFlavour flavour, Codepage cp);
EditorFileResult ExportKok(const EditorDocument& doc, const std::filesystem::path& path,
                           Codepage cp);

// `path` with its extension replaced (the proposals of the save dialogs).
std::filesystem::path WithExtension(const std::string& mediaFile, const char* ext);

}  // namespace cx
