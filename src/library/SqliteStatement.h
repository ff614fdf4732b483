// A prepared SQLite statement that finalizes itself, with the few binds and
// reads the library needs.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace cx {

class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* db, std::string_view sql) {
        sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &m_stmt, nullptr);
    }
    ~SqliteStatement() { sqlite3_finalize(m_stmt); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    // Ready for new binds and a new run.
    SqliteStatement& Reset() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        return *this;
    }
    SqliteStatement& Bind(int index, std::int64_t value) {
        sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    SqliteStatement& Bind(int index, double value) {
        sqlite3_bind_double(m_stmt, index, value);
        return *this;
    }
    SqliteStatement& Bind(int index, std::string_view text) {
        sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    SqliteStatement& BindNull(int index) {
        sqlite3_bind_null(m_stmt, index);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_MISUSE; }
    // Runs to the end; true when it finished without error.
    bool Run() {
        int rc = Step();
        while (rc == SQLITE_ROW) rc = Step();
        sqlite3_reset(m_stmt);
        return rc == SQLITE_DONE;
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    double Real(int column) const { return sqlite3_column_double(m_stmt, column); }
    bool IsNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    std::string Text(int column) const {
        const auto* text = sqlite3_column_text(m_stmt, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                    : std::string();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

}  // namespace cx
