// Varnex host API: Korean reply suggestions for incoming messages.
//
//   #include <SmartReplyAPIWrapper.h>
//
//   SmartReplyAPIWrapper* api = static_cast<SmartReplyAPIWrapper*>(create());
//   api->openEngine("/usr/share/varnex/resources", "/home/me/.local/share/varnex/");
//   std::vector<std::string> replies;
//   if (api->findReply("", "Mina", "생일 축하해!", replies)) { /* show replies */ }
//   api->notify("", "Mina", "생일 축하해!", replies[0], false);  // the user sent it
//   api->closeEngine();
//   destroy(api);
//
// Ownership: create() returns a new wrapper that the host releases with
// destroy(). The wrapper owns the engine it opens. Threads: the engine is
// single-threaded; call it from one thread at a time. Failures are reported
// as false (with a log line, see Varnex/Log.h); no call throws.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Varnex/Export.h"

class SmartReplyAPIWrapper {
public:
    virtual ~SmartReplyAPIWrapper() {}

    // The language code of the wrapper ("ko_KR").
    virtual const std::string& getLanguage() const = 0;

    // Loads every resource under `resourceDir` (which holds the "1.0" tree)
    // and opens the two learning databases in `dataDir`. `dataDir` is used as
    // a prefix: pass it with its trailing "/". Replaces an engine that is
    // already open; when building the new engine fails, the old one stays.
    // True when the engine is open and fully initialised.
    virtual bool openEngine(const std::string& resourceDir, const std::string& dataDir) = 0;

    // Releases the engine; false when none was open.
    virtual bool closeEngine() = 0;

    // Appends up to ten suggestions for `message` from `sender` to `replies`
    // (which is not cleared). False when there is none or no engine is open.
    virtual bool findReply(const std::string& reserved, const std::string& sender, const std::string& message,
                           std::vector<std::string>& replies) const = 0;

    // Tells the engine that the user answered `message` from `sender` with
    // `reply`, so it learns the speech level and spellings used with that
    // sender. Always returns false; the reserved arguments are ignored.
    virtual bool notify(const std::string& reserved, const std::string& sender, const std::string& message,
                        const std::string& reply, bool reservedFlag) = 0;
};

extern "C" {
// A new wrapper for Korean ("ko_KR"); loads nothing yet. Sets the log
// threshold to errors only.
VARNEX_EXPORT void* create();
// Deletes a wrapper made by create() and any engine it holds; null is ignored.
VARNEX_EXPORT void destroy(SmartReplyAPIWrapper* api);
// Hands the wrapper the 32-byte key its learning databases are encrypted
// with (for example one kept in the platform's keystore); it applies to the
// engines opened after the call, and no key file is written. Without it, a
// random key is made on first use and kept in "varnex.key" (mode 0600) in
// the data directory. Databases under the key file's key or under the key
// of earlier versions are rekeyed to the host's key when first opened.
// Returns 1, or 0 (nothing changed) when `api` or `key` is null or `size`
// is not 32.
VARNEX_EXPORT int setStoreKey(SmartReplyAPIWrapper* api, const unsigned char* key, size_t size);
// "~Total": the summary-row label of the evaluation tools.
VARNEX_EXPORT extern const char* TOTAL_NAME;
}
