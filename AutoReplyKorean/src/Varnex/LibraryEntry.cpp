// The exported entry points of the C++ host API.
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

int setStoreKey(SmartReplyAPIWrapper* api, const unsigned char* key, size_t size) {
    auto* impl = dynamic_cast<Varnex::SmartReplyAPIWrapperImpl*>(api);
    Varnex::StoreKey storeKey;
    if (impl == nullptr || !Varnex::StoreKey::fromBytes(key, size, storeKey)) return 0;
    try {
        impl->setStoreKey(storeKey);
        return 1;
    } catch (...) {
        return 0;
    }
}
}
