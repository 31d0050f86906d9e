// Per-sender counts of the personal forms the user writes in place of normal
// forms ("고마웡" for "고마워"), kept in a keyed SQLite database in the host's
// data directory.
//
//   PersonalCorpusDbMgr store(dataDir + "personal_ko_KR.db");
//   if (!store.isOpen()) { /* reported; the store answers nothing */ }
//   store.recordPairs("민지", "PRC", messageAnnotation, {{"고마웡/", "고마워"}});
//   std::vector<std::string> rows;
//   store.selectRows("민지", "PRC", annotation, rows);  // "고마워/\t고마웡"
//
// Two tables of one layout: "PRC" for the pairs of the whole-expression rules
// and "GPRC" for the spelling-habit rules (the names are matched without
// regard to case). A row counts how often the user wrote one personal form
// of one normal form to one sender while the received message had one
// honorific label; writing another personal form of the same normal form
// takes a point away, and rows that reach 0 are removed.
//
// Failures never throw. They are logged at error level with the operation
// and SQLite's reason, never with a value (the values are the sender and the
// user's own words), and reported by a false or empty result. A file that is
// not a database, is damaged, or holds tables of another layout is reported
// and left exactly as it was; the manager then answers with no rows and
// ignores writes.
//
// One connection per manager, used from one thread at a time.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Varnex/Annotation.h"
#include "Varnex/KeyedDatabase.h"

namespace Varnex {

// One stored row, as readRows reports it.
struct PersonalCorpusRow {
    std::string sender;
    std::string honorific;
    std::string perRule;  // personal form: a raw rule key, marks included
    std::string norRule;  // normal form
    long long count = 0;
};

class PersonalCorpusDbMgr {
public:
    // Opens the file under `keys` (creating it and its two tables when
    // missing), checks that it is a sound database of this layout, and logs
    // at error level, naming the file, when it cannot be used. A file that
    // cannot be written is opened for reading, with a warning; every write
    // is then refused with an error line.
    explicit PersonalCorpusDbMgr(const std::string& dbPath, const StoreKeys& keys = StoreKeys());
    virtual ~PersonalCorpusDbMgr();
    PersonalCorpusDbMgr(const PersonalCorpusDbMgr&) = delete;
    PersonalCorpusDbMgr& operator=(const PersonalCorpusDbMgr&) = delete;

    bool isOpen() const { return database.isOpen(); }
    // Not open because the file is missing and its directory cannot be
    // written: nothing was learnt there and nothing can be.
    bool cannotBeCreated() const { return database.cannotBeCreated(); }
    const std::string& path() const { return database.path(); }

    // The single steps of learning; each is one statement, committed on its
    // own unless a transaction is open. The honorific label is the predicted
    // class of `annotation`'s "honorific" result, "FALSE" without one.
    //
    // Adds one to the count of (sender, label, perRule, norRule), creating
    // the row at 1; rows of other labels are left alone.
    bool insertRow(const std::string& sender, const std::string& table, const Annotation& annotation,
                   const std::string& perRule, const std::string& norRule);
    // Takes one point, down to 0, from every other personal form of norRule
    // stored for the sender under the same label.
    bool degradeRows(const std::string& sender, const std::string& table, const Annotation& annotation,
                     const std::string& perRule, const std::string& norRule);
    // Removes the rows whose count reached 0, for every sender.
    bool deleteRows(const std::string& table);

    // What one sent reply teaches: insertRow and degradeRows for each pair
    // (personal form, normal form), in order, then deleteRows, all in one
    // write transaction that is committed whole or rolled back. A file
    // another connection holds is waited for (KeyedDatabase::kBusyTimeoutMs)
    // and the whole transaction tried at most kWriteAttempts times; nothing
    // waits while a write is half done.
    bool recordPairs(const std::string& sender, const std::string& table, const Annotation& annotation,
                     const std::vector<std::pair<std::string, std::string>>& pairs);

    // Appends to `rows` the sender's preferred personal form of each normal
    // form under the annotation's label: at most kMaxSelectedRows rows, the
    // normal forms with the highest counts first. Each row reads normal form,
    // TAB, personal form, with the boundary marks of the personal form moved
    // onto the normal form (a leading "/" or "~" to its front, then a
    // trailing one to its end), so the row is a rule from normal to personal.
    // False, adding nothing, when the store could not be read.
    bool selectRows(const std::string& sender, const std::string& table, const Annotation& annotation,
                    std::vector<std::string>& rows);

    // Every row of the table, in insertion order; false when it cannot be read.
    bool readRows(const std::string& table, std::vector<PersonalCorpusRow>& rows);

    static constexpr int kWriteAttempts = 2;
    static constexpr int kMaxSelectedRows = 5;
    // Senders whose selected rows are kept between messages.
    static constexpr size_t kCachedReads = 256;
    // Longer senders are refused; a host names a sender by a number or a name.
    static constexpr size_t kMaxSenderBytes = 1024;

    // Strict UTF-8: no overlong forms, surrogates, or code points above U+10FFFF.
    static bool isValidUtf8(const std::string& text);

private:
    struct TableSql;
    bool openChecked();
    bool hasExpectedLayout(const char* table, bool& exists);
    const TableSql* sqlFor(const char* operation, const std::string& table) const;
    bool acceptsValues(const char* operation, const std::string& sender, const std::string& perRule,
                       const std::string& norRule) const;
    int stepPair(const std::string& sql, const std::string& sender, const std::string& label,
                 const std::string& perRule, const std::string& norRule);
    int runInsert(const TableSql& sql, const std::string& sender, const std::string& label,
                  const std::string& perRule, const std::string& norRule);
    int runStatement(const std::string& sql);
    // Runs `body` (SQLITE_DONE or an error code) in one write transaction.
    bool write(const char* operation, const std::function<int()>& body);

    // The store's state as far as reads can tell: the connection, SQLite's
    // data version (moved by other connections' commits) and this
    // connection's change count. -1 when it cannot be read.
    struct StoreState {
        const void* handle = nullptr;
        long long dataVersion = -1;
        long long changes = -1;
        bool operator==(const StoreState& o) const {
            return handle == o.handle && dataVersion == o.dataVersion && changes == o.changes;
        }
    };
    StoreState currentState();

    KeyedDatabase database;
    // SQLite's reason for the last failed statement, taken before a
    // rollback replaces it.
    std::string lastFailure;
    // selectRows runs for the same few senders on every message: their rows
    // are kept, keyed by (table, label, sender), while the store's state
    // stays as it was when they were read.
    StoreState cachedState;
    std::map<std::tuple<std::string, std::string, std::string>, std::vector<std::string>> cachedRows;
};

}  // namespace Varnex
