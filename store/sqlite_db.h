#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vortaxel::store {

/// The outcome of one SQLite call: its result code and, on failure, SQLite's words for it.
struct SqlStatus {
    int code = 0;
    std::string message;

    bool Ok() const { return code == 0; }
    explicit operator bool() const { return Ok(); }
};

/// One open SQLite database file. Closes it when destroyed.
class SqlDatabase {
public:
    enum class Mode { ReadOnly, ReadWrite, Create };

    SqlDatabase() = default;
    ~SqlDatabase();
    SqlDatabase(SqlDatabase&& other) noexcept;
    SqlDatabase& operator=(SqlDatabase&& other) noexcept;
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    SqlStatus Open(const std::string& path, Mode mode);
    bool IsOpen() const { return db_ != nullptr; }
    /// Runs statements that return no rows.
    SqlStatus Execute(std::string_view sql);
    /// How long a statement waits for another connection's lock before it gives up.
    void SetBusyTimeout(int ms);
    /// The first column of the first row of `sql`, an integer.
    SqlStatus QueryInt(std::string_view sql, std::int64_t& value);
    std::int64_t LastInsertId() const;
    sqlite3* Handle() const { return db_; }
    SqlStatus LastError(int code) const;

private:
    sqlite3* db_ = nullptr;
};

/// A statement prepared once and run many times: bind, step, reset.
class SqlStatement {
public:
    SqlStatement() = default;
    ~SqlStatement();
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    SqlStatus Prepare(SqlDatabase& db, std::string_view sql);

    // Parameters count from 1, as in SQL.
    void Bind(int index, std::int64_t value);
    void Bind(int index, std::string_view text);
    /// Named apart from Bind, which an int would otherwise reach ambiguously.
    void BindReal(int index, double value);
    void BindBlob(int index, std::string_view bytes);
    void BindNull(int index);
    /// One step: true when a row came, false when the statement is done or failed (see `Status`).
    bool Step();
    /// Runs the statement to its end and resets it, for statements that return no rows.
    SqlStatus Run();
    /// Makes the statement ready to run again, bindings cleared.
    void Reset();
    /// The outcome of the last step.
    const SqlStatus& Status() const { return status_; }

    std::int64_t Int(int column) const;
    double Real(int column) const;
    std::string_view Text(int column) const;
    std::string_view Blob(int column) const;
    bool IsNull(int column) const;

private:
    SqlDatabase* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    SqlStatus status_;
};

/// A transaction that commits only when told; one left open is rolled back when it goes.
class SqlTransaction {
public:
    explicit SqlTransaction(SqlDatabase& db) : db_(db) {}
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;
    SqlTransaction(SqlTransaction&&) = delete;
    SqlTransaction& operator=(SqlTransaction&&) = delete;

    /// `how` is "DEFERRED", "IMMEDIATE" or "EXCLUSIVE".
    SqlStatus Begin(std::string_view how = "IMMEDIATE");
    SqlStatus Commit();
    void Rollback();
    bool IsOpen() const { return open_; }

private:
    SqlDatabase& db_;
    bool open_ = false;
};

} // namespace vortaxel::store
