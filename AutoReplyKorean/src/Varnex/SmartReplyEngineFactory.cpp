#include "SmartReplyEngineFactory.h"

#include "Varnex/IAnnotator.h"

namespace Varnex {
namespace {
// Until the Korean modules are assembled the engine only copies the text.
class PlainAnalyzer : public _IMessageAnalyzer {
public:
    void analyze(const std::string&, const std::string& message, Annotation& annotation) const override {
        annotation.setText(message);
        SentenceNormalizer().process(annotation);
    }
};

class KeepOrderRanker : public _IReplyRanker {
public:
    void rank(std::vector<ReplyScenario>&) const override {}
};
}  // namespace

std::shared_ptr<AutoReplyEngine> SmartReplyEngineFactory::createEngine(LanguageType, const std::string&,
                                                                       const std::string&) {
    auto engine = std::make_shared<AutoReplyEngine>();
    engine->setModules(std::make_shared<PlainAnalyzer>(), {}, std::make_shared<KeepOrderRanker>());
    return engine;
}

}  // namespace Varnex
