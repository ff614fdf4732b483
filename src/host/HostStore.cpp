#include "host/HostStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace cx {
namespace {

// Another connection (the song library) may hold the file for a moment.
constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS host_singers(
    id INTEGER PRIMARY KEY, name TEXT NOT NULL, position INTEGER NOT NULL,
    away INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS host_entries(
    id INTEGER PRIMARY KEY, singer_id INTEGER NOT NULL, position INTEGER NOT NULL,
    path TEXT NOT NULL, artist TEXT, title TEXT, length_ms INTEGER, library_id INTEGER,
    key_shift INTEGER, tempo_percent INTEGER);
CREATE TABLE IF NOT EXISTS host_history(
    id INTEGER PRIMARY KEY AUTOINCREMENT, singer TEXT NOT NULL, path TEXT, artist TEXT,
    title TEXT, library_id INTEGER, key_shift INTEGER, tempo_percent INTEGER,
    sung_at INTEGER, score INTEGER);
CREATE INDEX IF NOT EXISTS host_history_singer ON host_history(singer COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS host_state(name TEXT PRIMARY KEY, value TEXT);
)";

// One prepared statement, finalised on every way out.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Ok() const { return m_stmt != nullptr; }
    Statement& Bind(int i, std::int64_t v) {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Statement& Bind(int i, std::optional<int> v) {
        if (v) return Bind(i, static_cast<std::int64_t>(*v));
        sqlite3_bind_null(m_stmt, i);
        return *this;
    }
    Statement& Bind(int i, const std::string& v) {
        sqlite3_bind_text(m_stmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    int Step() { return sqlite3_step(m_stmt); }
    bool Done() {
        const int rc = Step();
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        return rc == SQLITE_DONE;
    }
    std::int64_t Int(int col) const { return sqlite3_column_int64(m_stmt, col); }
    bool Null(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
    std::string Text(int col) const {
        const auto* p = sqlite3_column_text(m_stmt, col);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, col)))
                 : std::string();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool SameSong(const HistoryRow& row, const QueueEntry& song) {
    if (!song.path.empty() && row.path == song.path) return true;
    if (song.libraryId != 0 && row.libraryId == song.libraryId) return true;
    return !song.title.empty() && Lower(row.title) == Lower(song.title) &&
           Lower(row.artist) == Lower(song.artist);
}

HistoryRow ReadHistory(const Statement& s) {
    HistoryRow r;
    r.singer = s.Text(0);
    r.path = s.Text(1);
    r.artist = s.Text(2);
    r.title = s.Text(3);
    r.libraryId = s.Int(4);
    r.keyShift = static_cast<int>(s.Int(5));
    r.tempoPercent = static_cast<int>(s.Int(6));
    r.sungAt = s.Int(7);
    if (!s.Null(8)) r.score = static_cast<int>(s.Int(8));
    return r;
}

constexpr const char* kHistoryColumns =
    "SELECT singer, path, artist, title, library_id, key_shift, tempo_percent, sung_at, "
    "score FROM host_history ";

}  // namespace

HostStore::~HostStore() {
    if (m_db) sqlite3_close_v2(m_db);
}

std::string HostStore::Error(const char* what) const {
    return std::string(what) + ": " + (m_db ? sqlite3_errmsg(m_db) : "no database");
}

std::string HostStore::Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
    std::string reason = message ? message : sqlite3_errmsg(m_db);
    sqlite3_free(message);
    return reason;
}

std::string HostStore::Open(const std::string& path) {
    if (m_db) return {};
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        std::string reason = path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return reason;
    }
    m_db = db;
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    std::string reason = Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    if (reason.empty()) reason = Exec(kSchema);
    if (reason.empty()) reason = Upgrade();
    if (!reason.empty()) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return path + ": " + reason;
    }
    return {};
}

// Databases of earlier versions gain the columns added since; their rows
// keep what they had, the new columns empty.
std::string HostStore::Upgrade() {
    Statement has(m_db, "SELECT 1 FROM pragma_table_info('host_history') WHERE name = 'score'");
    if (!has.Ok()) return Error("upgrade");
    if (has.Step() == SQLITE_ROW) return {};
    return Exec("ALTER TABLE host_history ADD COLUMN score INTEGER");
}

std::string HostStore::Load(Rotation& rotation, HostSettings& settings,
                            std::vector<std::string>& notes) {
    if (!m_db) return Error("load");
    std::vector<Singer> singers;
    Statement s(m_db, "SELECT id, name, away FROM host_singers ORDER BY position, id");
    if (!s.Ok()) return Error("load");
    while (s.Step() == SQLITE_ROW && singers.size() < kMaxSingers)
        singers.push_back({s.Int(0), s.Text(1), s.Int(2) != 0, {}});
    Statement e(m_db,
                "SELECT id, path, artist, title, length_ms, library_id, key_shift, "
                "tempo_percent FROM host_entries WHERE singer_id = ?1 ORDER BY position, id");
    if (!e.Ok()) return Error("load");
    for (Singer& singer : singers) {
        e.Bind(1, singer.id);
        while (e.Step() == SQLITE_ROW && singer.queue.size() < kMaxEntriesPerSinger) {
            singer.queue.push_back({e.Int(0), e.Text(1), e.Text(2), e.Text(3), e.Int(4), e.Int(5),
                                    static_cast<int>(e.Int(6)), static_cast<int>(e.Int(7))});
        }
        e.Done();
    }
    std::map<std::string, std::string> texts;
    Statement st(m_db, "SELECT name, value FROM host_state");
    if (!st.Ok()) return Error("load");
    while (st.Step() == SQLITE_ROW) texts[st.Text(0)] = st.Text(1);
    std::int64_t cursor = 0;
    if (auto it = texts.find("cursor"); it != texts.end()) cursor = std::atoll(it->second.c_str());
    rotation = Rotation::From(std::move(singers), cursor);
    settings = SettingsFromTexts(texts, notes);
    return {};
}

std::string HostStore::Save(const Rotation& rotation, const HistoryRow* sung,
                            std::int64_t* historyId) {
    if (!m_db) return Error("save");
    std::string reason = Exec("BEGIN IMMEDIATE");
    if (!reason.empty()) return reason;
    reason = Exec("DELETE FROM host_entries; DELETE FROM host_singers;");
    Statement singer(m_db,
                     "INSERT INTO host_singers(id, name, position, away) VALUES(?1,?2,?3,?4)");
    Statement entry(m_db,
                    "INSERT INTO host_entries(id, singer_id, position, path, artist, title, "
                    "length_ms, library_id, key_shift, tempo_percent) "
                    "VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10)");
    Statement state(m_db, "INSERT OR REPLACE INTO host_state(name, value) VALUES('cursor', ?1)");
    Statement history(
        m_db,
        "INSERT INTO host_history(singer, path, artist, title, library_id, "
        "key_shift, tempo_percent, sung_at, score) VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9)");
    bool ok = reason.empty() && singer.Ok() && entry.Ok() && state.Ok() && history.Ok();
    const auto& all = rotation.Singers();
    for (std::size_t i = 0; ok && i < all.size(); ++i) {
        const Singer& s = all[i];
        ok = singer.Bind(1, s.id)
                 .Bind(2, s.name)
                 .Bind(3, std::int64_t(i))
                 .Bind(4, std::int64_t(s.away ? 1 : 0))
                 .Done();
        for (std::size_t k = 0; ok && k < s.queue.size(); ++k) {
            const QueueEntry& q = s.queue[k];
            ok = entry.Bind(1, q.id)
                     .Bind(2, s.id)
                     .Bind(3, std::int64_t(k))
                     .Bind(4, q.path)
                     .Bind(5, q.artist)
                     .Bind(6, q.title)
                     .Bind(7, q.lengthMs)
                     .Bind(8, q.libraryId)
                     .Bind(9, q.keyShift)
                     .Bind(10, q.tempoPercent)
                     .Done();
        }
    }
    ok = ok && state.Bind(1, std::to_string(rotation.Cursor())).Done();
    if (ok && sung) {
        ok = history.Bind(1, sung->singer)
                 .Bind(2, sung->path)
                 .Bind(3, sung->artist)
                 .Bind(4, sung->title)
                 .Bind(5, sung->libraryId)
                 .Bind(6, sung->keyShift)
                 .Bind(7, sung->tempoPercent)
                 .Bind(8, sung->sungAt)
                 .Bind(9, sung->score)
                 .Done();
        if (ok && historyId) *historyId = sqlite3_last_insert_rowid(m_db);
    }
    return Finish(ok);
}

std::string HostStore::SetScore(std::int64_t historyId, int score) {
    if (!m_db) return Error("save");
    std::string reason = Exec("BEGIN IMMEDIATE");
    if (!reason.empty()) return reason;
    Statement put(m_db, "UPDATE host_history SET score = ?1 WHERE id = ?2");
    const bool ok = put.Ok() && put.Bind(1, std::int64_t(score)).Bind(2, historyId).Done() &&
                    sqlite3_changes(m_db) == 1;
    return Finish(ok);
}

// Ends the write transaction: kept whole when every step went, else undone.
std::string HostStore::Finish(bool ok) {
    if (!ok) {
        std::string reason = Error("save");
        Exec("ROLLBACK");
        return reason;
    }
    std::string reason = Exec("COMMIT");
    if (!reason.empty()) Exec("ROLLBACK");
    return reason;
}

std::string HostStore::SaveSettings(const HostSettings& settings) {
    if (!m_db) return Error("save");
    std::string reason = Exec("BEGIN IMMEDIATE");
    if (!reason.empty()) return reason;
    Statement put(m_db, "INSERT OR REPLACE INTO host_state(name, value) VALUES(?1, ?2)");
    bool ok = put.Ok();
    for (const auto& [name, value] : SettingsToTexts(settings))
        ok = ok && put.Bind(1, name).Bind(2, value).Done();
    return Finish(ok);
}

std::vector<HistoryRow> HostStore::History(std::size_t limit) const {
    std::vector<HistoryRow> rows;
    if (!m_db) return rows;
    Statement s(m_db, (std::string(kHistoryColumns) + "ORDER BY id DESC LIMIT ?1").c_str());
    s.Bind(1, static_cast<std::int64_t>(std::min(limit, kMaxHistoryRows)));
    while (s.Ok() && s.Step() == SQLITE_ROW) rows.push_back(ReadHistory(s));
    return rows;
}

std::optional<HistoryRow> HostStore::LastSung(const std::string& singer,
                                              const QueueEntry& song) const {
    if (!m_db) return std::nullopt;
    Statement s(m_db, (std::string(kHistoryColumns) +
                       "WHERE singer = ?1 COLLATE NOCASE ORDER BY id DESC LIMIT ?2")
                          .c_str());
    s.Bind(1, singer).Bind(2, static_cast<std::int64_t>(kMaxHistoryRows));
    while (s.Ok() && s.Step() == SQLITE_ROW) {
        HistoryRow row = ReadHistory(s);
        if (SameSong(row, song)) return row;
    }
    return std::nullopt;
}

}  // namespace cx
