#include "HonorificHistory.h"

#include "Varnex/Log.h"

namespace Varnex {
namespace {

const char* const kTag = "AutoReplyKorean/src/Varnex/HonorificHistory";

const char* const kFindTable = "select name from sqlite_master where type='table' and name='honorific_history';";
const char* const kCreateTable =
    "CREATE TABLE IF NOT EXISTS honorific_history(sender TEXT PRIMARY KEY NOT NULL, "
    "most_honorific_reply INT default 0 NOT NULL, honorific_reply INT default 0 NOT NULL, "
    "non_honorific_reply INT default 0 NOT NULL);";

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

// Runs a statement whose only parameter is the sender.
bool executeForSender(KeyedDatabase& db, const char* sql, const std::string& sender) {
    varnex_print_log(LOG_INFO, kTag, "Query : %s\n", sql);
    Statement st(db, sql);
    if (st.prepared() && st.bind(1, sender) && st.step() == SQLITE_DONE) return true;
    varnex_print_log(LOG_ERROR, kTag, "SQL Query error: %s\n", db.lastError().c_str());
    return false;
}

const char* incrementFor(const std::string& label) {
    if (label == Label::HIGH) return kIncrementMostHonorific;
    if (label == Label::NORMAL) return kIncrementHonorific;
    return kIncrementNonHonorific;
}

}  // namespace

HonorificHistory::HonorificHistory(const std::string& dbPath, const StoreKeys& keys) : database(dbPath, keys) {}

HonorificHistory::~HonorificHistory() = default;

bool HonorificHistory::failInit(const char* format, const std::string& reason) {
    varnex_print_log(LOG_ERROR, kTag, format, reason.c_str());
    database.close();
    return false;
}

bool HonorificHistory::init() {
    if (database.isOpen()) return true;
    std::string error;
    if (!database.open(error, kCreateTable)) {
        if (database.cannotBeCreated()) {
            // Nothing was learnt here and nothing can be: suggestions go on
            // without the history.
            varnex_print_log(LOG_WARN, kTag, "The honorific history %s cannot be created (%s): replies are not learnt\n",
                             database.path().c_str(), error.c_str());
            return true;
        }
        return failInit("Failed to open database: %s\n", database.path() + ": " + error);
    }
    varnex_print_log(LOG_INFO, kTag, "Opened database successfully\n");
    if (!kSqliteEncrypts)
        varnex_print_log(LOG_INFO, kTag,
                         "Built with plain SQLite: the honorific history is stored unencrypted in %s\n",
                         database.path().c_str());

    bool exists = false;
    {
        Statement find(database, kFindTable);
        const int rc = find.prepared() ? find.step() : SQLITE_ERROR;
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failInit("Failed to open database: %s\n", database.lastError());
        exists = rc == SQLITE_ROW;
    }
    if (!database.writable()) {
        // What was learnt still serves; only new replies are not counted.
        varnex_print_log(LOG_WARN, kTag, "The honorific history %s can only be read: replies are not learnt\n",
                         database.path().c_str());
        return true;
    }
    if (!exists) {
        if (!database.execute(kCreateTable, error)) return failInit("Failed to create table: %s\n", error);
        varnex_print_log(LOG_INFO, kTag, "Create table successfully\n");
    }
    database.useWriteAheadLog();
    return true;
}

void HonorificHistory::update(const std::string& sender, const std::string& /*message*/,
                              const Annotation& /*messageAnnotation*/, const std::string& /*reply*/,
                              const Annotation& replyAnnotation) {
    if (sender.empty()) return;
    if (!database.writable()) {
        varnex_print_log(LOG_ERROR, kTag, "The honorific history %s cannot be written: the reply is not counted\n",
                         database.path().c_str());
        return;
    }

    const std::string label = replyAnnotation.getLabel(Category::HONORIFIC, "");

    // Create the row if needed and raise the count in one write transaction;
    // the increment happens inside the database so concurrent writers add up.
    std::string error;
    if (!database.execute("BEGIN IMMEDIATE;", error)) {
        varnex_print_log(LOG_ERROR, kTag, "SQL Query error: %s\n", error.c_str());
        return;
    }
    if (!executeForSender(database, kInsertSender, sender) ||
        !executeForSender(database, incrementFor(label), sender)) {
        database.rollbackIfOpen();
        return;
    }
    if (!database.execute("COMMIT;", error)) {
        varnex_print_log(LOG_ERROR, kTag, "SQL Query error: %s\n", error.c_str());
        database.rollbackIfOpen();
        return;
    }
    varnex_print_log(LOG_INFO, kTag, "Records created successfully\n");
}

HonorificHistory::Lookup HonorificHistory::lookup(const std::string& sender, HonorificCounts& counts) {
    if (!database.isOpen()) return Lookup::NoRow;
    ReusedStatement st(database, kSelectCounts);
    if (!st.prepared() || !st->bind(1, sender)) return Lookup::NoRow;
    int rc = st->step();
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE) varnex_print_log(LOG_WARN, kTag, "SQL Query error: %s\n", database.lastError().c_str());
        return Lookup::NoRow;
    }
    for (int i = 0; i < 3; ++i)
        if (st->columnIsNull(i)) return Lookup::NullValue;
    counts.mostHonorific = st->columnInt(0);
    counts.honorific = st->columnInt(1);
    counts.nonHonorific = st->columnInt(2);
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
    if (!database.isOpen()) {
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
