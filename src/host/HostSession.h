// The host's rotation as the windows and cbx use it: every operation changes
// the rotation and stores it at once; when the store refuses, the rotation
// stays as it was and the reason comes back. The database opens on first use.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/HostSettings.h"
#include "host/HostStore.h"
#include "host/Rotation.h"

namespace cx {

// Where the rotation lives unless told otherwise: beside the song library,
// <XDG data dir>/Cantabilex/library.db.
std::string DefaultHostDatabase();

// A song added to a queue; `offered` when its key and tempo were taken from
// the last time this singer sang it.
struct AddedSong {
    std::int64_t entryId = 0;
    bool offered = false;
    int keyShift = 0;
    int tempoPercent = 0;
};

class HostSession {
public:
    explicit HostSession(std::string databasePath = DefaultHostDatabase());

    // Opens the database and reads the rotation, once; why not, empty when open.
    std::string Open();
    bool IsOpen() const { return m_store.IsOpen(); }
    const std::string& DatabasePath() const { return m_path; }
    // Stored values that were out of range and fell back to their defaults.
    const std::vector<std::string>& LoadNotes() const { return m_notes; }

    const Rotation& Current() const { return m_rotation; }
    const HostSettings& Settings() const { return m_settings; }
    std::string ChangeSettings(const HostSettings& settings);

    std::string AddSinger(const std::string& name, std::int64_t* id = nullptr);
    std::string RemoveSinger(std::int64_t singerId);
    std::string MoveSinger(std::int64_t singerId, std::size_t to);
    std::string SetAway(std::int64_t singerId, bool away);
    // Adds a song; when the singer sang it before, its last key and tempo come with it.
    std::string AddSong(std::int64_t singerId, QueueEntry song, AddedSong* added = nullptr);
    std::string RemoveSong(std::int64_t singerId, std::int64_t entryId);
    std::string MoveSong(std::int64_t singerId, std::int64_t entryId, std::size_t to);
    std::string SetSongKey(std::int64_t singerId, std::int64_t entryId, int keyShift,
                           int tempoPercent);
    // The singer sings their first song: it goes to the history, the turn passes.
    std::string TakeTurn(std::int64_t singerId, QueueEntry* sung = nullptr);
    std::string Skip(std::int64_t singerId);
    // The score of the turn last taken, once its song is over; once a turn,
    // nothing to do without one.
    std::string RecordScore(int score);

    std::vector<HistoryRow> History(std::size_t limit) const { return m_store.History(limit); }

    // The clock the history is stamped with (seconds since 1970); tests set it.
    std::function<std::int64_t()> now;

private:
    // Runs `change` on a copy; keeps it only when it is stored.
    std::string Apply(const std::function<std::string(Rotation&)>& change,
                      const HistoryRow* sung = nullptr, std::int64_t* historyId = nullptr);

    std::string m_path;
    HostStore m_store;
    Rotation m_rotation;
    HostSettings m_settings;
    std::vector<std::string> m_notes;
    std::int64_t m_turnRow = 0;  // the history row of the turn last taken
};

}  // namespace cx
