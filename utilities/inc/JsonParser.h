// Reads one flat JSON object into typed maps.
//
// Accepted: an object whose members are booleans, integers, numbers or
// strings, plus optionally "RESPONSE_DATA" holding an array of objects.
// Anything else (invalid JSON, empty input, a root that is not an object, a
// null, nested object or other array member, a name or string that is not
// UTF-8, as a lone surrogate escape makes it) throws JsonReaderException with
// "json parsing error". Lookups of absent keys throw "<key> not found".
#pragma once

#include <cstddef>
#include <exception>
#include <map>
#include <string>

#include "Varnex/Export.h"

typedef struct _JsonParser JsonParser;

class VARNEX_EXPORT JsonReaderException : public std::exception {
public:
    explicit JsonReaderException(std::string message) : message(std::move(message)) {}
    const char* what() const noexcept override { return message.c_str(); }

private:
    std::string message;
};

class VARNEX_EXPORT JsonObjectParser {
public:
    JsonObjectParser() = default;
    ~JsonObjectParser();
    JsonObjectParser(const JsonObjectParser&) = delete;
    JsonObjectParser& operator=(const JsonObjectParser&) = delete;

    // Replaces the stored values with the members of `data`. Throws
    // JsonReaderException on unaccepted input and leaves the object empty:
    // neither the previous values nor members read before the offending
    // one remain.
    void parse(const char* data, size_t length);

    void getValue(const std::string& key, std::string& value) const;
    void getValue(const std::string& key, int& value) const;
    void getValue(const std::string& key, double& value) const;
    void getValue(const std::string& key, bool& value) const;

    // Throws "<key> already exist" when the key is present in that type's map.
    void addValue(const std::string& key, const std::string& value);
    void addValue(const std::string& key, int value);
    void addValue(const std::string& key, double value);
    void addValue(const std::string& key, bool value);

    const std::map<std::string, std::string>& getStrings() const { return strings; }
    const std::map<std::string, int>& getInts() const { return ints; }
    const std::map<std::string, double>& getDoubles() const { return doubles; }
    const std::map<std::string, bool>& getBools() const { return bools; }

private:
    void clear();
    void parseMembers(const char* data, size_t length);

    std::map<std::string, std::string> strings;
    std::map<std::string, int> ints;
    std::map<std::string, double> doubles;
    std::map<std::string, bool> bools;
    JsonParser* parser = nullptr;
};
