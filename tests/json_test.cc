#include <gtest/gtest.h>

#include <glib.h>

#include <string>

#include "JsonBuilder.h"
#include "JsonParser.h"
#include "TestSupport.h"

namespace {
void parse(JsonObjectParser& p, const std::string& s) { p.parse(s.data(), s.size()); }

void expectRejected(const std::string& input) {
    JsonObjectParser p;
    try {
        parse(p, input);
        ADD_FAILURE() << "accepted: " << input;
    } catch (const JsonReaderException& e) {
        EXPECT_STREQ(e.what(), "json parsing error") << input;
    }
}
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

TEST(Json, UnacceptedShapesThrowParsingError) {
    expectRejected("");
    expectRejected("[]");
    expectRejected("5");
    expectRejected("\"text\"");
    expectRejected("{\"a\": null}");
    expectRejected("{\"a\": {\"b\": 1}}");
    expectRejected("{\"a\": [1, 2]}");
    expectRejected("{\"RESPONSE_DATA\": [1]}");
    expectRejected("{\"a\": 1");
    expectRejected("{\"a\": \xff\xfe}");
    expectRejected(std::string("{\"a\":\0 1}", 9));
    JsonObjectParser p;
    EXPECT_THROW(p.parse(nullptr, 0), JsonReaderException);
    // Members before the offending one stay stored.
    try {
        parse(p, "{\"first\": \"x\", \"bad\": null}");
    } catch (const JsonReaderException&) {
    }
    std::string first;
    p.getValue("first", first);
    EXPECT_EQ(first, "x");
}
