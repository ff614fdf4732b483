#include "library/SongLibrary.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "library/SongFacts.h"
#include "library/SqliteStatement.h"
#include "lyrics/SiblingFile.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 5000;
// Changes are committed in batches, so a cancelled or killed scan keeps
// what it had read and a search is never kept waiting long.
constexpr std::size_t kRowsPerCommit = 500;
constexpr std::size_t kProgressEvery = 64;
constexpr int kMaxScanDepth = 32;
// A search reads at most this many matches before grouping and sorting them.
constexpr std::size_t kMaxSearchCandidates = 2000;
constexpr std::size_t kCandidatesPerResult = 4;
constexpr const char* kPatternOption = "name_pattern";

constexpr const char* kSchema = R"sql(
CREATE TABLE schema_version(version INTEGER NOT NULL);
CREATE TABLE options(name TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE folders(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE);
CREATE TABLE songs(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    folder_id INTEGER NOT NULL,
    path TEXT NOT NULL UNIQUE,
    artist TEXT NOT NULL DEFAULT '',
    title TEXT NOT NULL DEFAULT '',
    song_key TEXT NOT NULL DEFAULT '',
    kind INTEGER NOT NULL DEFAULT 0,
    length_ms INTEGER NOT NULL DEFAULT 0,
    lufs REAL,
    true_peak REAL,
    size INTEGER NOT NULL DEFAULT 0,
    mtime_ns INTEGER NOT NULL DEFAULT 0,
    missing INTEGER NOT NULL DEFAULT 0);
CREATE INDEX songs_by_folder ON songs(folder_id);
CREATE INDEX songs_by_key ON songs(song_key);
CREATE VIRTUAL TABLE songs_fts USING fts5(artist, title, words,
    tokenize = 'unicode61 remove_diacritics 2', prefix = '1 2 3');
)sql";

constexpr const char* kSongColumns =
    "s.id, s.path, s.artist, s.title, s.kind, s.length_ms, s.lufs, s.true_peak, s.size, "
    "s.mtime_ns, s.missing, s.song_key";

LibrarySong ReadSong(const SqliteStatement& st) {
    LibrarySong song;
    song.Id = st.Int(0);
    song.Path = st.Text(1);
    song.Artist = st.Text(2);
    song.Title = st.Text(3);
    const auto kind = st.Int(4);
    song.Kind = kind == 1   ? LibrarySongKind::Cdg
                : kind == 2 ? LibrarySongKind::Midi
                            : LibrarySongKind::Audio;
    song.LengthMs = st.Int(5);
    if (!st.IsNull(6)) song.Loudness = LoudnessReading{st.Real(6), st.Real(7)};
    song.Size = st.Int(8);
    song.MtimeNs = st.Int(9);
    song.Missing = st.Int(10) != 0;
    return song;
}

std::string SongKey(const std::string& artist, const std::string& title, const std::string& path) {
    std::string folded = FoldForCompare(title);
    // Songs without a title are not versions of each other.
    if (folded.empty()) return "\x1e" + path;
    return FoldForCompare(artist) + '\x1f' + folded;
}

std::string CleanFolder(const std::string& folder) {
    std::error_code ec;
    fs::path p = fs::absolute(folder, ec).lexically_normal();
    std::string text = p.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

std::string Stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &tm);
    return text;
}

bool FileState(const char* path, std::int64_t& size, std::int64_t& mtimeNs) {
    struct stat st {};
    if (::stat(path, &st) != 0) return false;
    size = st.st_size;
    mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

}  // namespace

const char* KindName(LibrarySongKind kind) {
    switch (kind) {
        case LibrarySongKind::Cdg:
            return "cdg";
        case LibrarySongKind::Midi:
            return "midi";
        case LibrarySongKind::Audio:
            break;
    }
    return "audio";
}

struct SongLibrary::Statements {
    explicit Statements(sqlite3* db)
        : begin(db, "BEGIN IMMEDIATE"),
          commit(db, "COMMIT"),
          rollback(db, "ROLLBACK"),
          folderId(db, "SELECT id FROM folders WHERE path = ?1"),
          addFolder(db, "INSERT OR IGNORE INTO folders(path) VALUES(?1)"),
          known(db, "SELECT id, path, size, mtime_ns, missing FROM songs WHERE folder_id = ?1"),
          upsert(db,
                 "INSERT INTO songs(folder_id, path, artist, title, song_key, kind, length_ms, "
                 "lufs, true_peak, size, mtime_ns, missing) "
                 "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, 0) "
                 "ON CONFLICT(path) DO UPDATE SET folder_id = ?1, artist = ?3, title = ?4, "
                 "song_key = ?5, kind = ?6, length_ms = ?7, lufs = ?8, true_peak = ?9, "
                 "size = ?10, mtime_ns = ?11, missing = 0 RETURNING id"),
          ftsDelete(db, "DELETE FROM songs_fts WHERE rowid = ?1"),
          ftsInsert(db,
                    "INSERT INTO songs_fts(rowid, artist, title, words) VALUES(?1, ?2, ?3, ?4)"),
          setMissing(db, "UPDATE songs SET missing = ?2 WHERE id = ?1"),
          search(db, std::string("SELECT ") + kSongColumns +
                         " FROM songs_fts JOIN songs s ON s.id = songs_fts.rowid"
                         " WHERE songs_fts MATCH ?1 LIMIT ?2"),
          browse(db, std::string("SELECT ") + kSongColumns +
                         " FROM songs s ORDER BY s.song_key LIMIT ?1"),
          byId(db, std::string("SELECT ") + kSongColumns + " FROM songs s WHERE s.id = ?1") {}

    bool Ok() const {
        for (const SqliteStatement* st :
             {&begin, &commit, &rollback, &folderId, &addFolder, &known, &upsert, &ftsDelete,
              &ftsInsert, &setMissing, &search, &browse, &byId})
            if (!st->Ok()) return false;
        return true;
    }

    SqliteStatement begin, commit, rollback, folderId, addFolder, known, upsert, ftsDelete,
        ftsInsert, setMissing, search, browse, byId;
};

SongLibrary::SongLibrary(std::string databasePath) : m_path(std::move(databasePath)) {}

SongLibrary::~SongLibrary() {
    Close();
}

std::string SongLibrary::DefaultPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path base = xdg && *xdg     ? fs::path(xdg)
                    : home && *home ? fs::path(home) / ".local" / "share"
                                    : fs::path(".");
    return (base / "Cantabilex" / "library.db").string();
}

void SongLibrary::Close() {
    m_st.reset();
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool SongLibrary::Open() {
    m_note = {};
    if (m_db) return true;
    std::error_code ec;
    const fs::path folder = fs::path(m_path).parent_path();
    if (!folder.empty()) fs::create_directories(folder, ec);
    return OpenFile();
}

bool SongLibrary::OpenFile() {
    const int rc =
        sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        m_note = {"LibraryCannotOpen", "cannot open the song library " + m_path + ": " +
                                           (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc))};
        Close();
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 0);
    // Read before anything is written: a library this version cannot use
    // stays exactly as it is.
    int check = SQLITE_OK;
    int version = 0;
    {
        SqliteStatement read(m_db, "SELECT version FROM schema_version");
        if (!read.Ok()) {
            check = sqlite3_errcode(m_db);
            // A new file, or one holding only the host's rotation (which
            // shares it and may have made it first): give it the schema.
            SqliteStatement tables(
                m_db,
                "SELECT count(*) FROM sqlite_master WHERE name NOT LIKE "
                "'host\\_%' ESCAPE '\\' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
            if (tables.Ok() && tables.Step() == SQLITE_ROW && tables.Int(0) == 0) {
                const std::string sql = std::string("BEGIN;") + kSchema +
                                        "INSERT INTO schema_version VALUES(" +
                                        std::to_string(kSchemaVersion) + ");COMMIT;";
                check = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
                version = kSchemaVersion;
            } else if (tables.Ok()) {
                check = SQLITE_CORRUPT;  // tables of something else
            }
        } else if (read.Step() == SQLITE_ROW) {
            version = static_cast<int>(read.Int(0));
        } else {
            check = SQLITE_CORRUPT;
        }
    }
    if (check == SQLITE_NOTADB || check == SQLITE_CORRUPT) return MoveAside(sqlite3_errstr(check));
    if (check != SQLITE_OK) {
        m_note = {"LibraryCannotOpen",
                  "cannot open the song library " + m_path + ": " + sqlite3_errstr(check)};
        Close();
        return false;
    }
    if (version > kSchemaVersion) {
        m_note = {"LibraryTooNew", "the song library " + m_path +
                                       " was written by a newer version of the program; "
                                       "it is left as it is"};
        Close();
        return false;
    }
    // WAL: a reader never waits for the scan, and a write cut off by a kill
    // is rolled back on the next open.
    check = sqlite3_exec(m_db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;", nullptr,
                         nullptr, nullptr);
    if (check == SQLITE_NOTADB || check == SQLITE_CORRUPT) return MoveAside(sqlite3_errstr(check));
    return Prepare();
}

bool SongLibrary::Prepare() {
    m_st = std::make_unique<Statements>(m_db);
    if (m_st->Ok()) return true;
    return MoveAside(sqlite3_errmsg(m_db));
}

bool SongLibrary::MoveAside(const std::string& why) {
    Close();
    const std::string aside = m_path + ".broken-" + Stamp();
    std::error_code ec;
    fs::rename(m_path, aside, ec);
    if (ec) {
        m_note = {"LibraryCannotOpen", "the song library " + m_path + " cannot be read (" + why +
                                           ") nor moved aside: " + ec.message()};
        return false;
    }
    // The journal files belong to the broken file: they go with it.
    for (const char* suffix : {"-wal", "-shm"}) {
        std::error_code sideEc;
        if (fs::exists(m_path + suffix, sideEc))
            fs::rename(m_path + suffix, aside + suffix, sideEc);
    }
    const LibraryNote moved{"LibraryMovedAside",
                            "the song library " + m_path + " could not be read (" + why +
                                "); it was moved to " + aside + " and a new library started"};
    const bool opened = OpenFile();
    if (opened) m_note = moved;
    return opened;
}

NamePattern SongLibrary::Pattern() const {
    if (!m_db) return NamePattern::Auto;
    SqliteStatement read(m_db, "SELECT value FROM options WHERE name = ?1");
    read.Bind(1, std::string_view(kPatternOption));
    if (read.Step() != SQLITE_ROW) return NamePattern::Auto;
    const int value = std::atoi(read.Text(0).c_str());
    return value >= 0 && value < kNamePatternCount ? static_cast<NamePattern>(value)
                                                   : NamePattern::Auto;
}

bool SongLibrary::SetPattern(NamePattern pattern) {
    if (!m_db) return false;
    if (pattern == Pattern()) return true;
    SqliteStatement write(m_db, "INSERT OR REPLACE INTO options(name, value) VALUES(?1, ?2)");
    write.Bind(1, std::string_view(kPatternOption))
        .Bind(2, std::to_string(static_cast<int>(pattern)));
    // Names read by the old pattern are read again at the next scan.
    SqliteStatement again(m_db, "UPDATE songs SET mtime_ns = -1");
    if (!m_st->begin.Run()) return false;
    if (write.Run() && again.Run()) return m_st->commit.Run();
    m_st->rollback.Run();
    return false;
}

bool SongLibrary::AddFolder(const std::string& folder) {
    if (!m_db) return false;
    return m_st->addFolder.Reset().Bind(1, CleanFolder(folder)).Run();
}

bool SongLibrary::RemoveFolder(const std::string& folder) {
    if (!m_db) return false;
    const std::string clean = CleanFolder(folder);
    SqliteStatement fts(m_db,
                        "DELETE FROM songs_fts WHERE rowid IN (SELECT id FROM songs WHERE "
                        "folder_id = (SELECT id FROM folders WHERE path = ?1))");
    SqliteStatement songs(m_db,
                          "DELETE FROM songs WHERE folder_id = (SELECT id FROM folders WHERE "
                          "path = ?1)");
    SqliteStatement folders(m_db, "DELETE FROM folders WHERE path = ?1");
    if (!m_st->begin.Run()) return false;
    if (fts.Bind(1, clean).Run() && songs.Bind(1, clean).Run() && folders.Bind(1, clean).Run())
        return m_st->commit.Run();
    m_st->rollback.Run();
    return false;
}

std::vector<std::string> SongLibrary::Folders() const {
    std::vector<std::string> out;
    if (!m_db) return out;
    SqliteStatement read(m_db, "SELECT path FROM folders ORDER BY path");
    while (read.Step() == SQLITE_ROW) out.push_back(read.Text(0));
    return out;
}

std::size_t SongLibrary::SongCount() const {
    if (!m_db) return 0;
    SqliteStatement read(m_db, "SELECT count(*) FROM songs");
    return read.Step() == SQLITE_ROW ? static_cast<std::size_t>(read.Int(0)) : 0;
}

std::optional<LibrarySong> SongLibrary::SongById(std::int64_t id) const {
    if (!m_db) return std::nullopt;
    SqliteStatement& st = m_st->byId.Reset().Bind(1, id);
    std::optional<LibrarySong> song;
    if (st.Step() == SQLITE_ROW) song = ReadSong(st);
    st.Reset();
    return song;
}

std::vector<LibrarySong> SongLibrary::Search(std::string_view text, std::size_t limit,
                                             bool presentOnly) const {
    std::vector<LibrarySong> out;
    if (!m_db || limit == 0) return out;
    limit = std::min(limit, kMaxSearchResults);
    const std::string query = PrefixQuery(text.substr(0, kMaxSearchTextBytes));
    const auto candidates =
        static_cast<std::int64_t>(std::min(kMaxSearchCandidates, limit * kCandidatesPerResult));
    SqliteStatement& st = query.empty() ? m_st->browse.Reset().Bind(1, candidates)
                                        : m_st->search.Reset().Bind(1, query).Bind(2, candidates);
    // Versions share a key; the first present one stands for the group.
    std::map<std::string, std::vector<LibrarySong>> groups;
    while (st.Step() == SQLITE_ROW) groups[st.Text(11)].push_back(ReadSong(st));
    st.Reset();
    std::map<std::string, std::size_t> shown;  // key -> its entry in `out`
    for (auto& [key, songs] : groups) {
        if (out.size() >= limit) break;
        std::stable_sort(songs.begin(), songs.end(),
                         [](const LibrarySong& a, const LibrarySong& b) {
                             return a.Missing != b.Missing ? !a.Missing : a.Path < b.Path;
                         });
        if (presentOnly && songs.front().Missing) continue;
        shown.emplace(key, out.size());
        out.push_back(std::move(songs.front()));
    }
    if (shown.empty()) return out;
    // Every version of the songs shown, the ones the matches missed too
    // (another folder names them otherwise), in one statement.
    std::string sql = "SELECT id, song_key FROM songs WHERE song_key IN (?";
    for (std::size_t i = 1; i < shown.size(); ++i) sql += ",?";
    sql += ") ORDER BY missing, path";
    SqliteStatement all(m_db, sql);
    int index = 0;
    for (const auto& entry : shown) all.Bind(++index, entry.first);
    while (all.Step() == SQLITE_ROW) {
        LibrarySong& song = out[shown.at(all.Text(1))];
        if (all.Int(0) != song.Id) song.OtherVersions.push_back(all.Int(0));
    }
    return out;
}

LibraryScanReport SongLibrary::ScanFolder(const std::string& folder, const Progress& progress,
                                          const std::atomic<bool>& cancel) {
    LibraryScanReport report;
    if (!m_db) {
        report.Error = m_note.Message.empty() ? "the song library is not open" : m_note.Message;
        return report;
    }
    const std::string root = CleanFolder(folder);
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        report.Error = "cannot read " + root + ": " + ec.message();
        return report;
    }
    if (!AddFolder(root)) {
        report.Error = std::string("cannot store the folder: ") + sqlite3_errmsg(m_db);
        return report;
    }
    SqliteStatement& folderId = m_st->folderId.Reset().Bind(1, root);
    const std::int64_t id = folderId.Step() == SQLITE_ROW ? folderId.Int(0) : 0;
    folderId.Reset();

    struct Known {
        std::int64_t Id, Size, Mtime;
        bool Missing, Seen;
    };
    std::unordered_map<std::string, Known> known;
    for (SqliteStatement& st = m_st->known.Reset().Bind(1, id); st.Step() == SQLITE_ROW;)
        known.emplace(st.Text(1), Known{st.Int(0), st.Int(2), st.Int(3), st.Int(4) != 0, false});
    m_st->known.Reset();

    const NamePattern pattern = Pattern();
    LibraryScanProgress shown;
    std::size_t pending = 0;
    bool inTransaction = false;
    auto commitBatch = [&](bool force) {
        if (inTransaction && (force || pending >= kRowsPerCommit)) {
            m_st->commit.Run();
            inTransaction = false;
            pending = 0;
        }
    };
    auto write = [&](SqliteStatement& st) {
        if (!inTransaction) inTransaction = m_st->begin.Run();
        const bool ok = st.Run();
        if (!ok && report.Error.empty()) report.Error = sqlite3_errmsg(m_db);
        ++pending;
        return ok;
    };

    SiblingFinder siblings;
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            ec.clear();  // an unreadable entry costs that entry only
            continue;
        }
        if (cancel.load(std::memory_order_relaxed)) {
            report.Cancelled = true;
            break;
        }
        if (it.depth() >= kMaxScanDepth) it.disable_recursion_pending();
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        if (++shown.FilesSeen % kProgressEvery == 0 && progress) progress(shown);
        const std::string path = it->path().string();
        const auto kindGuess = LibraryKindOf(path, &siblings);
        if (!kindGuess) continue;
        if (report.Songs >= kMaxLibraryFolderSongs) {
            report.Capped = true;
            break;
        }
        std::int64_t size = 0, mtime = 0;
        if (!FileState(path.c_str(), size, mtime)) continue;
        ++report.Songs;
        shown.SongsFound = report.Songs;
        const auto found = known.find(path);
        if (found != known.end()) {
            Known& k = found->second;
            k.Seen = true;
            if (k.Size == size && k.Mtime == mtime) {
                ++report.Unchanged;
                if (k.Missing)
                    write(m_st->setMissing.Reset().Bind(1, k.Id).Bind(2, std::int64_t{0}));
                commitBatch(false);
                continue;
            }
        }
        const SongFacts facts = ReadSongFacts(path, *kindGuess, pattern);
        const std::optional<LoudnessReading> loudness =
            m_measure ? m_measure(path) : std::optional<LoudnessReading>();
        SqliteStatement& up = m_st->upsert.Reset();
        up.Bind(1, id).Bind(2, path).Bind(3, facts.Artist).Bind(4, facts.Title);
        up.Bind(5, SongKey(facts.Artist, facts.Title, path))
            .Bind(6, std::int64_t{static_cast<int>(facts.Kind)})
            .Bind(7, facts.LengthMs);
        if (loudness)
            up.Bind(8, loudness->integratedLufs).Bind(9, loudness->truePeakDbtp);
        else
            up.BindNull(8).BindNull(9);
        up.Bind(10, size).Bind(11, mtime);
        if (!inTransaction) inTransaction = m_st->begin.Run();
        if (up.Step() != SQLITE_ROW) {
            if (report.Error.empty()) report.Error = sqlite3_errmsg(m_db);
            up.Reset();
            continue;
        }
        const std::int64_t songId = up.Int(0);
        up.Reset();
        write(m_st->ftsDelete.Reset().Bind(1, songId));
        write(m_st->ftsInsert.Reset()
                  .Bind(1, songId)
                  .Bind(2, facts.Artist)
                  .Bind(3, facts.Title)
                  .Bind(4, NameWords(path)));
        ++(found != known.end() ? report.Updated : report.Added);
        ++shown.SongsRead;
        commitBatch(false);
    }
    // Only a walk that saw the whole folder may say a file is gone.
    if (!report.Cancelled && !report.Capped) {
        for (const auto& [path, k] : known) {
            if (k.Seen || k.Missing) continue;
            write(m_st->setMissing.Reset().Bind(1, k.Id).Bind(2, std::int64_t{1}));
            ++report.MarkedMissing;
            commitBatch(false);
        }
    }
    commitBatch(true);
    if (progress) progress(shown);
    return report;
}

}  // namespace cx
