#include "HonorificHistory.h"

#include <climits>

#include "SqliteApi.h"
#include "Varnex/Log.h"

namespace Varnex {
namespace {

const char* const kTag = "AutoReplyKorean/src/Varnex/HonorificHistory";

// The history shares its key with the personal corpus database.
const char* const kKeyStatement = "PRAGMA key = '*KQZWTR_vexmorlint#';";

// How long a statement waits for a file that another connection (possibly in
// another host process) has locked before giving up.
const int kBusyTimeoutMs = 5000;

const char* const kFindTable = "select name from sqlite_master where type='table' and name='honorific_history';";
const char* const kCreateTable =
    "CREATE TABLE IF NOT EXISTS honorific_history(sender TEXT PRIMARY KEY NOT NULL, "
    "most_honorific_reply INT default 0 NOT NULL, honorific_reply INT default 0 NOT NULL, "
    "non_honorific_reply INT default 0 NOT NULL);";
// Creates a table inside a transaction that is then rolled back: fails when
// the file or its directory cannot be written, and changes nothing otherwise.
const char* const kWriteCheck = "create table honorific_history_write_check(x);";

const char* const kSelectCounts =
    "select most_honorific_reply, honorific_reply, non_honorific_reply from honorific_history where sender = ?1;";
const char* const kInsertSender = "insert or ignore into honorific_history (sender) values (?1);";
const char* const kIncrementMostHonorific =
    "update honorific_history set most_honorific_reply = most_honorific_reply + 1 where sender = ?1;";
const char* const kIncrementHonorific =
    "update honorific_history set honorific_reply = honorific_reply + 1 where sender = ?1;";
const char* const kIncrementNonHonorific =
    "update honorific_history set non_honorific_reply = non_honorific_reply + 1 where sender = ?1;";

const std::string kAnonymous = "anonymous";

// One prepared statement, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepared() const { return rc == SQLITE_OK && stmt != nullptr; }
    bool bind(int index, const std::string& text) {
        if (text.size() > static_cast<size_t>(INT_MAX)) return false;
        return sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) ==
               SQLITE_OK;
    }
    int step() { return sqlite3_step(stmt); }
    sqlite3_stmt* get() { return stmt; }

private:
    sqlite3_stmt* stmt = nullptr;
    int rc = SQLITE_ERROR;
};

// Runs a statement without parameters; on failure `error` holds the reason.
bool execute(sqlite3* db, const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

// Runs a statement whose only parameter is the sender.
bool executeForSender(sqlite3* db, const char* sql, const std::string& sender) {
    varnex_print_log(LOG_INFO, kTag, "Query : %s\n", sql);
    Statement st(db, sql);
    if (st.prepared() && st.bind(1, sender) && st.step() == SQLITE_DONE) return true;
    varnex_print_log(LOG_ERROR, kTag, "SQL Query error: %s\n", sqlite3_errmsg(db));
    return false;
}

void rollbackIfOpen(sqlite3* db) {
    if (sqlite3_get_autocommit(db) == 0) {
        std::string ignored;
        execute(db, "ROLLBACK;", ignored);
    }
}

const char* incrementFor(const std::string& label) {
    if (label == Label::HIGH) return kIncrementMostHonorific;
    if (label == Label::NORMAL) return kIncrementHonorific;
    return kIncrementNonHonorific;
}

}  // namespace

HonorificHistory::HonorificHistory(const std::string& dbPath) : dbPath(dbPath) {}

HonorificHistory::~HonorificHistory() {
    if (database != nullptr) sqlite3_close(database);
}

bool HonorificHistory::failInit(const char* format, const std::string& reason) {
    varnex_print_log(LOG_ERROR, kTag, format, reason.c_str());
    if (database != nullptr) {
        rollbackIfOpen(database);
        sqlite3_close(database);
        database = nullptr;
    }
    return false;
}

bool HonorificHistory::init() {
    if (database != nullptr) return true;

    int rc = sqlite3_open_v2(dbPath.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK)
        return failInit("Failed to open database: %s\n",
                        database != nullptr ? sqlite3_errmsg(database) : sqlite3_errstr(rc));
    sqlite3_busy_timeout(database, kBusyTimeoutMs);

    std::string error;
    if (!execute(database, kKeyStatement, error)) return failInit("Failed to open database: %s\n", error);
    varnex_print_log(LOG_INFO, kTag, "Opened database successfully\n");
    if (!kSqliteEncrypts)
        varnex_print_log(LOG_INFO, kTag,
                         "Built with plain SQLite: the honorific history is stored unencrypted in %s\n",
                         dbPath.c_str());

    // Reading the schema is the first real access to the file: a file that is
    // not a database, or one written with another key, fails here.
    bool exists = false;
    {
        Statement find(database, kFindTable);
        rc = find.prepared() ? find.step() : SQLITE_ERROR;
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            return failInit("Failed to open database: %s\n", sqlite3_errmsg(database));
        exists = rc == SQLITE_ROW;
    }

    if (!exists) {
        if (!execute(database, kCreateTable, error)) return failInit("Failed to create table: %s\n", error);
        varnex_print_log(LOG_INFO, kTag, "Create table successfully\n");
        return true;
    }
    varnex_print_log(LOG_INFO, kTag, "Table already exists. skip creating\n");

    // An existing file may still be unwritable (read-only file or directory):
    // try a write and take it back.
    if (!execute(database, "BEGIN IMMEDIATE;", error) || !execute(database, kWriteCheck, error))
        return failInit("Failed to open database: %s\n", error);
    if (!execute(database, "ROLLBACK;", error)) return failInit("Failed to open database: %s\n", error);
    return true;
}

void HonorificHistory::update(const std::string& sender, const std::string& /*message*/,
                              const Annotation& /*messageAnnotation*/, const std::string& /*reply*/,
                              const Annotation& replyAnnotation) {
    if (database == nullptr) {
        varnex_print_log(LOG_DEBUG, kTag, "Honorific history not open, reply not counted\n");
        return;
    }
    if (sender.empty()) return;

    const std::string label = replyAnnotation.getLabel(Category::HONORIFIC, "");

    // Create the row if needed and raise the count in one write transaction;
    // the increment happens inside the database so concurrent writers add up.
    std::string error;
    if (!execute(database, "BEGIN IMMEDIATE;", error)) {
        varnex_print_log(LOG_ERROR, kTag, "SQL Query error: %s\n", error.c_str());
        return;
    }
    if (!executeForSender(database, kInsertSender, sender) ||
        !executeForSender(database, incrementFor(label), sender)) {
        rollbackIfOpen(database);
        return;
    }
    if (!execute(database, "COMMIT;", error)) {
        varnex_print_log(LOG_ERROR, kTag, "SQL Query error: %s\n", error.c_str());
        rollbackIfOpen(database);
        return;
    }
    varnex_print_log(LOG_INFO, kTag, "Records created successfully\n");
}

HonorificHistory::Lookup HonorificHistory::lookup(const std::string& sender, HonorificCounts& counts) {
    if (database == nullptr) return Lookup::NoRow;
    Statement st(database, kSelectCounts);
    if (!st.prepared() || !st.bind(1, sender)) return Lookup::NoRow;
    int rc = st.step();
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE) varnex_print_log(LOG_WARN, kTag, "SQL Query error: %s\n", sqlite3_errmsg(database));
        return Lookup::NoRow;
    }
    for (int i = 0; i < 3; ++i)
        if (sqlite3_column_type(st.get(), i) == SQLITE_NULL) return Lookup::NullValue;
    counts.mostHonorific = sqlite3_column_int64(st.get(), 0);
    counts.honorific = sqlite3_column_int64(st.get(), 1);
    counts.nonHonorific = sqlite3_column_int64(st.get(), 2);
    return Lookup::Row;
}

bool HonorificHistory::readCounts(const std::string& sender, HonorificCounts& counts) {
    return lookup(sender, counts) == Lookup::Row;
}

bool HonorificHistory::getHonorificLevel(const std::string& sender, const std::string& /*message*/,
                                         const Annotation& annotation, std::string& level) {
    if (sender.empty() || sender == kAnonymous) {
        level = annotation.getLabel(Category::HONORIFIC);
        return false;
    }
    if (database == nullptr) {
        level = Label::FALSE_LABEL;
        return false;
    }

    varnex_print_log(LOG_INFO, kTag, "getHonorificLevel query : %s\n", kSelectCounts);
    HonorificCounts counts;
    switch (lookup(sender, counts)) {
    case Lookup::NoRow:
        level = Label::FALSE_LABEL;
        return false;
    case Lookup::NullValue:
        varnex_print_log(LOG_ERROR, kTag, "Column value error\n");
        level = Label::FALSE_LABEL;
        break;
    case Lookup::Row:
        level = decideHonorificLevel(counts.mostHonorific, counts.honorific, counts.nonHonorific);
        break;
    }
    varnex_print_log(LOG_INFO, kTag, "honorificLevel : %s\n", level.c_str());
    return true;
}

std::string HonorificHistory::decideHonorificLevel(long long mostHonorific, long long honorific,
                                                   long long nonHonorific) {
    if (mostHonorific >= honorific && mostHonorific >= nonHonorific) return Label::HIGH;
    if (honorific < mostHonorific || nonHonorific > honorific) return Label::FALSE_LABEL;
    return Label::NORMAL;
}

}  // namespace Varnex
