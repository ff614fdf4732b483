// The song library: the songs found in the user's folders, kept in one SQLite
// database (WAL, every change in a transaction) with a full-text index for
// search as you type. One object serves one thread; a scanning thread opens
// its own object on the same file, and WAL lets the window go on searching.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/LibrarySong.h"
#include "library/SongNames.h"

struct sqlite3;

namespace cx {

// Longer searches are cut (a search box never needs more).
inline constexpr std::size_t kMaxSearchTextBytes = 256;
// More results than this are never returned by one search.
inline constexpr std::size_t kMaxSearchResults = 1000;
// A scan gathers no more songs than this from one folder.
inline constexpr std::size_t kMaxLibraryFolderSongs = 1000000;

using LoudnessMeasurer = std::function<std::optional<LoudnessReading>(const std::string& path)>;

// How opening the database went. Key is a translation key (empty when all is
// well); Message the same in English with the paths, for logs and cbx.
struct LibraryNote {
    std::string Key;
    std::string Message;
    explicit operator bool() const { return !Key.empty(); }
};

struct LibraryScanProgress {
    std::size_t FilesSeen = 0;
    std::size_t SongsFound = 0;
    std::size_t SongsRead = 0;  // new or changed songs read so far
};

struct LibraryScanReport {
    std::size_t Songs = 0;  // songs found in the folder
    std::size_t Added = 0;
    std::size_t Updated = 0;
    std::size_t Unchanged = 0;
    std::size_t MarkedMissing = 0;
    bool Cancelled = false;
    bool Capped = false;  // stopped at kMaxLibraryFolderSongs
    std::string Error;    // empty when the scan could run
};

class SongLibrary {
public:
    using Progress = std::function<void(const LibraryScanProgress&)>;

    // Nothing is opened until Open.
    explicit SongLibrary(std::string databasePath);
    ~SongLibrary();
    SongLibrary(const SongLibrary&) = delete;
    SongLibrary& operator=(const SongLibrary&) = delete;

    // <XDG data home>/Cantabilex/library.db.
    static std::string DefaultPath();

    // Opens or creates the database. A file that is not a readable library
    // is moved aside (never deleted) and a new one started; the note says so.
    // False when no library could be opened at all (the note says why).
    bool Open();
    bool IsOpen() const { return m_db != nullptr; }
    const LibraryNote& Note() const { return m_note; }
    const std::string& DatabasePath() const { return m_path; }

    void SetLoudnessMeasurer(LoudnessMeasurer measurer) { m_measure = std::move(measurer); }
    // How file names are read when a song carries no artist and title.
    NamePattern Pattern() const;
    bool SetPattern(NamePattern pattern);

    bool AddFolder(const std::string& folder);
    // Forgets the folder and its songs.
    bool RemoveFolder(const std::string& folder);
    std::vector<std::string> Folders() const;

    // Adds the folder when new, then reads the files that are new or whose
    // size or time changed; songs whose files vanished are marked missing.
    // `progress` is called on this thread; `cancel` stops soon after it is set
    // (what was stored so far stays).
    LibraryScanReport ScanFolder(const std::string& folder, const Progress& progress,
                                 const std::atomic<bool>& cancel);

    // Songs whose artist, title or file name words start with every word of
    // `text` (accents and case aside), one entry per song with its other
    // versions; at most `limit` entries.
    // `presentOnly` leaves out songs whose every version is gone, before the
    // limit counts them, for callers that can only play what is there.
    std::vector<LibrarySong> Search(std::string_view text, std::size_t limit,
                                    bool presentOnly = false) const;
    std::optional<LibrarySong> SongById(std::int64_t id) const;
    std::size_t SongCount() const;

private:
    struct Statements;
    bool OpenFile();
    bool MoveAside(const std::string& why);
    bool Prepare();
    void Close();

    std::string m_path;
    sqlite3* m_db = nullptr;
    std::unique_ptr<Statements> m_st;
    LoudnessMeasurer m_measure;
    LibraryNote m_note;
};

}  // namespace cx
