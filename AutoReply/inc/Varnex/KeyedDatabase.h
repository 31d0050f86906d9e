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

#include <map>
#include <memory>
#include <string>

#include "Varnex/SqliteApi.h"
#include "Varnex/StoreKey.h"

namespace Varnex {

class Statement;

class KeyedDatabase {
public:
    explicit KeyedDatabase(std::string path, StoreKeys keys = StoreKeys());
    ~KeyedDatabase();
    KeyedDatabase(const KeyedDatabase&) = delete;
    KeyedDatabase& operator=(const KeyedDatabase&) = delete;

    // The keys open() uses; takes effect at the next open().
    void setKeys(const StoreKeys& keys) { storeKeys = keys; }

    // Opens the file, keys it and reads its schema, which fails for a file
    // that is not a database or is under none of the keys.
    //
    // A missing file is created with `schema` (statements run before the
    // file appears) in a temporary file that is then linked into place, so
    // another process never meets a half-made store and two processes
    // creating it at once both end up using the one that won. A file under
    // a former key is rekeyed to the current key when it can be written.
    // A file that cannot be written (read-only file or directory) is opened
    // for reading: writable() tells. On failure `error` says why, the
    // connection is closed and the file is left as it was;
    // cannotBeCreated() then tells whether the file was simply missing in a
    // directory that cannot be written.
    bool open(std::string& error, const std::string& schema = std::string());
    // Moves a writable file to a write-ahead log (kept while connections
    // are open, folded back when the last one closes), so that commits need
    // no sync. Called once the store has checked the file: open() itself
    // changes nothing in an existing file.
    void useWriteAheadLog();
    void close();
    bool isOpen() const { return db != nullptr; }
    bool writable() const { return db != nullptr && canWrite; }
    bool cannotBeCreated() const { return missingInReadOnlyDirectory; }
    sqlite3* handle() const { return db; }
    const std::string& path() const { return filePath; }

    // Runs a statement without parameters; on failure `error` holds the reason.
    bool execute(const char* sql, std::string& error);
    // Ends a write transaction that a failure left open.
    void rollbackIfOpen();
    // The last error of the connection.
    std::string lastError() const;

    // A statement prepared once and kept until the connection closes, for
    // the queries asked on every message; see ReusedStatement. Null when
    // the database is not open.
    Statement* reusable(const std::string& sql);

    // How long a statement waits for a file another connection (possibly in
    // another process) holds locked before it gives up.
    static constexpr int kBusyTimeoutMs = 5000;

private:
    enum class Attempt { Opened, Failed, Retry };
    bool create(const std::string& schema, std::string& error);
    Attempt openExisting(std::string& error);
    bool keyWith(const StoreKey& key, std::string& error, int& code);
    bool checkWritable();

    std::string filePath;
    StoreKeys storeKeys;
    sqlite3* db = nullptr;
    std::map<std::string, std::unique_ptr<Statement>> prepared;
    bool canWrite = false;
    bool missingInReadOnlyDirectory = false;
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

// One use of a reusable statement: reset (its bindings kept until rebound)
// when the use ends, so the next use starts from the first row.
class ReusedStatement {
public:
    ReusedStatement(KeyedDatabase& database, const std::string& sql) : statement(database.reusable(sql)) {}
    ~ReusedStatement() {
        if (statement != nullptr) statement->reset();
    }
    ReusedStatement(const ReusedStatement&) = delete;
    ReusedStatement& operator=(const ReusedStatement&) = delete;

    bool prepared() const { return statement != nullptr && statement->prepared(); }
    Statement* operator->() const { return statement; }

private:
    Statement* statement;
};

}  // namespace Varnex
