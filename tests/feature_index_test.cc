// Feature names to weight rows: hashing, building, reading and writing the
// index file, and the sparse feature vector.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "TestSupport.h"
#include "Varnex/SVMFeatureIndex.h"
#include "Varnex/SVMFeatureVector.h"
#include "Varnex/Utilities/StringUtil.h"

using Varnex::SVMFeatureIndex;
using Varnex::SVMFeatureVector;
using Varnex::Utilities::StringUtil;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;

TEST(FeatureHash, MatchesMurmur3ReferenceValuesAsASignedInt) {
    // MurmurHash3 x86_32, computed with an independent implementation checked
    // against the published vectors.
    for (const auto& [text, seed, hash] : std::vector<std::tuple<std::string, uint32_t, uint32_t>>{
             {"", 0, 0u}, {"", 1, 0x514E28B7u}, {"", 0xffffffffu, 0x81F16F39u}, {"a", 0, 0x3c2569b2u},
             {"abc", 0, 0xb3dd93fau}, {"abcd", 0, 0x43ed676au}, {"hello", 0, 0x248bfa47u},
             {"The quick brown fox jumps over the lazy dog", 0, 0x2e4ff723u}, {"안녕", 0, 0xf780140fu},
             {"안녕하세요", 0, 0x718ce1fau}, {"감사합니다", 0, 0x4ed3ff5bu}, {"test", 0, 0xBA6BD213u},
             {"Hello, world!", 0x9747b28c, 0x24884CBAu},
             {"The quick brown fox jumps over the lazy dog", 0x9747b28c, 0x2FA826CDu}})
        EXPECT_EQ(StringUtil::murmur3_32(text, seed), hash) << text << " / " << seed;
    for (const auto& [name, hash] : std::vector<std::pair<std::string, int>>{
             {"hello", 613153351}, {"abc", -1277324294}, {"안녕", -142601201}, {"postfix->요?", 1133700095},
             {"word-> 밥 먹었어", -2097637280}})
        EXPECT_EQ(SVMFeatureIndex::hash(name), hash) << name;
}

TEST(FeatureIndex, InsertNumbersNewNamesFromTheOffsetUntilFrozen) {
    SVMFeatureIndex index(5);
    EXPECT_EQ(std::vector<int>({index.insert("a"), index.insert("b"), index.insert("a")}), std::vector<int>({5, 6, 5}));
    EXPECT_EQ(index.getFeatureNumber(), 2);
    EXPECT_EQ(index.getIndex("b"), 6);
    EXPECT_EQ(index.getIndex(SVMFeatureIndex::hash("b")), 6);
    EXPECT_EQ(index.getIndex("c"), -1);
    index.freeze();
    EXPECT_EQ(std::vector<int>({index.insert("c"), index.insert("b")}), std::vector<int>({-1, 6}));
    EXPECT_EQ(index.getFeatureNumber(), 2);
}

TEST(FeatureIndex, FileRoundTripFreezesAndDropsUnknownNamesAndFailuresAreReported) {
    TempDir dir;
    SVMFeatureIndex index(1);
    std::string expected = "1\n";  // written by index, so the same index always gives the same file
    for (const char* n : {"좋아", "postfix->요", "word-> a b", "x"})
        expected += std::to_string(SVMFeatureIndex::hash(n)) + ":" + std::to_string(index.insert(n)) + "\n";
    ASSERT_TRUE(index.writeToFile(dir.file("f.index")));
    EXPECT_EQ(VarnexTest::readFile(dir.file("f.index")), expected);

    SVMFeatureIndex read(dir.file("f.index"));
    EXPECT_TRUE(read.isFrozen());
    EXPECT_EQ(read.getOffset(), 1);
    EXPECT_EQ(read.getEntries(), index.getEntries());
    EXPECT_EQ(read.insert("unknown"), -1);
    SVMFeatureVector v(std::make_shared<SVMFeatureIndex>(read));
    EXPECT_FALSE(v.insert("unknown", 1.0f));
    EXPECT_TRUE(v.getFeatureMap().empty());
    EXPECT_TRUE(v.insert("좋아"));
    EXPECT_EQ(v.getFeatureMap().at(index.getIndex("좋아")), 1.0f);

    LogCapture log;
    EXPECT_FALSE(index.readFromFile(dir.file("none.index")));
    EXPECT_TRUE(log.hasError("Can't open SVM feature index file for read"));
    EXPECT_EQ(index.getFeatureNumber(), 4);
    EXPECT_FALSE(index.writeToFile(dir.file("no/such/dir.index")));
    EXPECT_TRUE(log.hasError("Can't open SVM feature index file for write"));
    // /dev/full accepts the open and fails the writes, as a full disk does.
    for (int i = 0; i < 5000; ++i) index.insert("feature" + std::to_string(i));
    EXPECT_FALSE(index.writeToFile("/dev/full"));
    EXPECT_TRUE(log.hasError("Can't write SVM feature index file [/dev/full]"));
}

TEST(FeatureIndex, ReadingToleratesAMissingOffsetLineCrlfAndRepeatsButNotMalformedLines) {
    TempDir dir;
    // content, entries read (missing offset line: reported, offset kept)
    for (const auto& [content, entries] : std::vector<std::pair<std::string, std::unordered_map<int, int>>>{
             {"-5:3\n7:4\n", {{-5, 3}, {7, 4}}}, {"", {}}, {"1\r\n9:1\r\n9:2\r\n\r\n", {{9, 2}}}}) {
        const std::string path = dir.write("r.index", content);
        LogCapture log;
        SVMFeatureIndex index(0);
        ASSERT_TRUE(index.readFromFile(path)) << content;
        EXPECT_EQ(index.getEntries(), entries) << content;
        EXPECT_EQ(log.hasError("Fread error [" + path + "][0]"), content[0] != '1') << content;
    }
    SVMFeatureIndex index(1);
    index.insert("kept");
    for (const char* bad : {"1\n5:1\n6:\n", "1\n5:1\nx:2\n", "1\n5:1:2\n", "1\n99999999999:1\n", "1\n5 1\n",
                            "1\n5:-1\n6:2\n"}) {
        LogCapture log;
        EXPECT_FALSE(index.readFromFile(dir.write("b.index", bad))) << bad;
        EXPECT_TRUE(log.hasError("Malformed feature index line")) << bad;
        EXPECT_EQ(index.getFeatureNumber(), 1);
        EXPECT_FALSE(index.isFrozen());
        EXPECT_EQ(index.getIndex("kept"), 1);
    }
    std::FILE* f = std::fopen(dir.write("l.index", "1\n1:1\n2:2\n3:3\n").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    LogCapture log;
    EXPECT_FALSE(index.readFromStream(f, "l.index", 2));
    std::fclose(f);
    EXPECT_TRUE(log.hasError("more than 2 entries"));
    EXPECT_FALSE(index.isFrozen());
    EXPECT_EQ(index.getIndex("kept"), 1);
}

TEST(FeatureVector, InsertSetsAddAccumulatesAndNamesNeedAnIndex) {
    auto index = std::make_shared<SVMFeatureIndex>(1);
    SVMFeatureVector v(index);
    EXPECT_TRUE(v.add("x") && v.add("x") && v.add("x", 1));
    EXPECT_EQ(v.getFeatureMap().at(index->getIndex("x")), 3.0f);
    EXPECT_TRUE(v.insert("x", 0.5f));
    EXPECT_EQ(v.getFeatureMap().at(index->getIndex("x")), 0.5f);
    EXPECT_TRUE(v.add(40, 2.0f) && v.add(40, -0.5f));
    EXPECT_EQ(v.getFeatureMap().at(40), 1.5f);
    EXPECT_EQ(v.getTotalNumberOfFeatures(), 1);
    EXPECT_EQ(v.toString(), "offset = 1,[1:0.500000][40:1.500000]");

    SVMFeatureVector bare;
    EXPECT_FALSE(bare.insert("x") || bare.add("x", 2.0f));
    EXPECT_TRUE(bare.getFeatureMap().empty());
    EXPECT_EQ(bare.getTotalNumberOfFeatures(), 0);
}
