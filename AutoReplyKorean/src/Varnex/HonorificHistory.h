// Per-sender history of the speech level the user replies in, kept in a keyed
// SQLite database in the host's data directory.
#pragma once

#include <string>

#include "KoreanHonorificHistoryManager.h"
#include "Varnex/KeyedDatabase.h"

namespace Varnex {

// How often the user replied to one sender in each speech level.
struct HonorificCounts {
    long long mostHonorific = 0;  // replies labelled "HIGH"
    long long honorific = 0;      // replies labelled "NORMAL"
    long long nonHonorific = 0;   // replies with any other label
};

class HonorificHistory : public _IKoreanHonorificHistoryManager {
public:
    // Remembers the path and the keys; nothing is opened before init().
    explicit HonorificHistory(const std::string& dbPath, const StoreKeys& keys = StoreKeys());
    ~HonorificHistory() override;

    HonorificHistory(const HonorificHistory&) = delete;
    HonorificHistory& operator=(const HonorificHistory&) = delete;

    // Opens (creating when missing) and keys the database and makes sure the
    // table exists. A file that cannot be written is opened for reading (and
    // a missing one in a read-only directory stays closed): init() succeeds,
    // with a warning, and every update() is reported as not counted. On any
    // other failure the connection is closed, the file is left as it was and
    // false is returned; the object then answers every sender as unknown.
    bool init() override;
    // The keys the next init() opens the file with.
    void setKeys(const StoreKeys& keys) { database.setKeys(keys); }

    // Adds one to the sender's count for the level of `replyAnnotation`'s
    // "honorific" result; an error line says when it cannot. The count is
    // raised inside the database, so several connections (also in other
    // processes) sharing the file never lose one.
    void update(const std::string& sender, const std::string& message, const Annotation& messageAnnotation,
                const std::string& reply, const Annotation& replyAnnotation) override;

    // True, with `level` set to the level the user uses most with `sender`,
    // when the history knows the sender. An empty or "anonymous" sender is
    // never looked up: `level` becomes the annotation's own "honorific" label
    // (or "FALSE") and the answer is false.
    bool getHonorificLevel(const std::string& sender, const std::string& message, const Annotation& annotation,
                           std::string& level) override;

    // The stored counts of `sender`; false when the sender has no row or the
    // history is not open.
    bool readCounts(const std::string& sender, HonorificCounts& counts);

    // True between a successful init() and destruction.
    bool isOpen() const { return database.isOpen(); }

    // The level with the largest count: "HIGH", "NORMAL" or "FALSE". Ties go
    // to "HIGH" first, then to "NORMAL".
    static std::string decideHonorificLevel(long long mostHonorific, long long honorific, long long nonHonorific);

private:
    enum class Lookup { Row, NoRow, NullValue };
    Lookup lookup(const std::string& sender, HonorificCounts& counts);
    bool failInit(const char* format, const std::string& reason);

    KeyedDatabase database;
};

}  // namespace Varnex
