#include "KoreanReplyRanker.h"

#include <string>

#include "KoreanEmojiMessageDetector.h"
#include "KoreanVocabulary.h"

namespace Varnex {

namespace {

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

void _KoreanReplyRanker::rank(std::vector<ReplyScenario>&) const {}

void _KoreanReplyRanker::rank(const Annotation& annotation, std::vector<ReplyScenario>& candidates) const {
    const std::string emoji = takeEmojiReplies(candidates);
    const bool badNews = annotation.getLabel(KoreanCategory::REPLY_WORRY) != Label::FALSE_LABEL;
    const bool formal = annotation.getLabel(Category::HONORIFIC) == Label::HIGH;
    if (!emoji.empty() && !badNews && !formal) candidates.emplace_back(emoji);
}

}  // namespace Varnex
