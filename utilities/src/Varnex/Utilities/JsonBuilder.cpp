#include "JsonBuilder.h"

#include <json-glib/json-glib.h>

#include "Varnex/Log.h"

using Varnex::LOG_INFO;
using Varnex::varnex_print_log;

namespace {
const char* const kTag = "utilities/src/Varnex/Utilities/JsonBuilder";

bool objectArgsOk(const void* obj, const char* key) {
    if (obj == nullptr || key == nullptr) {
        varnex_print_log(LOG_INFO, kTag, "obj or key is null");
        return false;
    }
    return true;
}

bool arrayArgsOk(const void* array) {
    if (array == nullptr) {
        varnex_print_log(LOG_INFO, kTag, "array or value is null");
        return false;
    }
    return true;
}
}  // namespace

JsonObjectBuilder::JsonObjectBuilder() : generator(json_generator_new()), root(json_node_new(JSON_NODE_OBJECT)) {
    json_node_take_object(root, json_object_new());
}

JsonObjectBuilder::~JsonObjectBuilder() {
    json_node_free(root);
    g_object_unref(generator);
}

JsonObject* JsonObjectBuilder::jsonObjectNew() { return json_object_new(); }

JsonArray* JsonObjectBuilder::jsonArrayNew() { return json_array_new(); }

bool JsonObjectBuilder::addBoolObj(JsonObject* obj, const char* key, bool value) {
    if (!objectArgsOk(obj, key)) return false;
    json_object_set_boolean_member(obj, key, value);
    return true;
}

bool JsonObjectBuilder::addDoubleObj(JsonObject* obj, const char* key, double value) {
    if (!objectArgsOk(obj, key)) return false;
    json_object_set_double_member(obj, key, value);
    return true;
}

bool JsonObjectBuilder::addIntObj(JsonObject* obj, const char* key, int value) {
    if (!objectArgsOk(obj, key)) return false;
    json_object_set_int_member(obj, key, value);
    return true;
}

bool JsonObjectBuilder::addStringObj(JsonObject* obj, const char* key, const char* value) {
    if (!objectArgsOk(obj, key) || !objectArgsOk(value, key)) return false;
    json_object_set_string_member(obj, key, value);
    return true;
}

bool JsonObjectBuilder::addObjectObj(JsonObject* obj, const char* key, JsonObject* value) {
    if (!objectArgsOk(obj, key) || !objectArgsOk(value, key)) return false;
    json_object_set_object_member(obj, key, value);
    return true;
}

bool JsonObjectBuilder::addArrayObj(JsonObject* obj, const char* key, JsonArray* value) {
    if (!objectArgsOk(obj, key) || !objectArgsOk(value, key)) return false;
    json_object_set_array_member(obj, key, value);
    return true;
}

bool JsonObjectBuilder::addIntArray(JsonArray* array, int value) {
    if (!arrayArgsOk(array)) return false;
    json_array_add_int_element(array, value);
    return true;
}

bool JsonObjectBuilder::addStringArray(JsonArray* array, const char* value) {
    if (!arrayArgsOk(array) || !arrayArgsOk(value)) return false;
    json_array_add_string_element(array, value);
    return true;
}

bool JsonObjectBuilder::addObjectArray(JsonArray* array, JsonObject* value) {
    if (!arrayArgsOk(array) || !arrayArgsOk(value)) return false;
    json_array_add_object_element(array, value);
    return true;
}

void JsonObjectBuilder::setRootObject(JsonObject* obj) {
    if (obj == nullptr) return;
    json_node_take_object(root, obj);
    json_generator_set_root(generator, root);
}

JsonGenerator* JsonObjectBuilder::getGenerator() { return generator; }

char* JsonObjectBuilder::jsonGeneratorToBuffer(int* length) {
    json_generator_set_root(generator, root);
    g_object_set(generator, "pretty", FALSE, nullptr);
    gsize len = 0;
    char* out = json_generator_to_data(generator, &len);
    if (length) *length = static_cast<int>(len);
    return out;
}

bool JsonObjectBuilder::jsonGeneratorToFile(const char* path) {
    json_generator_set_root(generator, root);
    GError* error = nullptr;
    gboolean ok = path != nullptr && json_generator_to_file(generator, path, &error);
    if (!ok) {
        varnex_print_log(LOG_INFO, kTag, "json_generator_to_file is failed (%d)", error ? error->code : -1);
        if (error) g_error_free(error);
        return false;
    }
    return true;
}
