// The rotation, the host's settings and the history in an SQLite database
// (tables host_*), written in WAL mode with one transaction per operation,
// so a player killed mid-show keeps everything committed before.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/HostSettings.h"
#include "host/Rotation.h"

struct sqlite3;

namespace cx {

// History rows read back at most.
inline constexpr std::size_t kMaxHistoryRows = 10000;

struct HistoryRow {
    std::string singer;
    std::string path;
    std::string artist;
    std::string title;
    std::int64_t libraryId = 0;
    int keyShift = 0;
    int tempoPercent = 0;
    std::int64_t sungAt = 0;   // seconds since 1970
    std::optional<int> score;  // of the turn sung along with the pitch lane
};

class HostStore {
public:
    HostStore() = default;
    ~HostStore();
    HostStore(const HostStore&) = delete;
    HostStore& operator=(const HostStore&) = delete;

    // Opens or creates the database; why not, empty when open.
    std::string Open(const std::string& path);
    bool IsOpen() const { return m_db != nullptr; }

    // The stored rotation and settings; a value out of range falls back to
    // its default and is named in `notes`.
    std::string Load(Rotation& rotation, HostSettings& settings, std::vector<std::string>& notes);
    // The whole rotation, with the song just sung (if any) in the history,
    // in one transaction; `historyId` gets that history row's id.
    std::string Save(const Rotation& rotation, const HistoryRow* sung = nullptr,
                     std::int64_t* historyId = nullptr);
    // The score of a turn, once the song is over.
    std::string SetScore(std::int64_t historyId, int score);
    std::string SaveSettings(const HostSettings& settings);

    // Newest first, at most `limit` rows.
    std::vector<HistoryRow> History(std::size_t limit) const;
    // The last time `singer` sang this song (same file, library song, or
    // artist and title), if ever.
    std::optional<HistoryRow> LastSung(const std::string& singer, const QueueEntry& song) const;

private:
    std::string Exec(const char* sql);
    std::string Upgrade();
    std::string Error(const char* what) const;
    std::string Finish(bool ok);

    sqlite3* m_db = nullptr;
};

}  // namespace cx
