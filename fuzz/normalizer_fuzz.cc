// The sentence normaliser on any dictionary and rule file, stored plain and
// scrambled, normalising the input's own message and a few fixed ones.
//
// Input: the dictionary text, a zero byte, the rule text, a zero byte, the
// message. Loading and normalising never crash or hang; the plain and the
// scrambled files normalise every message alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "Varnex/Annotation.h"
#include "Varnex/KoreanSentenceNormalizer.h"

namespace {

std::vector<std::string> normalised(const Varnex::KoreanSentenceNormalizer& n, const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    for (const auto& t : texts) {
        Varnex::Annotation a(t);
        if (!n.process(a)) std::abort();
        out.push_back(a.getNormalizedText());
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    VarnexFuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> in = VarnexFuzz::parts(data, size, 3);
    const std::string& dictionary = in[0];
    const std::string& rules = in[1];
    std::vector<std::string> texts = {"안녕하세요 ㅋㅋㅋㅋㅋ 잘 지냈어??", "갈께 ㅎㅎㅎ", "", "  a  b  "};
    texts.push_back(in[2].size() > 1024 ? in[2].substr(0, 1024) : in[2]);

    using Varnex::KoreanSentenceNormalizer;
    const KoreanSentenceNormalizer plain(VarnexFuzz::writeScratch("n.dictionary", dictionary),
                                         VarnexFuzz::writeScratch("n.rule", rules), false, false);
    const KoreanSentenceNormalizer scrambled(
        VarnexFuzz::writeScratch("n.dictionary.enc", VarnexFuzz::scrambled(dictionary)),
        VarnexFuzz::writeScratch("n.rule.enc", VarnexFuzz::scrambled(rules)), true, false);
    // The files' bytes themselves taken for scrambled ones.
    const KoreanSentenceNormalizer raw(VarnexFuzz::writeScratch("raw.dictionary.enc", dictionary),
                                       VarnexFuzz::writeScratch("raw.rule.enc", rules), true, false);

    const std::vector<std::string> fromPlain = normalised(plain, texts);
    if (VarnexFuzz::readingsComparable(dictionary) && VarnexFuzz::readingsComparable(rules) &&
        normalised(scrambled, texts) != fromPlain)
        std::abort();
    normalised(raw, texts);
    return 0;
}
