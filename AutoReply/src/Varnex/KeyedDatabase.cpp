#include "Varnex/KeyedDatabase.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "Varnex/Log.h"

namespace Varnex {

namespace {
const char* const kTag = "AutoReply/src/Varnex/KeyedDatabase";
const char* const kReadSchema = "select count(*) from sqlite_master;";
// Tries of open() when the file changes under it (another process rekeying
// or creating it at the same moment).
constexpr int kOpenAttempts = 3;

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// "file:" URI of `path` with the immutable flag; characters a URI gives a
// meaning to are escaped.
std::string immutableUri(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c < 0x20) {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri + "?immutable=1";
}

int primaryCode(sqlite3* db) { return db != nullptr ? (sqlite3_errcode(db) & 0xff) : SQLITE_CANTOPEN; }
}  // namespace

KeyedDatabase::KeyedDatabase(std::string path, StoreKeys keys) : filePath(std::move(path)), storeKeys(std::move(keys)) {}

KeyedDatabase::~KeyedDatabase() { close(); }

void KeyedDatabase::close() {
    if (db == nullptr) return;
    prepared.clear();  // finalized first: a connection with live statements does not close
    rollbackIfOpen();
    sqlite3_close(db);
    db = nullptr;
    canWrite = false;
}

bool KeyedDatabase::open(std::string& error, const std::string& schema) {
    if (db != nullptr) return true;
    missingInReadOnlyDirectory = false;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (::access(filePath.c_str(), F_OK) != 0 && !create(schema, error)) return false;
        switch (openExisting(error)) {
            case Attempt::Opened:
                return true;
            case Attempt::Failed:
                return false;
            case Attempt::Retry:
                break;
        }
    }
    if (error.empty()) error = "the file kept changing while it was opened";
    return false;
}

bool KeyedDatabase::create(const std::string& schema, std::string& error) {
    std::string temp = filePath + ".new-XXXXXX";
    const int fd = ::mkstemp(&temp[0]);  // mode 0600: the store is the user's alone
    if (fd < 0) {
        const int e = errno;
        missingInReadOnlyDirectory = e == EACCES || e == EROFS || e == EPERM;
        error = std::string("cannot be created: ") + std::strerror(e);
        return false;
    }
    ::close(fd);
    // An empty file is an empty database: keyed and given its schema here,
    // it appears under its own name only once it is complete.
    KeyedDatabase made(temp, storeKeys);
    made.storeKeys.former.clear();
    std::string why;
    bool ok = false;
    if (sqlite3_open_v2(temp.c_str(), &made.db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        int code = 0;
        ok = made.keyWith(storeKeys.key, why, code) &&
             made.execute(schema.empty() ? "PRAGMA user_version = 1;" : schema.c_str(), why);
    } else {
        why = made.lastError();
    }
    made.close();
    int linked = -1, linkErrno = 0;
    if (ok) {
        linked = ::link(temp.c_str(), filePath.c_str());
        linkErrno = errno;
    }
    ::unlink(temp.c_str());
    ::unlink((temp + "-journal").c_str());
    if (!ok) {
        error = "cannot be created: " + why;
        return false;
    }
    // EEXIST: another process created it first; that one is used.
    if (linked != 0 && linkErrno != EEXIST) {
        error = std::string("cannot be created: ") + std::strerror(linkErrno);
        return false;
    }
    if (linked == 0) varnex_print_log(LOG_INFO, kTag, "Created %s\n", filePath.c_str());
    return true;
}

bool KeyedDatabase::keyWith(const StoreKey& key, std::string& error, int& code) {
    const std::string statement = "PRAGMA key = " + key.pragmaValue() + ";";
    // Reading the schema is the first real access to the file: a file that
    // is not a database, or one written under another key, fails here.
    if (execute(statement.c_str(), error) && execute(kReadSchema, error)) return true;
    code = primaryCode(db);
    return false;
}

KeyedDatabase::Attempt KeyedDatabase::openExisting(std::string& error) {
    std::vector<const StoreKey*> keys{&storeKeys.key};
    for (const auto& k : storeKeys.former)
        if (k != storeKeys.key) keys.push_back(&k);
    // A file that cannot be written, or that sits in a directory that cannot
    // (where a write-ahead log could not be kept), is opened as immutable:
    // read without locks or log files, as it stands.
    const bool writableHere = ::access(filePath.c_str(), W_OK) == 0 && ::access(directoryOf(filePath).c_str(), W_OK) == 0;
    const std::string target = writableHere ? filePath : immutableUri(filePath);
    const int flags = writableHere ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
    size_t used = keys.size();
    for (size_t i = 0; i < keys.size() && used == keys.size(); ++i) {
        // Without CREATE: a file removed meanwhile is not made up empty.
        const int rc = sqlite3_open_v2(target.c_str(), &db, flags, nullptr);
        if (rc != SQLITE_OK) {
            error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
            close();
            return Attempt::Failed;
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        int code = 0;
        if (keyWith(*keys[i], error, code)) {
            used = i;
            break;
        }
        close();
        // Only "not a database" means another key may fit.
        if (code != SQLITE_NOTADB) return Attempt::Failed;
    }
    if (used == keys.size()) {
        error = "cannot be read with the store key (written under another key, or not a database)";
        return Attempt::Failed;
    }
    canWrite = writableHere && checkWritable();
    if (used > 0 && canWrite) {
        // Rekeyed with a rollback journal, the log's pages are never left
        // under the old key.
        const std::string rekey = "PRAGMA rekey = " + storeKeys.key.pragmaValue() + ";";
        std::string why;
        if (!execute("PRAGMA journal_mode = DELETE;", why) || !execute(rekey.c_str(), why)) {
            // Most likely another process rekeyed it first: start over.
            varnex_print_log(LOG_INFO, kTag, "Rekeying %s failed (%s); opening it again\n", filePath.c_str(),
                             why.c_str());
            close();
            return Attempt::Retry;
        }
        varnex_print_log(LOG_INFO, kTag, "Rekeyed %s to the data directory's key\n", filePath.c_str());
    }
    return Attempt::Opened;
}

void KeyedDatabase::useWriteAheadLog() {
    if (!writable()) return;
    // Synced at checkpoints: a commit costs no sync, a crashed process
    // loses nothing it committed, and a power cut can only take back the
    // last commits, never damage the file. When another connection keeps
    // the mode from changing, the file stays in its present mode, which is
    // as safe.
    std::string ignored;
    execute("PRAGMA journal_mode = WAL;", ignored);
    execute("PRAGMA synchronous = NORMAL;", ignored);
}

bool KeyedDatabase::checkWritable() {
    if (sqlite3_db_readonly(db, "main") == 1) return false;
    // A write inside a transaction that is then rolled back: it needs the
    // file and, for the journal, its directory to be writable.
    std::string error;
    if (!execute("BEGIN IMMEDIATE;", error)) return primaryCode(db) == SQLITE_BUSY;  // another writer holds it
    const bool wrote = execute("create table varnex_write_check(x);", error);
    rollbackIfOpen();
    return wrote;
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

Statement* KeyedDatabase::reusable(const std::string& sql) {
    if (db == nullptr) return nullptr;
    auto& slot = prepared[sql];
    if (!slot || !slot->prepared()) slot = std::make_unique<Statement>(*this, sql.c_str());
    return slot.get();
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
