// The JSON object reader on any bytes, parsed over an object that holds a
// previous parse's values.
//
// Unaccepted input throws JsonReaderException("json parsing error") and
// leaves the object empty; nothing else is thrown. Accepted input gives the
// same values when parsed again, and its strings, integers and booleans
// survive a trip through the builder and back.
#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "JsonBuilder.h"
#include "JsonParser.h"

namespace {

const char kPrevious[] = "{\"s\": \"old\", \"i\": 1, \"d\": 0.5, \"b\": true}";

bool empty(const JsonObjectParser& p) {
    return p.getStrings().empty() && p.getInts().empty() && p.getDoubles().empty() && p.getBools().empty();
}

bool sameValues(const JsonObjectParser& a, const JsonObjectParser& b) {
    return a.getStrings() == b.getStrings() && a.getInts() == b.getInts() && a.getBools() == b.getBools();
}

// Parses `bytes`; false when they are refused (checked to be refused the
// documented way, leaving `p` empty).
bool parse(JsonObjectParser& p, const std::string& bytes) {
    try {
        p.parse(bytes.data(), bytes.size());
        return true;
    } catch (const JsonReaderException& e) {
        if (std::strcmp(e.what(), "json parsing error") != 0 || !empty(p)) std::abort();
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    VarnexFuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    JsonObjectParser parser;
    if (!parse(parser, kPrevious)) std::abort();
    if (!parse(parser, bytes)) return 0;

    JsonObjectParser again;
    if (!parse(again, bytes) || !sameValues(parser, again) || again.getDoubles().size() != parser.getDoubles().size())
        std::abort();

    JsonObjectBuilder builder;
    JsonObject* o = builder.jsonObjectNew();
    for (const auto& kv : parser.getStrings())
        if (!builder.addStringObj(o, kv.first.c_str(), kv.second.c_str())) std::abort();
    for (const auto& kv : parser.getInts())
        if (!builder.addIntObj(o, kv.first.c_str(), kv.second)) std::abort();
    for (const auto& kv : parser.getBools())
        if (!builder.addBoolObj(o, kv.first.c_str(), kv.second)) std::abort();
    builder.setRootObject(o);
    int length = 0;
    char* json = builder.jsonGeneratorToBuffer(&length);
    if (json == nullptr) std::abort();
    const std::string text(json, static_cast<size_t>(length));
    g_free(json);
    JsonObjectParser back;
    if (!parse(back, text) || !sameValues(back, parser)) std::abort();
    return 0;
}
