#include "store/sqlite_db.h"

#include <sqlite3.h>
#include <utility>

namespace vortaxel::store {

SqlDatabase::~SqlDatabase() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
    }
}

SqlDatabase::SqlDatabase(SqlDatabase&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

SqlDatabase& SqlDatabase::operator=(SqlDatabase&& other) noexcept {
    if (this != &other) {
        if (db_ != nullptr) {
            sqlite3_close_v2(db_);
        }
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

SqlStatus SqlDatabase::Open(const std::string& path, Mode mode) {
    int flags = SQLITE_OPEN_READONLY;
    if (mode == Mode::ReadWrite) {
        flags = SQLITE_OPEN_READWRITE;
    } else if (mode == Mode::Create) {
        flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    // A crawl's recorder writes on a thread of its own while a window may read the same connection,
    // so SQLite serialises each connection's calls. No URI tricks in file names.
    flags |= SQLITE_OPEN_FULLMUTEX;
    const int code = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (code != SQLITE_OK) {
        SqlStatus status{code, db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code)};
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return status;
    }
    sqlite3_extended_result_codes(db_, 1);
    return {};
}

SqlStatus SqlDatabase::LastError(int code) const {
    return {code, db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code)};
}

SqlStatus SqlDatabase::Execute(std::string_view sql) {
    const std::string text(sql);
    char* error = nullptr;
    const int code = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error);
    if (code == SQLITE_OK) {
        return {};
    }
    SqlStatus status{code, error != nullptr ? error : sqlite3_errstr(code)};
    sqlite3_free(error);
    return status;
}

void SqlDatabase::SetBusyTimeout(int ms) {
    sqlite3_busy_timeout(db_, ms);
}

SqlStatus SqlDatabase::QueryInt(std::string_view sql, std::int64_t& value) {
    SqlStatement statement;
    SqlStatus status = statement.Prepare(*this, sql);
    if (!status) {
        return status;
    }
    value = statement.Step() ? statement.Int(0) : 0;
    return statement.Status();
}

std::int64_t SqlDatabase::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(stmt_);
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)), status_(std::move(other.status_)) {}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = other.db_;
        stmt_ = std::exchange(other.stmt_, nullptr);
        status_ = std::move(other.status_);
    }
    return *this;
}

SqlStatus SqlStatement::Prepare(SqlDatabase& db, std::string_view sql) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    db_ = &db;
    const int code = sqlite3_prepare_v3(db.Handle(), sql.data(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    status_ = code == SQLITE_OK ? SqlStatus{} : db.LastError(code);
    return status_;
}

void SqlStatement::Bind(int index, std::int64_t value) {
    sqlite3_bind_int64(stmt_, index, value);
}

void SqlStatement::BindReal(int index, double value) {
    sqlite3_bind_double(stmt_, index, value);
}

void SqlStatement::Bind(int index, std::string_view text) {
    // Bytes as they came: SQLite keeps them whatever their encoding, and hands them back unchanged.
    sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SqlStatement::BindBlob(int index, std::string_view bytes) {
    sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

void SqlStatement::BindNull(int index) {
    sqlite3_bind_null(stmt_, index);
}

bool SqlStatement::Step() {
    const int code = sqlite3_step(stmt_);
    if (code == SQLITE_ROW) {
        status_ = {};
        return true;
    }
    status_ = code == SQLITE_DONE ? SqlStatus{} : db_->LastError(code);
    return false;
}

SqlStatus SqlStatement::Run() {
    while (Step()) {
    }
    SqlStatus status = status_;
    Reset();
    return status;
}

void SqlStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::int64_t SqlStatement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double SqlStatement::Real(int column) const {
    return sqlite3_column_double(stmt_, column);
}

std::string_view SqlStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    const int size = sqlite3_column_bytes(stmt_, column);
    return text == nullptr ? std::string_view() : std::string_view(text, static_cast<std::size_t>(size));
}

std::string_view SqlStatement::Blob(int column) const {
    const void* bytes = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return bytes == nullptr ? std::string_view()
                            : std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

bool SqlStatement::IsNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

SqlTransaction::~SqlTransaction() {
    Rollback();
}

SqlStatus SqlTransaction::Begin(std::string_view how) {
    SqlStatus status = db_.Execute("BEGIN " + std::string(how));
    open_ = status.Ok();
    return status;
}

SqlStatus SqlTransaction::Commit() {
    if (!open_) {
        return {};
    }
    SqlStatus status = db_.Execute("COMMIT");
    if (status) {
        open_ = false;
    }
    return status;
}

void SqlTransaction::Rollback() {
    if (open_) {
        open_ = false;
        // After a failed statement SQLite may have rolled back already; then this one has nothing to do.
        db_.Execute("ROLLBACK");
    }
}

} // namespace vortaxel::store
