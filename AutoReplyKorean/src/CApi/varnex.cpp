// The C interface over the same wrapper create() returns. The C++ API
// reports failures as false plus a log line, and reports success after
// loading nothing; this layer turns both into error values by checking the
// directories first and watching the log for error lines during each call.
#include "varnex.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "SmartReplyAPIWrapper.h"
#include "Varnex/Log.h"
#include "Varnex/StoreKey.h"

#ifndef VARNEX_RESOURCES_FROM_LIBDIR
#define VARNEX_RESOURCES_FROM_LIBDIR "../share/varnex/resources"
#endif
#ifndef VARNEX_RESOURCES_FROM_BUILD_LIBDIR
#define VARNEX_RESOURCES_FROM_BUILD_LIBDIR "resources"
#endif

namespace {

// What a handle holds while it is open.
struct OpenEngine {
    SmartReplyAPIWrapper* api = nullptr;
    std::vector<std::string> replies;
    std::vector<const char*> pointers;  // into `replies`, NULL-terminated

    OpenEngine() = default;
    OpenEngine(const OpenEngine&) = delete;
    OpenEngine& operator=(const OpenEngine&) = delete;
    ~OpenEngine() {
        if (api == nullptr) return;
        api->closeEngine();
        destroy(api);
    }
    void clearReplies() {
        std::vector<std::string>().swap(replies);
        std::vector<const char*>().swap(pointers);
    }
};

}  // namespace

// A closed handle keeps this shell with `open` empty, so its address is never
// handed out again and a late call on it is recognised.
struct varnex_engine {
    std::unique_ptr<OpenEngine> open;
};

namespace {

// Never destroyed: a call from a thread that outlives static destruction
// still finds them.
std::mutex& apiLock() {
    static std::mutex* m = new std::mutex;
    return *m;
}
std::unordered_set<const varnex_engine*>& knownHandles() {
    static auto* handles = new std::unordered_set<const varnex_engine*>;
    return *handles;
}

size_t utf8Boundary(const char* s, size_t cut) {
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

void setError(varnex_error* error, varnex_code code, const std::string& message) noexcept {
    if (error == nullptr) return;
    error->code = code;
    size_t n = message.size();
    if (n >= sizeof error->message) n = utf8Boundary(message.c_str(), sizeof error->message - 1);
    std::memcpy(error->message, message.data(), n);
    error->message[n] = '\0';
}

void clearError(varnex_error* error) noexcept { setError(error, VARNEX_OK, std::string()); }

// Setting the error must not throw; a failed string build leaves a fixed text.
void setErrorFromCurrentException(varnex_error* error) noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        if (error != nullptr) {
            error->code = VARNEX_ERR_INTERNAL;
            std::strcpy(error->message, "out of memory");
        }
    } catch (const std::exception& e) {
        try {
            setError(error, VARNEX_ERR_INTERNAL, std::string("unexpected failure: ") + e.what());
        } catch (...) {
            if (error != nullptr) error->code = VARNEX_ERR_INTERNAL;
        }
    } catch (...) {
        if (error != nullptr) {
            error->code = VARNEX_ERR_INTERNAL;
            std::strcpy(error->message, "unexpected failure");
        }
    }
}

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates
// or code points past U+10FFFF.
bool isUtf8(const char* s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    while (*p != 0) {
        unsigned c = *p;
        int more;
        unsigned min;
        if (c < 0x80) {
            ++p;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            more = 1, min = 0x80, c &= 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, min = 0x800, c &= 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, c &= 0x07;
        } else {
            return false;
        }
        ++p;
        for (int i = 0; i < more; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) return false;
            c = (c << 6) | (*p & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    }
    return true;
}

bool checkText(const char* text, const char* name, varnex_error* error) {
    if (text == nullptr) {
        setError(error, VARNEX_ERR_ARGUMENT, std::string(name) + " is NULL");
        return false;
    }
    if (*text == '\0') {
        setError(error, VARNEX_ERR_ARGUMENT, std::string(name) + " is empty");
        return false;
    }
    if (!isUtf8(text)) {
        setError(error, VARNEX_ERR_ARGUMENT, std::string(name) + " is not valid UTF-8");
        return false;
    }
    return true;
}

// Paths are bytes to the kernel: only NULL and empty are refused.
bool checkPath(const char* path, const char* name, varnex_error* error) {
    if (path == nullptr || *path == '\0') {
        setError(error, VARNEX_ERR_ARGUMENT, std::string(name) + (path == nullptr ? " is NULL" : " is empty"));
        return false;
    }
    return true;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The open part of `engine`, or null with VARNEX_ERR_CLOSED / ARGUMENT set.
// Only addresses this library handed out are ever dereferenced.
OpenEngine* openPart(varnex_engine* engine, varnex_error* error) {
    if (engine == nullptr) {
        setError(error, VARNEX_ERR_ARGUMENT, "engine handle is NULL");
        return nullptr;
    }
    if (knownHandles().count(engine) == 0) {
        setError(error, VARNEX_ERR_CLOSED, "not a handle from varnex_open");
        return nullptr;
    }
    if (!engine->open) {
        setError(error, VARNEX_ERR_CLOSED, "the engine handle is closed");
        return nullptr;
    }
    return engine->open.get();
}

// While alive, notes the error-level lines the engine logs and still passes
// every line on to the sink that was installed before.
class ErrorLines {
public:
    ErrorLines()
        : previous(Varnex::setLogSink([this](int priority, const char* tag, const char* text) {
              if (priority == errorPriority && text != nullptr) note(text);
              return previous ? previous(priority, tag, text) : 0;
          })) {}
    ~ErrorLines() { Varnex::setLogSink(previous); }
    ErrorLines(const ErrorLines&) = delete;
    ErrorLines& operator=(const ErrorLines&) = delete;

    bool any() const { return count > 0; }
    const std::string& first() const { return firstLine; }
    bool mention(const char* word) const { return mentioned.find(word) != std::string::npos; }

private:
    void note(const char* text) {
        ++count;
        std::string line(text);
        while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
        if (firstLine.empty()) firstLine = line;
        if (mentioned.size() < 8192) mentioned += line + "\n";
    }

    const int errorPriority = Varnex::logPriority(Varnex::LOG_ERROR);
    int count = 0;
    std::string firstLine;
    std::string mentioned;
    Varnex::LogSink previous;
};

std::string withReason(const std::string& what, const ErrorLines& log) {
    return log.first().empty() ? what : what + ": " + log.first();
}

std::string findResourceDir() {
    Dl_info info;
    if (::dladdr(reinterpret_cast<void*>(&varnex_default_resource_dir), &info) == 0 || info.dli_fname == nullptr)
        return "";
    char* real = ::realpath(info.dli_fname, nullptr);
    if (real == nullptr) return "";
    std::string library(real);
    std::free(real);
    std::string libdir = library.substr(0, library.rfind('/'));
    for (const char* relative : {VARNEX_RESOURCES_FROM_LIBDIR, VARNEX_RESOURCES_FROM_BUILD_LIBDIR}) {
        char* dir = ::realpath((libdir + "/" + relative).c_str(), nullptr);
        if (dir == nullptr) continue;
        std::string found(dir);
        std::free(dir);
        if (isDirectory(found + "/1.0")) return found;
    }
    return "";
}

// varnex_open and varnex_open_with_key; `key` is null for the key file.
varnex_engine* openEngine(const char* resource_dir, const char* data_dir, const unsigned char* key, size_t key_size,
                          varnex_error* error) {
    try {
        std::lock_guard<std::mutex> guard(apiLock());
        if (!checkPath(resource_dir, "resource_dir", error) || !checkPath(data_dir, "data_dir", error))
            return nullptr;
        if (key != nullptr && key_size != Varnex::StoreKey::kBytes) {
            setError(error, VARNEX_ERR_KEY,
                     "the key must be " + std::to_string(Varnex::StoreKey::kBytes) + " bytes, not " +
                         std::to_string(key_size));
            return nullptr;
        }
        std::string resources = resource_dir;
        if (!isDirectory(resources + "/1.0")) {
            setError(error, VARNEX_ERR_RESOURCES,
                     "no resource tree at \"" + resources + "\" (it must hold the \"1.0\" directory)");
            return nullptr;
        }
        std::string data = data_dir;
        struct stat st;
        const bool exists = ::stat(data.c_str(), &st) == 0;
        if (!exists || !S_ISDIR(st.st_mode)) {
            setError(error, VARNEX_ERR_DATA,
                     "data directory \"" + data + "\" " + (exists ? "is not a directory" : "does not exist"));
            return nullptr;
        }
        // A directory that cannot be written is fine: what was learnt there
        // still serves, and varnex_notify reports that it cannot record.
        // The C++ API glues the database names onto the directory as it stands.
        if (data.back() != '/') data += '/';

        auto open = std::make_unique<OpenEngine>();
        open->api = static_cast<SmartReplyAPIWrapper*>(create());
        if (open->api == nullptr || (key != nullptr && setStoreKey(open->api, key, key_size) != 1)) {
            setError(error, VARNEX_ERR_INTERNAL, "the engine could not be created");
            return nullptr;
        }
        ErrorLines log;
        bool opened = open->api->openEngine(resources, data);
        // Only the learning databases (and their key) make openEngine fail;
        // missing or broken resources leave it "open" and show only in the log.
        if (!opened && (log.mention("key file") || (key != nullptr && log.mention("store key")))) {
            setError(error, VARNEX_ERR_KEY,
                     withReason("the learning databases in \"" + std::string(data_dir) + "\" cannot be unlocked", log));
            return nullptr;
        }
        if (!opened && log.mention("database")) {
            setError(error, VARNEX_ERR_DATA,
                     withReason("the learning databases in \"" + std::string(data_dir) + "\" cannot be opened", log));
            return nullptr;
        }
        if (log.any()) {
            setError(error, VARNEX_ERR_RESOURCES,
                     withReason("the resource tree at \"" + resources + "\" could not be loaded", log));
            return nullptr;
        }
        if (!opened) {
            setError(error, VARNEX_ERR_INTERNAL, "the engine did not open and logged no reason");
            return nullptr;
        }
        auto handle = std::make_unique<varnex_engine>();
        knownHandles().insert(handle.get());
        handle->open = std::move(open);
        clearError(error);
        return handle.release();
    } catch (...) {
        setErrorFromCurrentException(error);
        return nullptr;
    }
}

}  // namespace

extern "C" {

const char* varnex_default_resource_dir(void) {
    try {
        static const std::string dir = findResourceDir();
        return dir.empty() ? nullptr : dir.c_str();
    } catch (...) {
        return nullptr;
    }
}

varnex_engine* varnex_open(const char* resource_dir, const char* data_dir, varnex_error* error) {
    return openEngine(resource_dir, data_dir, nullptr, 0, error);
}

varnex_engine* varnex_open_with_key(const char* resource_dir, const char* data_dir, const unsigned char* key,
                                    size_t key_size, varnex_error* error) {
    return openEngine(resource_dir, data_dir, key, key_size, error);
}

const char* const* varnex_suggest(varnex_engine* engine, const char* message, const char* sender, size_t* count,
                                  varnex_error* error) {
    if (count != nullptr) *count = 0;
    try {
        std::lock_guard<std::mutex> guard(apiLock());
        OpenEngine* open = openPart(engine, error);
        if (open == nullptr || !checkText(message, "message", error)) return nullptr;
        if (sender != nullptr && !checkText(sender, "sender", error)) return nullptr;
        // Copied first: the arguments may point into the replies replaced below.
        const std::string text(message), from(sender != nullptr ? sender : "");

        std::vector<std::string> found;
        ErrorLines log;
        open->api->findReply("", from, text, found);
        if (found.empty() && log.any()) {
            setError(error, VARNEX_ERR_INTERNAL, withReason("no suggestions", log));
            return nullptr;
        }
        std::vector<const char*> pointers;
        pointers.reserve(found.size() + 1);
        open->replies.swap(found);
        for (const auto& r : open->replies) pointers.push_back(r.c_str());
        pointers.push_back(nullptr);
        open->pointers.swap(pointers);
        if (count != nullptr) *count = open->replies.size();
        clearError(error);
        return open->pointers.data();
    } catch (...) {
        setErrorFromCurrentException(error);
        return nullptr;
    }
}

void varnex_free_suggestions(varnex_engine* engine) {
    try {
        std::lock_guard<std::mutex> guard(apiLock());
        if (OpenEngine* open = openPart(engine, nullptr)) open->clearReplies();
    } catch (...) {
    }
}

int varnex_notify(varnex_engine* engine, const char* sender, const char* message, const char* reply,
                  varnex_error* error) {
    try {
        std::lock_guard<std::mutex> guard(apiLock());
        OpenEngine* open = openPart(engine, error);
        if (open == nullptr || !checkText(sender, "sender", error) || !checkText(message, "message", error) ||
            !checkText(reply, "reply", error))
            return 0;
        ErrorLines log;
        open->api->notify("", sender, message, reply, false);
        if (log.any()) {
            setError(error, VARNEX_ERR_NOT_RECORDED, withReason("the reply was not recorded", log));
            return 0;
        }
        clearError(error);
        return 1;
    } catch (...) {
        setErrorFromCurrentException(error);
        return 0;
    }
}

varnex_code varnex_close(varnex_engine* engine) {
    try {
        std::lock_guard<std::mutex> guard(apiLock());
        if (engine == nullptr) return VARNEX_OK;
        if (knownHandles().count(engine) == 0 || !engine->open) return VARNEX_ERR_CLOSED;
        engine->open.reset();
        return VARNEX_OK;
    } catch (...) {
        return VARNEX_ERR_INTERNAL;
    }
}

}  // extern "C"
