#include "JsonParser.h"

#include <json-glib/json-glib.h>

#include "Varnex/Log.h"

using Varnex::LOG_DEBUG;
using Varnex::LOG_INFO;
using Varnex::varnex_print_log;

namespace {
const char* const kTag = "utilities/src/Varnex/Utilities/JsonParser";
const char* const kParseError = "json parsing error";

template <typename Map>
void getFrom(const Map& map, const std::string& key, typename Map::mapped_type& value) {
    auto it = map.find(key);
    if (it == map.end()) throw JsonReaderException(key + " not found");
    value = it->second;
}

template <typename Map>
void addTo(Map& map, const std::string& key, const typename Map::mapped_type& value) {
    if (!map.emplace(key, value).second) throw JsonReaderException(key + " already exist");
}
}  // namespace

JsonObjectParser::~JsonObjectParser() {
    if (parser) g_object_unref(parser);
}

void JsonObjectParser::clear() {
    strings.clear();
    ints.clear();
    doubles.clear();
    bools.clear();
    if (parser) {
        g_object_unref(parser);
        parser = nullptr;
    }
}

void JsonObjectParser::parse(const char* data, size_t length) {
    // The previous values go first, and a failure part-way through the
    // members takes the ones already stored with it: a failed parse never
    // leaves values behind that a caller could take for the new input's.
    clear();
    try {
        parseMembers(data, length);
    } catch (...) {
        clear();
        throw;
    }
}

void JsonObjectParser::parseMembers(const char* data, size_t length) {
    if (data == nullptr || length == 0) throw JsonReaderException(kParseError);
    parser = json_parser_new();
    GError* error = nullptr;
    if (!json_parser_load_from_data(parser, data, static_cast<gssize>(length), &error)) {
        varnex_print_log(LOG_INFO, kTag, "Failed to json_parser_load_from_data");
        if (error) g_error_free(error);
        throw JsonReaderException(kParseError);
    }
    JsonNode* root = json_parser_get_root(parser);
    if (root == nullptr || !JSON_NODE_HOLDS_OBJECT(root)) throw JsonReaderException(kParseError);

    JsonObject* object = json_node_get_object(root);
    GList* members = json_object_get_members(object);
    // The list is freed however the walk ends.
    struct ListGuard {
        GList* list;
        ~ListGuard() { g_list_free(list); }
    } guard{members};

    for (GList* m = members; m != nullptr; m = m->next) {
        const char* name = static_cast<const char*>(m->data);
        if (name == nullptr || !g_utf8_validate(name, -1, nullptr)) throw JsonReaderException(kParseError);
        std::string key = name;
        JsonNode* node = json_object_get_member(object, name);
        switch (JSON_NODE_TYPE(node)) {
            case JSON_NODE_VALUE: {
                GType type = json_node_get_value_type(node);
                if (type == G_TYPE_BOOLEAN) {
                    addValue(key, static_cast<bool>(json_node_get_boolean(node)));
                } else if (type == G_TYPE_INT64 || type == G_TYPE_INT || type == G_TYPE_LONG ||
                           type == G_TYPE_UINT || type == G_TYPE_UINT64) {
                    addValue(key, static_cast<int>(json_node_get_int(node)));
                } else if (type == G_TYPE_DOUBLE || type == G_TYPE_FLOAT) {
                    addValue(key, static_cast<double>(json_node_get_double(node)));
                } else if (type == G_TYPE_STRING) {
                    // The reader lets a lone surrogate escape through as bytes
                    // that are not UTF-8: such a string is no text.
                    const char* s = json_node_get_string(node);
                    if (s != nullptr && !g_utf8_validate(s, -1, nullptr)) throw JsonReaderException(kParseError);
                    addValue(key, std::string(s ? s : ""));
                } else {
                    throw JsonReaderException(kParseError);
                }
                varnex_print_log(LOG_DEBUG, kTag, "value %s", key.c_str());
                break;
            }
            case JSON_NODE_ARRAY: {
                if (key != "RESPONSE_DATA") throw JsonReaderException(kParseError);
                varnex_print_log(LOG_DEBUG, kTag, "array");
                JsonArray* array = json_node_get_array(node);
                guint n = json_array_get_length(array);
                for (guint i = 0; i < n; ++i)
                    if (!JSON_NODE_HOLDS_OBJECT(json_array_get_element(array, i)))
                        throw JsonReaderException(kParseError);
                break;
            }
            case JSON_NODE_NULL:
                varnex_print_log(LOG_DEBUG, kTag, "null");
                throw JsonReaderException(kParseError);
            default:
                throw JsonReaderException(kParseError);
        }
    }
}

void JsonObjectParser::getValue(const std::string& key, std::string& value) const { getFrom(strings, key, value); }
void JsonObjectParser::getValue(const std::string& key, int& value) const { getFrom(ints, key, value); }
void JsonObjectParser::getValue(const std::string& key, double& value) const { getFrom(doubles, key, value); }
void JsonObjectParser::getValue(const std::string& key, bool& value) const { getFrom(bools, key, value); }

void JsonObjectParser::addValue(const std::string& key, const std::string& value) { addTo(strings, key, value); }
void JsonObjectParser::addValue(const std::string& key, int value) { addTo(ints, key, value); }
void JsonObjectParser::addValue(const std::string& key, double value) { addTo(doubles, key, value); }
void JsonObjectParser::addValue(const std::string& key, bool value) { addTo(bools, key, value); }
