#include "KoreanReplyRanker.h"

#include <algorithm>
#include <string>

#include "KoreanEmojiMessageDetector.h"
#include "KoreanVocabulary.h"
#include "Varnex/ReplyScenarioRepository.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace Varnex {

using Utilities::StringUtil;

namespace {

const char* const kAnyOther = "*";

// An intent of a rule matches as a prefix, or exactly when it ends in "$".
bool startsWith(const std::string& s, const std::string& intent) {
    if (!intent.empty() && intent.back() == '$')
        return s.size() == intent.size() - 1 && std::char_traits<char>::compare(s.data(), intent.data(), s.size()) == 0;
    return s.size() >= intent.size() && std::char_traits<char>::compare(s.data(), intent.data(), intent.size()) == 0;
}

bool anyStartsWith(const std::vector<std::string>& values, const std::string& prefix) {
    return std::any_of(values.begin(), values.end(), [&](const std::string& v) { return startsWith(v, prefix); });
}

std::vector<std::string> commaList(const std::string& field) {
    std::vector<std::string> out, parts;
    StringUtil::split(field, ',', parts);
    for (auto& p : parts) {
        std::string t = StringUtil::trim(p);
        if (!t.empty()) out.push_back(t);
    }
    return out;
}

// Takes every group whose shown text is emoji only out of the candidates;
// returns the first such text.
std::string takeEmojiReplies(std::vector<ReplyScenario>& candidates) {
    std::string first;
    for (auto& c : candidates) {
        for (auto* group : {&c.firstReplies, &c.secondReplies, &c.thirdReplies}) {
            if (group->empty() || !KoreanEmojiMessageDetector::isEmojiOnly(group->front())) continue;
            if (first.empty()) first = group->front();
            group->clear();
        }
    }
    return first;
}

}  // namespace

_KoreanReplyRanker::_KoreanReplyRanker(const std::string& rulePath) {
    Utilities::TableFormat format;
    format.minFields = 2;
    format.maxFields = 3;
    format.nonEmpty = {0, 1};
    std::vector<Utilities::TableRow> rows;
    if (!Utilities::readTable(rulePath, format, rows)) return;
    for (const auto& row : rows) {
        const auto& f = row.fields;
        Rule rule;
        if (f[0] == "silent" && f.size() == 2) {
            rule = {Rule::SILENT, f[1], {}, {}};
        } else if (f[0] == "drop" && f.size() == 3 && !commaList(f[2]).empty() && !commaList(f[1]).empty()) {
            // One rule per intent of a comma list; "!intent" in the condition
            // is an exception, not a condition.
            std::vector<std::string> when, except;
            for (auto& c : commaList(f[2])) {
                if (c.size() > 1 && c[0] == '!')
                    except.push_back(c.substr(1));
                else
                    when.push_back(c);
            }
            for (const auto& intent : commaList(f[1])) rules.push_back({Rule::DROP, intent, when, except});
            continue;
        } else if (f[0] == "first" && f.size() == 2) {
            rule = {Rule::FIRST, "", commaList(f[1]), {}};
        } else {
            Utilities::reportRefusedLine(rulePath, row.line, "not a silent, drop or first rule");
            continue;
        }
        rules.push_back(rule);
    }
}

void _KoreanReplyRanker::rank(std::vector<ReplyScenario>&) const {}

void _KoreanReplyRanker::rank(const Annotation& annotation, std::vector<ReplyScenario>& candidates) const {
    const std::vector<std::string> keys = ReplyScenarioRepository::replyTypeKeys(annotation);
    for (const Rule& rule : rules) {
        switch (rule.kind) {
        case Rule::SILENT:
            if (anyStartsWith(keys, rule.intent)) {
                candidates.clear();
                return;
            }
            break;
        case Rule::DROP: {
            // Most rules name an intent no candidate has: nothing to drop,
            // and no need to look at what the message holds.
            if (std::none_of(candidates.begin(), candidates.end(),
                             [&](const ReplyScenario& c) { return startsWith(c.replyTypePattern, rule.intent); }))
                break;
            // An exception takes the message's intents it matches out of the
            // condition ("worry,!worry_tears": any worry but tears alone).
            auto excepted = [&](const std::string& key) {
                return std::any_of(rule.except.begin(), rule.except.end(),
                                   [&](const std::string& e) { return startsWith(key, e); });
            };
            bool applies = false;
            for (const auto& when : rule.intents) {
                if (when == kAnyOther)
                    applies = applies || std::any_of(candidates.begin(), candidates.end(), [&](const ReplyScenario& c) {
                                  return !startsWith(c.replyTypePattern, rule.intent);
                              });
                else
                    applies = applies || std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
                                  return startsWith(key, when) && !excepted(key);
                              });
            }
            if (applies)
                candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                                [&](const ReplyScenario& c) {
                                                    return startsWith(c.replyTypePattern, rule.intent);
                                                }),
                                 candidates.end());
            break;
        }
        case Rule::FIRST: {
            auto rankOf = [&](const ReplyScenario& c) {
                for (size_t i = 0; i < rule.intents.size(); ++i)
                    if (startsWith(c.replyTypePattern, rule.intents[i])) return i;
                return rule.intents.size();
            };
            std::stable_sort(candidates.begin(), candidates.end(),
                             [&](const ReplyScenario& a, const ReplyScenario& b) { return rankOf(a) < rankOf(b); });
            break;
        }
        }
    }

    const std::string emoji = takeEmojiReplies(candidates);
    const bool badNews = annotation.getLabel(KoreanCategory::REPLY_WORRY) != Label::FALSE_LABEL;
    const bool formal = annotation.getLabel(Category::HONORIFIC) == Label::HIGH;
    if (!emoji.empty() && !badNews && !formal) candidates.emplace_back(emoji);
}

}  // namespace Varnex
