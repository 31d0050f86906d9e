// The two exported entry points of the shared library.
#include "SmartReplyAPIWrapper.h"
#include "SmartReplyAPIWrapperImpl.h"

extern "C" {

const char* TOTAL_NAME = "~Total";

void* create() {
    try {
        return static_cast<SmartReplyAPIWrapper*>(new Varnex::SmartReplyAPIWrapperImpl("ko_KR"));
    } catch (...) {
        return nullptr;
    }
}

void destroy(SmartReplyAPIWrapper* api) { delete api; }
}
