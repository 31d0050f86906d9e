// The three module kinds an engine is assembled from. Modules are built once
// per engine and used read-only afterwards (generators may learn in update).
#pragma once

#include <string>
#include <vector>

#include "Varnex/Annotation.h"
#include "Varnex/ReplyScenario.h"

namespace Varnex {

class _IMessageAnalyzer {
public:
    virtual ~_IMessageAnalyzer() = default;
    virtual bool init() { return true; }
    // Fills `annotation` with everything the generators read.
    virtual void analyze(const std::string& sender, const std::string& message, Annotation& annotation) const = 0;
};

class _ICandidateReplyGenerator {
public:
    virtual ~_ICandidateReplyGenerator() = default;
    virtual bool init() { return true; }
    // Appends its candidates to `candidates`.
    virtual void generate(const std::string& sender, const std::string& message, const Annotation& annotation,
                          std::vector<ReplyScenario>& candidates) const = 0;
    // Learns from a reply the user actually sent; the default does nothing.
    virtual void update(const std::string& sender, const std::string& message, const Annotation& messageAnnotation,
                        const std::string& reply, const Annotation& replyAnnotation) {
        (void)sender, (void)message, (void)messageAnnotation, (void)reply, (void)replyAnnotation;
    }
};

class _IReplyRanker {
public:
    virtual ~_IReplyRanker() = default;
    virtual bool init() { return true; }
    virtual void rank(std::vector<ReplyScenario>& candidates) const = 0;
    // Ranks with the message's analysis at hand, which a ranker needs to
    // settle between intents; the default ranks without it.
    virtual void rank(const Annotation& annotation, std::vector<ReplyScenario>& candidates) const {
        (void)annotation;
        rank(candidates);
    }
};

// The personal corpus applier, which the engine runs between generation and
// ranking, is a module of its own: see PersonalCorpusApplier.h.
class PersonalCorpusApplier;

}  // namespace Varnex
