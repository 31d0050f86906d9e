// Helpers for the tests of the honorific history: telling it what the user
// replied, without running the analyzer.
#pragma once

#include <string>

#include "Varnex/Annotation.h"
#include "Varnex/HonorificHistory.h"

namespace VarnexTest {

// Tells the history that the user answered `sender` in `level` ("" for a
// reply without any "honorific" result), `times` times.
inline void sent(Varnex::HonorificHistory& history, const std::string& sender, const std::string& level,
                 int times = 1) {
    Varnex::Annotation message("메시지"), reply("답장");
    if (!level.empty()) reply.addCategory("honorific", level);
    for (int i = 0; i < times; ++i) history.update(sender, "메시지", message, "답장", reply);
}

}  // namespace VarnexTest
