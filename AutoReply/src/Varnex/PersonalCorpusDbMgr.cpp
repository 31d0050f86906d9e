#include "Varnex/PersonalCorpusDbMgr.h"

#include <set>

#include "Varnex/Log.h"
#include "Varnex/Utilities/StringUtil.h"

namespace Varnex {

namespace {
const char* const kTag = "AutoReply/src/Varnex/PersonalCorpusDbMgr";

bool isBusy(int rc) {
    rc &= 0xff;
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

bool isMark(char c) { return c == '/' || c == '~'; }

std::string labelOf(const Annotation& annotation) { return annotation.getLabel(Category::HONORIFIC); }

}  // namespace

// Every statement of one table. The table name is the only part of a
// statement that is not a bound parameter, and it is one of two constants.
struct PersonalCorpusDbMgr::TableSql {
    std::string name;
    std::string create;
    std::string insert;
    std::string bump;
    std::string degrade;
    std::string remove;
    std::string select;
    std::string readAll;
};

namespace {

// Written as the store has always been written, so files of earlier
// versions open unchanged.
std::string createStatement(const std::string& t) {
    return "create table " + t +
           "(no integer primary key, sender varchar(20), honorific varchar(20), "
           "PerRule varchar(255), NorRule varchar(255), count integer, "
           "UNIQUE (sender, honorific, PerRule, NorRule) ON CONFLICT IGNORE);";
}

}  // namespace

const PersonalCorpusDbMgr::TableSql* PersonalCorpusDbMgr::sqlFor(const char* operation,
                                                                  const std::string& table) const {
    static const std::vector<TableSql> tables = [] {
        std::vector<TableSql> all;
        for (const std::string t : {"prc", "gprc"}) {
            const std::string key = " WHERE sender = ?1 AND honorific = ?2 AND PerRule = ?3 AND NorRule = ?4;";
            TableSql s;
            s.name = t;
            s.create = createStatement(t);
            // A new row starts at 0 and is raised by the same statement that
            // raises an existing one, so a row is counted up whatever its
            // label and never written back with a count read earlier.
            s.insert = "INSERT OR IGNORE INTO " + t +
                       " (sender, honorific, PerRule, NorRule, count) VALUES (?1, ?2, ?3, ?4, 0);";
            s.bump = "UPDATE " + t + " SET count = COALESCE(count, 0) + 1" + key;
            s.degrade = "UPDATE " + t +
                        " SET count = CASE WHEN count <= 1 THEN 0 ELSE count - 1 END"
                        " WHERE sender = ?1 AND honorific = ?2 AND PerRule != ?3 AND NorRule = ?4;";
            s.remove = "DELETE FROM " + t + " WHERE count <= 0;";
            // Per normal form the personal form with the highest count (the
            // newer row on a tie), then the normal forms by that count.
            s.select = "SELECT p.PerRule, p.NorRule FROM " + t +
                       " AS p WHERE p.sender = ?1 AND p.honorific = ?2 AND p.count > 0"
                       " AND NOT EXISTS (SELECT 1 FROM " + t +
                       " AS q WHERE q.sender = p.sender AND q.honorific = p.honorific"
                       " AND q.NorRule = p.NorRule"
                       " AND (q.count > p.count OR (q.count = p.count AND q.no > p.no)))"
                       " ORDER BY p.count DESC, p.no DESC LIMIT ?3;";
            s.readAll = "SELECT sender, honorific, PerRule, NorRule, count FROM " + t + " ORDER BY no;";
            all.push_back(s);
        }
        return all;
    }();
    const std::string wanted = Utilities::StringUtil::toLower(table);
    for (const auto& t : tables)
        if (t.name == wanted) return &t;
    varnex_print_log(LOG_ERROR, kTag, "%s refused: no table named %s\n", operation, table.c_str());
    return nullptr;
}

PersonalCorpusDbMgr::PersonalCorpusDbMgr(const std::string& dbPath, const StoreKeys& keys) : database(dbPath, keys) {
    if (!openChecked()) database.close();
}

PersonalCorpusDbMgr::~PersonalCorpusDbMgr() = default;

bool PersonalCorpusDbMgr::openChecked() {
    const char* file = database.path().c_str();
    if (database.path().empty()) {
        varnex_print_log(LOG_ERROR, kTag, "Failed to open database: no file name given for the personal corpus\n");
        return false;
    }
    std::string error;
    if (!database.open(error, createStatement("prc") + createStatement("gprc"))) {
        if (database.cannotBeCreated())
            varnex_print_log(LOG_WARN, kTag, "The personal corpus %s cannot be created (%s): nothing is learnt\n", file,
                             error.c_str());
        else
            varnex_print_log(LOG_ERROR, kTag, "Failed to open database %s: %s\n", file, error.c_str());
        return false;
    }

    // A damaged file is refused before anything is written to it; the
    // store is small, so reading it whole costs little.
    {
        Statement check(database, "PRAGMA quick_check;");
        const int rc = check.step();
        if (rc != SQLITE_ROW || check.columnText(0) != "ok") {
            const std::string why = rc == SQLITE_ROW ? check.columnText(0) : database.lastError();
            varnex_print_log(LOG_ERROR, kTag, "Failed to open database %s: damaged (%s); the file is left as it is\n",
                             file, why.c_str());
            return false;
        }
    }

    bool prcExists = false, gprcExists = false;
    if (!hasExpectedLayout("prc", prcExists) || !hasExpectedLayout("gprc", gprcExists)) return false;
    const bool complete = prcExists && gprcExists;

    if (!database.writable()) {
        // What was learnt still serves; only new replies are not counted.
        if (!complete) {
            varnex_print_log(LOG_WARN, kTag, "The personal corpus %s can only be read and has no tables\n", file);
            return false;
        }
        varnex_print_log(LOG_WARN, kTag, "The personal corpus %s can only be read: nothing new is learnt\n", file);
        return true;
    }
    if (!complete) {
        // A file of an earlier version that lacks a table.
        int rc = runStatement("BEGIN IMMEDIATE;");
        if (rc == SQLITE_DONE && !prcExists) rc = runStatement(createStatement("prc"));
        if (rc == SQLITE_DONE && !gprcExists) rc = runStatement(createStatement("gprc"));
        if (rc == SQLITE_DONE) rc = runStatement("COMMIT;");
        database.rollbackIfOpen();
        if (rc != SQLITE_DONE) {
            varnex_print_log(LOG_ERROR, kTag, "Failed to open database %s: cannot be written (%s)\n", file,
                             lastFailure.c_str());
            return false;
        }
        varnex_print_log(LOG_INFO, kTag, "Create table successfully\n");
    }
    database.useWriteAheadLog();
    varnex_print_log(LOG_INFO, kTag, "Opened database successfully\n");
    if (!kSqliteEncrypts)
        varnex_print_log(LOG_INFO, kTag, "Built with plain SQLite: the personal corpus is stored unencrypted in %s\n",
                         file);
    return true;
}

bool PersonalCorpusDbMgr::hasExpectedLayout(const char* table, bool& exists) {
    std::set<std::string> columns;
    {
        Statement info(database, (std::string("PRAGMA table_info(") + table + ");").c_str());
        int rc;
        while ((rc = info.step()) == SQLITE_ROW) columns.insert(Utilities::StringUtil::toLower(info.columnText(1)));
        if (rc != SQLITE_DONE) {
            varnex_print_log(LOG_ERROR, kTag, "Failed to open database %s: %s\n", database.path().c_str(),
                             database.lastError().c_str());
            return false;
        }
    }
    exists = !columns.empty();
    if (!exists) return true;

    bool sound = true;
    for (const char* c : {"no", "sender", "honorific", "perrule", "norrule", "count"}) sound = sound && columns.count(c);
    // Counting relies on one row per (sender, honorific, PerRule, NorRule).
    bool unique = false;
    if (sound) {
        std::vector<std::string> uniqueIndexes;
        Statement list(database, (std::string("PRAGMA index_list(") + table + ");").c_str());
        while (list.step() == SQLITE_ROW)
            if (list.columnInt(2) == 1) uniqueIndexes.push_back(list.columnText(1));
        for (const auto& index : uniqueIndexes) {
            std::string quoted;
            for (char c : index) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            Statement info(database, ("PRAGMA index_info(\"" + quoted + "\");").c_str());
            std::set<std::string> key;
            while (info.step() == SQLITE_ROW) key.insert(Utilities::StringUtil::toLower(info.columnText(2)));
            if (key == std::set<std::string>{"sender", "honorific", "perrule", "norrule"}) unique = true;
        }
    }
    if (!sound || !unique) {
        varnex_print_log(LOG_ERROR, kTag,
                         "Failed to open database %s: its table %s has another layout; the file is left as it is\n",
                         database.path().c_str(), table);
        return false;
    }
    return true;
}

bool PersonalCorpusDbMgr::isValidUtf8(const std::string& text) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        unsigned int cp;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += length;
    }
    return true;
}

bool PersonalCorpusDbMgr::acceptsValues(const char* operation, const std::string& sender, const std::string& perRule,
                                        const std::string& norRule) const {
    const char* why = nullptr;
    if (sender.size() > kMaxSenderBytes)
        why = "the sender is too long";
    else if (!isValidUtf8(sender))
        why = "the sender is not valid UTF-8";
    else if (!isValidUtf8(perRule) || !isValidUtf8(norRule))
        why = "a form is not valid UTF-8";
    if (why == nullptr) return true;
    varnex_print_log(LOG_ERROR, kTag, "%s refused: %s\n", operation, why);
    return false;
}

int PersonalCorpusDbMgr::runStatement(const std::string& sql) {
    Statement st(database, sql.c_str());
    const int rc = st.step();
    if (rc != SQLITE_DONE) lastFailure = database.lastError();
    return rc;
}

int PersonalCorpusDbMgr::stepPair(const std::string& sql, const std::string& sender, const std::string& label,
                                  const std::string& perRule, const std::string& norRule) {
    Statement st(database, sql.c_str());
    int rc = SQLITE_MISUSE;
    if (st.bind(1, sender) && st.bind(2, label) && st.bind(3, perRule) && st.bind(4, norRule)) rc = st.step();
    if (rc != SQLITE_DONE) lastFailure = database.lastError();
    return rc;
}

int PersonalCorpusDbMgr::runInsert(const TableSql& sql, const std::string& sender, const std::string& label,
                                   const std::string& perRule, const std::string& norRule) {
    const int rc = stepPair(sql.insert, sender, label, perRule, norRule);
    return rc == SQLITE_DONE ? stepPair(sql.bump, sender, label, perRule, norRule) : rc;
}

bool PersonalCorpusDbMgr::write(const char* operation, const std::function<int()>& body) {
    if (!isOpen()) {
        varnex_print_log(LOG_DEBUG, kTag, "%s skipped: the personal corpus is not open\n", operation);
        return false;
    }
    if (!database.writable()) {
        varnex_print_log(LOG_ERROR, kTag, "%s refused: the personal corpus %s cannot be written\n", operation,
                         database.path().c_str());
        return false;
    }
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        // BEGIN IMMEDIATE takes the write lock before anything is written,
        // so waiting for a busy file never happens halfway through.
        int rc = runStatement("BEGIN IMMEDIATE;");
        if (rc == SQLITE_DONE) rc = body();
        if (rc == SQLITE_DONE) rc = runStatement("COMMIT;");
        if (rc == SQLITE_DONE) return true;
        database.rollbackIfOpen();
        if (!isBusy(rc)) break;
    }
    varnex_print_log(LOG_ERROR, kTag, "%s failed: %s\n", operation, lastFailure.c_str());
    return false;
}

bool PersonalCorpusDbMgr::insertRow(const std::string& sender, const std::string& table, const Annotation& annotation,
                                    const std::string& perRule, const std::string& norRule) {
    const TableSql* sql = sqlFor("insertRow", table);
    if (sql == nullptr || !acceptsValues("insertRow", sender, perRule, norRule)) return false;
    const std::string label = labelOf(annotation);
    return write("insertRow", [&] { return runInsert(*sql, sender, label, perRule, norRule); });
}

bool PersonalCorpusDbMgr::degradeRows(const std::string& sender, const std::string& table,
                                      const Annotation& annotation, const std::string& perRule,
                                      const std::string& norRule) {
    const TableSql* sql = sqlFor("degradeRows", table);
    if (sql == nullptr || !acceptsValues("degradeRows", sender, perRule, norRule)) return false;
    const std::string label = labelOf(annotation);
    return write("degradeRows", [&] { return stepPair(sql->degrade, sender, label, perRule, norRule); });
}

bool PersonalCorpusDbMgr::deleteRows(const std::string& table) {
    const TableSql* sql = sqlFor("deleteRows", table);
    if (sql == nullptr) return false;
    return write("deleteRows", [&] { return runStatement(sql->remove); });
}

bool PersonalCorpusDbMgr::recordPairs(const std::string& sender, const std::string& table,
                                      const Annotation& annotation,
                                      const std::vector<std::pair<std::string, std::string>>& pairs) {
    const TableSql* sql = sqlFor("recordPairs", table);
    if (sql == nullptr) return false;
    for (const auto& pair : pairs)
        if (!acceptsValues("recordPairs", sender, pair.first, pair.second)) return false;
    const std::string label = labelOf(annotation);
    return write("recordPairs", [&] {
        for (const auto& pair : pairs) {
            int rc = runInsert(*sql, sender, label, pair.first, pair.second);
            if (rc == SQLITE_DONE) rc = stepPair(sql->degrade, sender, label, pair.first, pair.second);
            if (rc != SQLITE_DONE) return rc;
        }
        return runStatement(sql->remove);
    });
}

bool PersonalCorpusDbMgr::selectRows(const std::string& sender, const std::string& table,
                                     const Annotation& annotation, std::vector<std::string>& rows) {
    if (!isOpen()) return false;
    const TableSql* sql = sqlFor("selectRows", table);
    if (sql == nullptr || !acceptsValues("selectRows", sender, "", "")) return false;
    const StoreState state = currentState();
    const bool cacheable = state.dataVersion >= 0 && state.changes >= 0;
    if (!(cacheable && state == cachedState)) {
        cachedRows.clear();
        cachedState = cacheable ? state : StoreState();
    }
    auto key = std::make_tuple(table, labelOf(annotation), sender);
    if (cacheable) {
        const auto hit = cachedRows.find(key);
        if (hit != cachedRows.end()) {
            rows.insert(rows.end(), hit->second.begin(), hit->second.end());
            return true;
        }
    }
    ReusedStatement st(database, sql->select);
    int rc = SQLITE_MISUSE;
    std::vector<std::string> found;
    if (st.prepared() && st->bind(1, sender) && st->bind(2, labelOf(annotation)) &&
        st->bind(3, static_cast<long long>(kMaxSelectedRows))) {
        while ((rc = st->step()) == SQLITE_ROW) {
            std::string per = st->columnText(0), nor = st->columnText(1);
            if (!per.empty() && isMark(per.front())) {
                nor.insert(nor.begin(), per.front());
                per.erase(0, 1);
            }
            if (!per.empty() && isMark(per.back())) {
                nor.push_back(per.back());
                per.pop_back();
            }
            found.push_back(nor + "\t" + per);
        }
    }
    if (rc != SQLITE_DONE) {
        // A half-read answer could prefer a form the user gave up; give none.
        varnex_print_log(LOG_ERROR, kTag, "selectRows failed: %s\n", database.lastError().c_str());
        return false;
    }
    rows.insert(rows.end(), found.begin(), found.end());
    if (cacheable) {
        // A host that names a new sender on every message must not grow it
        // without bound.
        if (cachedRows.size() >= kCachedReads) cachedRows.clear();
        cachedRows.emplace(std::move(key), std::move(found));
    }
    return true;
}

PersonalCorpusDbMgr::StoreState PersonalCorpusDbMgr::currentState() {
    StoreState state;
    state.handle = database.handle();
    if (state.handle == nullptr) return state;
    ReusedStatement st(database, "PRAGMA data_version");
    if (st.prepared() && st->step() == SQLITE_ROW) state.dataVersion = st->columnInt(0);
    state.changes = sqlite3_total_changes(database.handle());
    return state;
}

bool PersonalCorpusDbMgr::readRows(const std::string& table, std::vector<PersonalCorpusRow>& rows) {
    if (!isOpen()) return false;
    const TableSql* sql = sqlFor("readRows", table);
    if (sql == nullptr) return false;
    Statement st(database, sql->readAll.c_str());
    int rc;
    std::vector<PersonalCorpusRow> found;
    while ((rc = st.step()) == SQLITE_ROW)
        found.push_back({st.columnText(0), st.columnText(1), st.columnText(2), st.columnText(3), st.columnInt(4)});
    if (rc != SQLITE_DONE) {
        varnex_print_log(LOG_ERROR, kTag, "readRows failed: %s\n", database.lastError().c_str());
        return false;
    }
    rows.insert(rows.end(), found.begin(), found.end());
    return true;
}

}  // namespace Varnex
