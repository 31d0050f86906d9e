// One keyed SQLite database of the host's data directory, and the pieces
// every store built on it uses: prepared statements with bound values, and
// statements run without parameters.
//
// The learning stores (the honorific history, the personal corpus) open
// their file through here, so how a file is opened, keyed and checked is
// decided in one place. Values always travel as bound parameters, never
// inside the statement text; failures are reported to the caller, which
// logs them without the statement (it may hold the user's words).
//
// One connection per object, used from one thread at a time.
#pragma once

#include <string>

#include "Varnex/SqliteApi.h"

namespace Varnex {

class KeyedDatabase {
public:
    explicit KeyedDatabase(std::string path);
    ~KeyedDatabase();
    KeyedDatabase(const KeyedDatabase&) = delete;
    KeyedDatabase& operator=(const KeyedDatabase&) = delete;

    // Opens the file (creating it when missing), keys it and reads its
    // schema, which fails for a file that is not a database or was written
    // with another key. On failure `error` says why, the connection is
    // closed and the file is left as it was.
    bool open(std::string& error);
    void close();
    bool isOpen() const { return db != nullptr; }
    sqlite3* handle() const { return db; }
    const std::string& path() const { return filePath; }

    // Runs a statement without parameters; on failure `error` holds the reason.
    bool execute(const char* sql, std::string& error);
    // Ends a write transaction that a failure left open.
    void rollbackIfOpen();
    // The last error of the connection.
    std::string lastError() const;

    // How long a statement waits for a file another connection (possibly in
    // another process) holds locked before it gives up.
    static constexpr int kBusyTimeoutMs = 5000;

private:
    std::string filePath;
    sqlite3* db = nullptr;
};

// A prepared statement, finalized when it goes out of scope.
class Statement {
public:
    Statement(const KeyedDatabase& database, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepared() const { return stmt != nullptr; }
    // Parameters count from 1. False when the value cannot be bound.
    bool bind(int index, const std::string& text);
    bool bind(int index, long long value);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    bool reset();
    std::string columnText(int column) const;
    long long columnInt(int column) const;
    bool columnIsNull(int column) const;

private:
    sqlite3_stmt* stmt = nullptr;
};

}  // namespace Varnex
