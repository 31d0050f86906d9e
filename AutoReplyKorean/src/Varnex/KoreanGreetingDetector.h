// Greetings and calls: writes "reply_type_greeting" with the kind of
// greeting ("morning", "night", "farewell", "new_year", ...), "call" for a
// message that only calls the user by name or title, or FALSE.
//
// A greeting phrase anywhere in a short message counts, after a leading
// name or title as much as alone ("엄마 잘 자"); the last one found decides;
// a "FALSE" phrase in the greeting rules vetoes (a look-alike such as "새해에는
// 운동 열심히 할 거야"). A long message is no greeting to answer with small
// talk even when it opens with one (a notice that starts with "안녕하세요
// 고객님"). Read-only after construction.
#pragma once

#include <memory>
#include <string>

#include "KoreanCallDetector.h"
#include "Varnex/IAnnotator.h"

namespace Varnex {

class DictionaryFeature;

class KoreanGreetingDetector : public IAnnotator {
public:
    KoreanGreetingDetector(const std::string& greetingRule, const std::string& callRule, bool prebuilt);
    // The same with a call detector shared with other modules.
    KoreanGreetingDetector(const std::string& greetingRule, std::shared_ptr<KoreanCallDetector> callDetector,
                           bool prebuilt);
    ~KoreanGreetingDetector() override;

    bool process(Annotation& annotation) const override;

    // Messages longer than this (in characters) are not taken as greetings.
    static constexpr int kMaxGreetingLength = 60;

private:
    std::shared_ptr<DictionaryFeature> dictionary;
    std::shared_ptr<KoreanCallDetector> callDetector;
};

}  // namespace Varnex
