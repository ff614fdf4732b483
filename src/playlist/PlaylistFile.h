// M3U and PLS playlists: reading both from bytes, writing M3U, and the list
// kept between runs. Readers never throw; they return what they could read
// and say why when they stop early.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Codepage.h"

namespace cx {

// Playlists above this size are refused before reading.
inline constexpr std::size_t kMaxPlaylistFileBytes = 64u * 1024u * 1024u;
// Entries beyond this count are dropped (and reported).
inline constexpr std::size_t kMaxPlaylistEntries = 200000;
// Entry numbers in PLS keys above this are ignored as junk.
inline constexpr long kMaxPlsEntryNumber = 1000000;

struct PlaylistEntry {
    std::string path;   // resolved: absolute, a URL, or as written when it cannot be resolved
    std::string title;  // display text from the playlist; may be empty
    int seconds = -1;   // length; -1 when unknown
};

struct PlaylistParseResult {
    std::vector<PlaylistEntry> entries;
    std::string error;  // empty when the whole input was read
};

enum class PlaylistKind { M3U, PLS };

// Decides by the name: "m3u" (or "m3u8") at its end in any case is M3U, anything else PLS.
PlaylistKind PlaylistKindForName(std::string_view fileName);
// True for names ending in ".m3u", ".m3u8" or ".pls" in any case: a playlist
// rather than a song.
bool IsPlaylistFileName(std::string_view fileName);

// `folder` is the playlist's own folder; relative paths are resolved against
// it with either "\" or "/" as separator. Text is UTF-8 or the given code page.
PlaylistParseResult ParseM3U(std::string_view bytes, const std::string& folder,
                             Codepage cp = Codepage::Cp1252);
PlaylistParseResult ParsePLS(std::string_view bytes, const std::string& folder,
                             Codepage cp = Codepage::Cp1252);
PlaylistParseResult ParsePlaylist(PlaylistKind kind, std::string_view bytes,
                                  const std::string& folder, Codepage cp = Codepage::Cp1252);

// M3U bytes with "#EXTINF" lines and CR LF line ends. Paths of files in
// `folder` are written as bare names. Entries without a path are skipped.
// The text is in the code page when every character fits, otherwise UTF-8.
std::string WriteM3U(const std::vector<PlaylistEntry>& entries, const std::string& folder,
                     Codepage cp = Codepage::Cp1252);

// Reads a playlist file; the kind comes from its name.
PlaylistParseResult LoadPlaylistFile(const std::filesystem::path& path,
                                     Codepage cp = Codepage::Cp1252);
// Writes an M3U file atomically; returns an empty string on success.
std::string SavePlaylistFile(const std::filesystem::path& path,
                             const std::vector<PlaylistEntry>& entries,
                             Codepage cp = Codepage::Cp1252);

// The name under which a save dialog's answer is stored: ".m3u" is appended
// unless the name already ends with it in any letter case.
std::string WithM3uExtension(std::string name);

// The list kept between runs, in the application's data folder.
inline constexpr const char* kLastListFileName = "Cantabilex.ini";

// "mm:ss" (minutes may pass 99); empty for negative values.
std::string FormatListTime(int seconds);
// Seconds of "mm:ss" or "h:mm:ss"; -1 when the text is not a time.
int ParseListTime(std::string_view text);

// Resolves one path as written in a playlist against the playlist's folder.
std::string ResolvePlaylistPath(std::string_view written, const std::string& folder);

}  // namespace cx
