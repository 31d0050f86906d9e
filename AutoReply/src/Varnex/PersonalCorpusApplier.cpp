#include "Varnex/PersonalCorpusApplier.h"

#include <algorithm>
#include <climits>

#include "Varnex/Log.h"
#include "Varnex/PersonalCorpusDbMgr.h"
#include "Varnex/Trie.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {
const char* const kTag = "AutoReply/src/Varnex/PersonalCorpusApplier";
const std::string kAnonymous = "anonymous";

bool isMark(char c) { return c == '/' || c == '~'; }

Utilities::TableFormat ruleFormat() {
    Utilities::TableFormat format;
    format.minFields = 2;
    format.maxFields = 2;
    format.nonEmpty = {0, 1};
    return format;
}

// Why a rule line cannot work, or "" when it can.
std::string ruleFault(const std::string& key, const std::string& value) {
    if (!PersonalCorpusDbMgr::isValidUtf8(key) || !PersonalCorpusDbMgr::isValidUtf8(value))
        return "not valid UTF-8";
    if (std::any_of(key.begin(), key.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
        return "the personal form has upper-case letters, which never match (texts are searched in lower case)";
    const std::string bare = TrieKeys::normalise(key);
    if (bare.empty()) return "the personal form is made of boundary marks only";
    // The marks of a personal form are moved onto its normal form when the
    // rule is turned around; a mark of its own would be read as one too.
    if (isMark(value.front()) || isMark(value.back())) return "the normal form begins or ends with a boundary mark";
    if (bare == value) return "the rule maps a form to itself";
    return std::string();
}

// A compatibility jamo (U+3131 to U+318E), such as ㅇ, ㅋ or ㅠ.
bool isJamo(const std::string& ch) {
    if (ch.size() != 3 || static_cast<unsigned char>(ch[0]) != 0xE3) return false;
    const unsigned cp = (0x3u << 12) | ((static_cast<unsigned char>(ch[1]) & 0x3Fu) << 6) |
                        (static_cast<unsigned char>(ch[2]) & 0x3Fu);
    return cp >= 0x3131 && cp <= 0x318E;
}

// The trie counts jamo as word boundaries, so that "고마워ㅋㅋ" still holds
// the word "고마워". For a key that is itself one jamo repeated ("ㅇㅇ") that
// would let it match inside any longer run of the letter ("ㅇㅇㅇ"), which
// is noise rather than the key; such a match is refused here.
bool cutsJamoRun(const std::string& text, int start, int length) {
    std::string letter;
    StringUtil::getNextChar(text, start, letter);
    if (!isJamo(letter)) return false;
    const int width = static_cast<int>(letter.size());
    if (length % width != 0) return false;
    for (int i = start; i < start + length; i += width)
        if (text.compare(static_cast<size_t>(i), letter.size(), letter) != 0) return false;
    std::string before, after;
    if (start > 0) StringUtil::getPreviousChar(text, start - 1, before);
    StringUtil::getNextChar(text, start + length, after);
    return before == letter || after == letter;
}

}  // namespace

const char* const PersonalCorpusApplier::kNormalTable = "PRC";
const char* const PersonalCorpusApplier::kGeneralTable = "GPRC";

PersonalCorpusApplier::PersonalCorpusApplier(const std::string& resourceDir, const std::string& version,
                                             const std::string& dbPath)
    : normalRulePath(resourceDir + "/" + version + "/personalization/normal.rule" + ".enc"),
      generalRulePath(resourceDir + "/" + version + "/personalization/general.rule" + ".enc"),
      dbPath(dbPath) {}

PersonalCorpusApplier::~PersonalCorpusApplier() = default;

bool PersonalCorpusApplier::init() {
    normalTrie = loadRules(normalRulePath);
    generalTrie = loadRules(generalRulePath);
    varnex_print_log(LOG_INFO, kTag, "Personalisation rules loaded: %zu normal, %zu general\n", normalRuleCount(),
                     generalRuleCount());
    if (!dbManager) {
        auto manager = std::make_shared<PersonalCorpusDbMgr>(dbPath, storeKeys);
        // The manager has said why, naming the file; without it nothing is
        // learnt and suggestions pass unchanged.
        if (!manager->isOpen()) return manager->cannotBeCreated();
        dbManager = manager;
    }
    return true;
}

std::shared_ptr<DoubleArrayTrie> PersonalCorpusApplier::loadRules(const std::string& path) const {
    std::vector<Utilities::TableRow> rows;
    if (!Utilities::readTable(path, ruleFormat(), rows)) return nullptr;
    std::vector<std::string> lines;
    for (const auto& row : rows) {
        const std::string why = ruleFault(row.fields[0], row.fields[1]);
        if (!why.empty()) {
            Utilities::reportRefusedLine(path, row.line, why);
            continue;
        }
        lines.push_back(row.fields[0] + "\t" + row.fields[1]);
    }
    if (lines.empty()) varnex_print_log(LOG_WARN, kTag, "No personalisation rule in %s\n", path.c_str());
    return makeTrie(lines);
}

std::shared_ptr<DoubleArrayTrie> PersonalCorpusApplier::makeTrie(const std::vector<std::string>& lines) const {
    if (lines.empty()) return nullptr;
    std::vector<Utilities::TableRow> rows;
    Utilities::parseTable(lines, "personalisation rules", ruleFormat(), rows);
    if (rows.empty()) return nullptr;
    auto trie = std::make_shared<DoubleArrayTrie>();
    for (const auto& row : rows) trie->insert(row.fields[0], row.fields[1]);
    if (!trie->build() || trie->size() == 0) return nullptr;
    return trie;
}

std::string PersonalCorpusApplier::applyRules(const std::string& text, std::shared_ptr<DoubleArrayTrie> trie,
                                              std::vector<std::pair<std::string, std::string>>& pairs) const {
    if (text.empty() || !trie) return text;
    if (text.size() > static_cast<size_t>(INT_MAX / 2)) {
        varnex_print_log(LOG_WARN, kTag, "Text of %zu bytes left as it is\n", text.size());
        return text;
    }
    pairs.clear();
    std::string result = text;
    std::string lower = StringUtil::toLower(text);
    size_t pos = 0;
    while (pos < result.size()) {
        std::vector<std::pair<std::string, std::string>> found;
        int length = 0;
        const int start = static_cast<int>(pos);
        if (!trie->search(lower, start, found, length, true, false) || cutsJamoRun(lower, start, length)) {
            ++pos;
            continue;
        }
        const std::pair<std::string, std::string> rule = found.front();
        const size_t cut = std::min(static_cast<size_t>(length), result.size() - pos);
        result.replace(pos, cut, rule.second);
        lower.replace(pos, cut, StringUtil::toLower(rule.second));
        pairs.push_back(rule);
        pos += rule.second.size();
    }
    return result;
}

bool PersonalCorpusApplier::usableSender(const std::string& sender) const {
    if (!dbManager || sender.empty() || sender == kAnonymous) return false;
    if (sender.size() > PersonalCorpusDbMgr::kMaxSenderBytes || !PersonalCorpusDbMgr::isValidUtf8(sender)) {
        varnex_print_log(LOG_ERROR, kTag, "Sender refused: %s\n",
                         sender.size() > PersonalCorpusDbMgr::kMaxSenderBytes ? "too long" : "not valid UTF-8");
        return false;
    }
    return true;
}

void PersonalCorpusApplier::apply(const std::string& sender, const std::string& /*message*/, Annotation& annotation,
                                  std::vector<ReplyScenario>& candidates) const {
    if (!usableSender(sender)) return;
    std::vector<std::string> normalRows, generalRows;
    // A store that cannot be read now (locked) would only make the second
    // table wait as long again.
    if (dbManager->selectRows(sender, kNormalTable, annotation, normalRows))
        dbManager->selectRows(sender, kGeneralTable, annotation, generalRows);
    // Built once per request from at most a few rows each.
    const auto normalPersonal = makeTrie(normalRows);
    const auto generalPersonal = makeTrie(generalRows);

    std::vector<std::pair<std::string, std::string>> used;
    int n = 1;
    for (auto& candidate : candidates) {
        // The third group is left as generated.
        for (auto* group : {&candidate.firstReplies, &candidate.secondReplies}) {
            for (auto& text : *group) {
                const std::string number = std::to_string(n++);
                annotation.addCategory("NormalReply" + number, text);
                std::string personal = applyRules(text, normalPersonal, used);
                personal = applyRules(personal, generalPersonal, used);
                annotation.addCategory("i" + number, personal != text ? "1" : "0");
                annotation.addCategory("PersonalReply" + number, personal);
                text = personal;
            }
        }
        annotation.addCategory("rc", std::to_string(n - 1));
    }
}

void PersonalCorpusApplier::update(const std::string& sender, const std::string& message,
                                   const Annotation& messageAnnotation, const std::string& reply,
                                   const Annotation& replyAnnotation) {
    if (!usableSender(sender)) return;
    if (reply.size() > kMaxLearnedReplyBytes) {
        varnex_print_log(LOG_WARN, kTag, "Reply of %zu bytes not learnt from (longer than %zu)\n", reply.size(),
                         kMaxLearnedReplyBytes);
        return;
    }
    // A store that could not take the first table (locked, refused) would
    // only make the second wait and fail as well.
    if (!updateDbTable(sender, message, messageAnnotation, reply, replyAnnotation, kNormalTable, normalTrie)) return;
    updateDbTable(sender, message, messageAnnotation, reply, replyAnnotation, kGeneralTable, generalTrie);
}

bool PersonalCorpusApplier::updateDbTable(const std::string& sender, const std::string& /*message*/,
                                          const Annotation& messageAnnotation, const std::string& reply,
                                          const Annotation& /*replyAnnotation*/, const std::string& table,
                                          const std::shared_ptr<DoubleArrayTrie>& trie) {
    if (!dbManager) return false;
    std::vector<std::pair<std::string, std::string>> pairs;
    applyRules(reply, trie, pairs);
    // Also without a pair: rows a failed or older run left at 0 go.
    return dbManager->recordPairs(sender, table, messageAnnotation, pairs);
}

}  // namespace Varnex
