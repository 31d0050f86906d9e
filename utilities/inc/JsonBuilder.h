// Builds one JSON object and serialises it to a buffer or a file.
//
//   JsonObjectBuilder b;
//   JsonObject* o = b.jsonObjectNew();
//   b.addStringObj(o, "reply", text);
//   b.setRootObject(o);                 // the builder now owns `o`
//   int len; char* json = b.jsonGeneratorToBuffer(&len);  // free with g_free
//
// Objects and arrays created by the builder belong to the caller until they
// are added to a parent or set as the root. Not thread-safe.
#pragma once

#include "Varnex/Export.h"

typedef struct _JsonObject JsonObject;
typedef struct _JsonArray JsonArray;
typedef struct _JsonGenerator JsonGenerator;
typedef struct _JsonNode JsonNode;

class VARNEX_EXPORT JsonObjectBuilder {
public:
    JsonObjectBuilder();
    ~JsonObjectBuilder();
    JsonObjectBuilder(const JsonObjectBuilder&) = delete;
    JsonObjectBuilder& operator=(const JsonObjectBuilder&) = delete;

    JsonObject* jsonObjectNew();
    JsonArray* jsonArrayNew();

    // Set a member. False (and a log line) for a null object, key or value.
    // The object and array forms take ownership of `value` on success.
    bool addBoolObj(JsonObject* obj, const char* key, bool value);
    bool addDoubleObj(JsonObject* obj, const char* key, double value);
    bool addIntObj(JsonObject* obj, const char* key, int value);
    bool addStringObj(JsonObject* obj, const char* key, const char* value);
    bool addObjectObj(JsonObject* obj, const char* key, JsonObject* value);
    bool addArrayObj(JsonObject* obj, const char* key, JsonArray* value);

    // Append an element. False (and a log line) for a null array or value.
    bool addIntArray(JsonArray* array, int value);
    bool addStringArray(JsonArray* array, const char* value);
    bool addObjectArray(JsonArray* array, JsonObject* value);

    // The builder takes ownership of `obj`, which becomes the root.
    void setRootObject(JsonObject* obj);
    JsonGenerator* getGenerator();

    // Compact serialisation of the root; the caller frees it with g_free.
    char* jsonGeneratorToBuffer(int* length);
    bool jsonGeneratorToFile(const char* path);

private:
    JsonGenerator* generator;
    JsonNode* root;
};
