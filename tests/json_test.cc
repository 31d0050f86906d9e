#include <gtest/gtest.h>

#include <glib.h>

#include <string>

#include "JsonBuilder.h"
#include "JsonParser.h"
#include "TestSupport.h"

namespace {
void parse(JsonObjectParser& p, const std::string& s) { p.parse(s.data(), s.size()); }
}  // namespace

TEST(Json, BuilderOutputParsesBackIntoTypedMaps) {
    JsonObjectBuilder b;
    JsonObject* o = b.jsonObjectNew();
    EXPECT_TRUE(b.addStringObj(o, "reply", "고마워 \"친구\""));
    EXPECT_TRUE(b.addIntObj(o, "count", 3));
    EXPECT_TRUE(b.addDoubleObj(o, "score", 0.75));
    EXPECT_TRUE(b.addBoolObj(o, "ok", true));
    JsonArray* arr = b.jsonArrayNew();
    JsonObject* inner = b.jsonObjectNew();
    EXPECT_TRUE(b.addStringObj(inner, "text", "네"));
    EXPECT_TRUE(b.addObjectArray(arr, inner));
    EXPECT_TRUE(b.addArrayObj(o, "RESPONSE_DATA", arr));
    b.setRootObject(o);
    int len = 0;
    char* json = b.jsonGeneratorToBuffer(&len);
    ASSERT_NE(json, nullptr);
    std::string text(json, len);
    g_free(json);
    EXPECT_EQ(text.find('\n'), std::string::npos);

    JsonObjectParser p;
    parse(p, text);
    std::string reply;
    int count = 0;
    double score = 0;
    bool ok = false;
    p.getValue("reply", reply);
    p.getValue("count", count);
    p.getValue("score", score);
    p.getValue("ok", ok);
    EXPECT_EQ(reply, "고마워 \"친구\"");
    EXPECT_EQ(count, 3);
    EXPECT_DOUBLE_EQ(score, 0.75);
    EXPECT_TRUE(ok);
    // A second parse starts from empty maps.
    parse(p, text);
    EXPECT_EQ(p.getStrings().size(), 1u);

    VarnexTest::TempDir dir;
    EXPECT_TRUE(b.jsonGeneratorToFile(dir.file("out.json").c_str()));
    EXPECT_EQ(VarnexTest::readFile(dir.file("out.json")), text);
    VarnexTest::LogCapture log;
    EXPECT_FALSE(b.jsonGeneratorToFile(dir.file("missing/dir/out.json").c_str()));
    EXPECT_TRUE(log.contains("json_generator_to_file is failed"));
}

TEST(Json, NullArgumentsAreRefusedWithALogLine) {
    VarnexTest::LogCapture log;
    JsonObjectBuilder b;
    EXPECT_FALSE(b.addBoolObj(nullptr, "k", true));
    EXPECT_TRUE(log.contains("obj or key is null"));
    JsonObject* o = b.jsonObjectNew();
    EXPECT_FALSE(b.addStringObj(o, nullptr, "v"));
    EXPECT_FALSE(b.addStringObj(o, "k", nullptr));
    EXPECT_FALSE(b.addIntArray(nullptr, 1));
    EXPECT_TRUE(log.contains("array or value is null"));
    b.setRootObject(o);
}

TEST(Json, LookupsAndDuplicatesThrowWithTheKey) {
    JsonObjectParser p;
    parse(p, "{\"a\": 1}");
    std::string s;
    try {
        p.getValue("b", s);
        FAIL();
    } catch (const JsonReaderException& e) {
        EXPECT_STREQ(e.what(), "b not found");
    }
    try {
        p.addValue("a", 2);
        FAIL();
    } catch (const JsonReaderException& e) {
        EXPECT_STREQ(e.what(), "a already exist");
    }
}

// Each unaccepted input, parsed over an object that holds a previous
// parse's values of every type: it throws "json parsing error" and leaves
// the object empty, also when accepted members came before the offending one.
TEST(Json, UnacceptedInputThrowsParsingErrorAndLeavesTheObjectEmpty) {
    const std::string previous = "{\"s\": \"old\", \"i\": 1, \"d\": 0.5, \"b\": true}";
    for (const std::string& input :
         {std::string(), std::string("[]"), std::string("5"), std::string("\"text\""), std::string("{\"a\": null}"),
          std::string("{\"a\": {\"b\": 1}}"), std::string("{\"a\": [1, 2]}"), std::string("{\"RESPONSE_DATA\": [1]}"),
          std::string("{\"a\": 1"), std::string("{\"a\": \xff\xfe}"), std::string("{\"a\":\0 1}", 9),
          std::string("{\"first\": \"x\", \"bad\": null}"),
          // Lone surrogates, which the reader turns into bytes that are not UTF-8 (the first found by fuzzing).
          std::string("{\"a\\u0000b\": \"x\\u0000y\", \"e\": \"\\ud83d\\00\", \"f\": false}"),
          std::string("{\"e\": \"\\ud83dx\"}"), std::string("{\"\\ud83d\\00\": \"k\"}"),
          std::string("{\"s\": \"new\", \"i\": 2, \"d\": 1.5, \"b\": false, \"bad\": [1]}")}) {
        JsonObjectParser p;
        parse(p, previous);
        ASSERT_EQ(p.getStrings().size() + p.getInts().size() + p.getDoubles().size() + p.getBools().size(), 4u);
        try {
            parse(p, input);
            ADD_FAILURE() << "accepted: " << input;
        } catch (const JsonReaderException& e) {
            EXPECT_STREQ(e.what(), "json parsing error") << input;
        }
        EXPECT_TRUE(p.getStrings().empty() && p.getInts().empty() && p.getDoubles().empty() && p.getBools().empty())
            << "values left after a failed parse of: " << input;
    }
    JsonObjectParser p;
    parse(p, previous);
    EXPECT_THROW(p.parse(nullptr, 0), JsonReaderException);
    EXPECT_TRUE(p.getStrings().empty() && p.getInts().empty() && p.getDoubles().empty() && p.getBools().empty());
}
