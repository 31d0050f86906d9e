// Calls, titles, names and fillers at the head of a message: "민수야",
// "엄마", "선배님", "과장님", "저기요", "아 맞다", "헐", "음".
//
// isCall() says whether a message is essentially just a call (the user is
// being called by name or title, with nothing after it). callPrefixEnd()
// finds where the message proper starts after leading calls and fillers,
// so a greeting or a template after "과장님" is read as if it stood first.
//
// The rule file holds "label TAB phrase" lines: any label for a call or a
// title ("call", "title", "family", ...), "filler" for interjections that
// may open a message but are no call by themselves, "FALSE" for phrases
// that only look like one. A name nobody listed is recognised by its
// vocative ending (지민아, 민수야). Read-only after construction.
#pragma once

#include <memory>
#include <string>

#include "Varnex/KoreanStopCharRemover.h"

namespace Varnex {

class DictionaryFeature;

class KoreanCallDetector {
public:
    KoreanCallDetector(const std::string& callRule, bool prebuilt);
    virtual ~KoreanCallDetector();

    bool isCall(const std::string& text) const;
    // The same, with the label of the call phrase ("title", "family", ...;
    // "call" for a name recognised by its vocative ending).
    bool isCall(const std::string& text, std::string& kind) const;
    // The byte offset in `cleaned` (a message whose stop characters were
    // replaced by spaces) where the message starts after at most three
    // leading calls or fillers and the spaces after them; 0 when it starts
    // with none.
    int callPrefixEnd(const std::string& cleaned) const;

    static constexpr const char* kFiller = "filler";
    // The label of calls by title (선배님, 교수님, 과장님): polite speech.
    static constexpr const char* kTitle = "title";

private:
    // The length of a call or filler at the start of `cleaned` (which has
    // stop characters replaced by spaces), 0 for none; `filler` tells which.
    int leadingCall(const std::string& cleaned, bool& filler) const;

    std::shared_ptr<DictionaryFeature> dictionary;
    std::shared_ptr<KoreanStopCharRemover> stopCharRemover;
};

}  // namespace Varnex
