#include "host/HostSession.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace cx {
std::string DefaultHostDatabase() {
    namespace fs = std::filesystem;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path base =
        xdg && *xdg ? fs::path(xdg) : fs::path(home && *home ? home : ".") / ".local" / "share";
    return (base / "Cantabilex" / "library.db").string();
}

HostSession::HostSession(std::string databasePath)
    : now([] { return static_cast<std::int64_t>(std::time(nullptr)); }),
      m_path(std::move(databasePath)) {}

std::string HostSession::Open() {
    if (m_store.IsOpen()) return {};
    std::error_code ec;
    const auto folder = std::filesystem::path(m_path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    std::string reason = m_store.Open(m_path);
    if (reason.empty()) reason = m_store.Load(m_rotation, m_settings, m_notes);
    return reason;
}

std::string HostSession::Apply(const std::function<std::string(Rotation&)>& change,
                               const HistoryRow* sung, std::int64_t* historyId) {
    if (std::string reason = Open(); !reason.empty()) return reason;
    Rotation next = m_rotation;
    if (std::string reason = change(next); !reason.empty()) return reason;
    if (std::string reason = m_store.Save(next, sung, historyId); !reason.empty()) return reason;
    m_rotation = std::move(next);
    return {};
}

std::string HostSession::ChangeSettings(const HostSettings& settings) {
    if (std::string reason = Open(); !reason.empty()) return reason;
    if (std::string reason = m_store.SaveSettings(settings); !reason.empty()) return reason;
    m_settings = settings;
    return {};
}

std::string HostSession::AddSinger(const std::string& name, std::int64_t* id) {
    const Placement placement = m_settings.placement;
    return Apply([&](Rotation& r) { return r.AddSinger(name, placement, id); });
}

std::string HostSession::RemoveSinger(std::int64_t singerId) {
    return Apply([&](Rotation& r) { return r.RemoveSinger(singerId); });
}

std::string HostSession::MoveSinger(std::int64_t singerId, std::size_t to) {
    return Apply([&](Rotation& r) { return r.MoveSinger(singerId, to); });
}

std::string HostSession::SetAway(std::int64_t singerId, bool away) {
    return Apply([&](Rotation& r) { return r.SetAway(singerId, away); });
}

std::string HostSession::AddSong(std::int64_t singerId, QueueEntry song, AddedSong* added) {
    if (std::string reason = Open(); !reason.empty()) return reason;
    AddedSong result;
    if (const Singer* singer = m_rotation.Find(singerId)) {
        if (auto last = m_store.LastSung(singer->name, song)) {
            song.keyShift = last->keyShift;
            song.tempoPercent = last->tempoPercent;
            result.offered = true;
        }
    }
    ClampKeyAndTempo(song);
    result.keyShift = song.keyShift;
    result.tempoPercent = song.tempoPercent;
    std::string reason =
        Apply([&](Rotation& r) { return r.AddEntry(singerId, song, &result.entryId); });
    if (reason.empty() && added) *added = result;
    return reason;
}

std::string HostSession::RemoveSong(std::int64_t singerId, std::int64_t entryId) {
    return Apply([&](Rotation& r) { return r.RemoveEntry(singerId, entryId); });
}

std::string HostSession::MoveSong(std::int64_t singerId, std::int64_t entryId, std::size_t to) {
    return Apply([&](Rotation& r) { return r.MoveEntry(singerId, entryId, to); });
}

std::string HostSession::SetSongKey(std::int64_t singerId, std::int64_t entryId, int keyShift,
                                    int tempoPercent) {
    return Apply(
        [&](Rotation& r) { return r.SetEntryKey(singerId, entryId, keyShift, tempoPercent); });
}

std::string HostSession::TakeTurn(std::int64_t singerId, QueueEntry* sung) {
    if (std::string reason = Open(); !reason.empty()) return reason;
    const Singer* singer = m_rotation.Find(singerId);
    if (!singer) return "HostNoSuchSinger";
    if (singer->queue.empty()) return "HostNothingQueued";
    const QueueEntry& song = singer->queue.front();
    // Scored when the song is over (RecordScore).
    const HistoryRow row{singer->name,  song.path,         song.artist, song.title,  song.libraryId,
                         song.keyShift, song.tempoPercent, now(),       std::nullopt};
    QueueEntry taken;
    m_turnRow = 0;
    std::string reason = Apply(
        [&](Rotation& r) {
            taken = *r.TakeTurn(singerId);
            return std::string();
        },
        &row, &m_turnRow);
    if (reason.empty() && sung) *sung = taken;
    return reason;
}

std::string HostSession::RecordScore(int score) {
    if (std::string reason = Open(); !reason.empty()) return reason;
    if (m_turnRow == 0) return {};  // no turn taken since the start, or scored already
    const std::int64_t row = m_turnRow;
    m_turnRow = 0;
    return m_store.SetScore(row, score);
}

std::string HostSession::Skip(std::int64_t singerId) {
    return Apply([&](Rotation& r) { return r.Skip(singerId); });
}

}  // namespace cx
