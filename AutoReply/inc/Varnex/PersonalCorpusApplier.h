// Makes suggestions sound like the user: learns, per sender, the personal
// spellings the user writes ("고마웡", "넵", "ㅇㅋ") in place of normal forms,
// and rewrites candidate replies for that sender into them.
//
//   auto applier = std::make_shared<PersonalCorpusApplier>(resourceDir, "1.0", dataDir + "personal_ko_KR.db");
//   applier->init();                                    // rules and database
//   applier->update("민지", message, messageAnnotation, "고마웡ㅎㅎ", replyAnnotation);
//   applier->apply("민지", message, annotation, candidates);  // "고마워!" -> "고마웡!"
//
// Two rule files, "personal form TAB normal form" per line: the normal rules
// rewrite whole expressions, the general rules smaller spelling habits
// (endings). A personal form is a raw key of DoubleArrayTrie and may carry the
// boundary marks "/" and "~" at either end; it is written in lower case,
// because texts are searched in lower case. update() finds the personal forms
// in a sent reply and counts them for the sender (PersonalCorpusDbMgr);
// apply() turns the sender's preferred pairs around into rules from normal to
// personal form and rewrites the first two reply groups of every candidate.
//
// Nothing happens for an empty sender, the sender "anonymous", or before a
// successful init(): candidates pass unchanged and nothing is stored.
//
// Used from the engine's thread only; apply() reads the database, update()
// writes it.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Varnex/Annotation.h"
#include "Varnex/DoubleArrayTrie.h"
#include "Varnex/ReplyScenario.h"
#include "Varnex/StoreKey.h"

namespace Varnex {

class PersonalCorpusDbMgr;

class PersonalCorpusApplier {
public:
    // Remembers where the rule files and the database are; reads nothing.
    PersonalCorpusApplier(const std::string& resourceDir, const std::string& version, const std::string& dbPath);
    virtual ~PersonalCorpusApplier();
    PersonalCorpusApplier(const PersonalCorpusApplier&) = delete;
    PersonalCorpusApplier& operator=(const PersonalCorpusApplier&) = delete;

    // Reads both rule files (a missing one is reported and leaves its rules
    // empty) and opens the database. False, after an error line naming the
    // file, when the database cannot be used; the applier then lets every
    // suggestion through unchanged. A database that is missing in a
    // directory that cannot be written is only warned about. May be called
    // again to retry.
    virtual bool init();
    // The keys init() opens the database with.
    void setStoreKeys(const StoreKeys& keys) { storeKeys = keys; }

    // Rewrites the first and second reply groups of every candidate into the
    // personal forms the user prefers with `sender`, and notes each text
    // before and after in `annotation` ("NormalReply<n>", "PersonalReply<n>",
    // "i<n>" = "1" when it changed, "rc" = texts handled).
    virtual void apply(const std::string& sender, const std::string& message, Annotation& annotation,
                       std::vector<ReplyScenario>& candidates) const;

    // Learns from `reply`, which the user sent to `sender` in answer to
    // `message`; the label stored is the received message's speech level.
    virtual void update(const std::string& sender, const std::string& message, const Annotation& messageAnnotation,
                        const std::string& reply, const Annotation& replyAnnotation);

    // A trie of "key TAB value" lines (other lines are refused and reported);
    // an empty pointer when no line is usable.
    std::shared_ptr<DoubleArrayTrie> makeTrie(const std::vector<std::string>& lines) const;

    // Replaces, left to right, every key of `trie` found in `text` by its
    // value and reports each (raw key, value) used in `pairs` (cleared
    // first). The search runs on a lower-cased copy; a replacement is never
    // searched again. A key made of one repeated jamo ("ㅇㅇ") does not match
    // inside a longer run of it ("ㅇㅇㅇ"). An empty text or trie is returned
    // as it is, with `pairs` untouched.
    std::string applyRules(const std::string& text, std::shared_ptr<DoubleArrayTrie> trie,
                           std::vector<std::pair<std::string, std::string>>& pairs) const;

    // Records in `table` the pairs `trie` finds in `reply`; false when the
    // store refused or failed the write.
    bool updateDbTable(const std::string& sender, const std::string& message, const Annotation& messageAnnotation,
                       const std::string& reply, const Annotation& replyAnnotation, const std::string& table,
                       const std::shared_ptr<DoubleArrayTrie>& trie);

    bool hasDatabase() const { return dbManager != nullptr; }
    size_t normalRuleCount() const { return normalTrie ? normalTrie->size() : 0; }
    size_t generalRuleCount() const { return generalTrie ? generalTrie->size() : 0; }

    // Table names of the two rule sets in the store.
    static const char* const kNormalTable;
    static const char* const kGeneralTable;
    // Longer replies are not learnt from: chat replies are far shorter, and
    // a pasted document would only add noise and a long write.
    static constexpr size_t kMaxLearnedReplyBytes = 4096;

private:
    std::shared_ptr<DoubleArrayTrie> loadRules(const std::string& path) const;
    bool usableSender(const std::string& sender) const;

    std::string normalRulePath;
    std::string generalRulePath;
    std::string dbPath;
    StoreKeys storeKeys;
    std::shared_ptr<DoubleArrayTrie> normalTrie;
    std::shared_ptr<DoubleArrayTrie> generalTrie;
    std::shared_ptr<PersonalCorpusDbMgr> dbManager;
};

}  // namespace Varnex
