#include "Varnex/KeyedDatabase.h"

#include <climits>

namespace Varnex {

namespace {
// Both stores share the key. The built-in key only keeps the files from
// being read as plain SQLite; it is not a secret.
const char* const kKeyStatement = "PRAGMA key = '*KQZWTR_vexmorlint#';";
const char* const kReadSchema = "select count(*) from sqlite_master;";
}  // namespace

KeyedDatabase::KeyedDatabase(std::string path) : filePath(std::move(path)) {}

KeyedDatabase::~KeyedDatabase() { close(); }

void KeyedDatabase::close() {
    if (db == nullptr) return;
    rollbackIfOpen();
    sqlite3_close(db);
    db = nullptr;
}

bool KeyedDatabase::open(std::string& error) {
    if (db != nullptr) return true;
    const int rc = sqlite3_open_v2(filePath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        close();
        return false;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Reading the schema is the first real access to the file: a file that
    // is not a database, or one written with another key, fails here.
    if (!execute(kKeyStatement, error) || !execute(kReadSchema, error)) {
        close();
        return false;
    }
    return true;
}

bool KeyedDatabase::execute(const char* sql, std::string& error) {
    if (db == nullptr) {
        error = "database not open";
        return false;
    }
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

void KeyedDatabase::rollbackIfOpen() {
    if (db != nullptr && sqlite3_get_autocommit(db) == 0) {
        std::string ignored;
        execute("ROLLBACK;", ignored);
    }
}

std::string KeyedDatabase::lastError() const { return db != nullptr ? sqlite3_errmsg(db) : "database not open"; }

Statement::Statement(const KeyedDatabase& database, const char* sql) {
    if (database.handle() == nullptr || sqlite3_prepare_v2(database.handle(), sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
}

Statement::~Statement() { sqlite3_finalize(stmt); }

bool Statement::bind(int index, const std::string& text) {
    if (stmt == nullptr || text.size() > static_cast<size_t>(INT_MAX)) return false;
    return sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

bool Statement::bind(int index, long long value) {
    return stmt != nullptr && sqlite3_bind_int64(stmt, index, value) == SQLITE_OK;
}

int Statement::step() { return stmt != nullptr ? sqlite3_step(stmt) : SQLITE_MISUSE; }

bool Statement::reset() { return stmt != nullptr && sqlite3_reset(stmt) == SQLITE_OK; }

std::string Statement::columnText(int column) const {
    const unsigned char* text = stmt != nullptr ? sqlite3_column_text(stmt, column) : nullptr;
    if (text == nullptr) return std::string();
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
}

long long Statement::columnInt(int column) const { return stmt != nullptr ? sqlite3_column_int64(stmt, column) : 0; }

bool Statement::columnIsNull(int column) const {
    return stmt == nullptr || sqlite3_column_type(stmt, column) == SQLITE_NULL;
}

}  // namespace Varnex
