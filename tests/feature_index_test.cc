// Feature names to weight rows: hashing, building, reading and writing the
// index file, and the sparse feature vector.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "Varnex/SVMFeatureIndex.h"
#include "Varnex/SVMFeatureVector.h"
#include "Varnex/Utilities/StringUtil.h"

using Varnex::SVMFeatureIndex;
using Varnex::SVMFeatureVector;
using Varnex::Utilities::StringUtil;
using VarnexTest::LogCapture;
using VarnexTest::TempDir;

namespace {
bool hasError(const LogCapture& log, const std::string& part) {
    for (const auto& l : log.lines())
        if (l.priority == 6 && l.text.find(part) != std::string::npos) return true;
    return false;
}
}  // namespace

// Reference values of MurmurHash3 x86_32 (seed 0 unless stated), computed
// with an independent implementation checked against the published vectors.
TEST(FeatureHash, MatchesMurmur3ReferenceValues) {
    EXPECT_EQ(StringUtil::murmur3_32("", 0), 0u);
    EXPECT_EQ(StringUtil::murmur3_32("", 1), 0x514E28B7u);
    EXPECT_EQ(StringUtil::murmur3_32("", 0xffffffffu), 0x81F16F39u);
    EXPECT_EQ(StringUtil::murmur3_32("a", 0), 0x3c2569b2u);
    EXPECT_EQ(StringUtil::murmur3_32("abc", 0), 0xb3dd93fau);
    EXPECT_EQ(StringUtil::murmur3_32("abcd", 0), 0x43ed676au);
    EXPECT_EQ(StringUtil::murmur3_32("hello", 0), 0x248bfa47u);
    EXPECT_EQ(StringUtil::murmur3_32("The quick brown fox jumps over the lazy dog", 0), 0x2e4ff723u);
    EXPECT_EQ(StringUtil::murmur3_32("안녕", 0), 0xf780140fu);
    EXPECT_EQ(StringUtil::murmur3_32("안녕하세요", 0), 0x718ce1fau);
    EXPECT_EQ(StringUtil::murmur3_32("감사합니다", 0), 0x4ed3ff5bu);
}

TEST(FeatureHash, IsTheSignedMurmur3OfTheName) {
    EXPECT_EQ(SVMFeatureIndex::hash("hello"), 613153351);
    EXPECT_EQ(SVMFeatureIndex::hash("abc"), -1277324294);
    EXPECT_EQ(SVMFeatureIndex::hash("안녕"), -142601201);
    EXPECT_EQ(SVMFeatureIndex::hash("postfix->요?"), 1133700095);
    EXPECT_EQ(SVMFeatureIndex::hash("word-> 밥 먹었어"), -2097637280);
}

TEST(FeatureIndex, InsertNumbersNewNamesFromTheOffset) {
    SVMFeatureIndex index(5);
    EXPECT_EQ(index.insert("a"), 5);
    EXPECT_EQ(index.insert("b"), 6);
    EXPECT_EQ(index.insert("a"), 5);
    EXPECT_EQ(index.getFeatureNumber(), 2);
    EXPECT_EQ(index.getIndex("b"), 6);
    EXPECT_EQ(index.getIndex(SVMFeatureIndex::hash("b")), 6);
    EXPECT_EQ(index.getIndex("c"), -1);
    index.freeze();
    EXPECT_EQ(index.insert("c"), -1);
    EXPECT_EQ(index.insert("b"), 6);
    EXPECT_EQ(index.getFeatureNumber(), 2);
}

TEST(FeatureIndex, FileRoundTrip) {
    TempDir dir;
    SVMFeatureIndex index(1);
    for (const char* n : {"좋아", "postfix->요", "word-> a b", "x"}) index.insert(n);
    ASSERT_TRUE(index.writeToFile(dir.file("f.index")));
    // Written by index, so the same index always gives the same file.
    std::string expected = "1\n";
    for (const char* n : {"좋아", "postfix->요", "word-> a b", "x"})
        expected += std::to_string(SVMFeatureIndex::hash(n)) + ":" + std::to_string(index.getIndex(n)) + "\n";
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
}

TEST(FeatureIndex, MissingOffsetLineIsReportedAndEntriesStillRead) {
    TempDir dir;
    std::string path = dir.write("n.index", "-5:3\n7:4\n");
    LogCapture log;
    SVMFeatureIndex index(0);
    ASSERT_TRUE(index.readFromFile(path));
    EXPECT_TRUE(hasError(log, "Fread error [" + path + "][0]"));
    EXPECT_EQ(index.getFeatureNumber(), 2);
    EXPECT_EQ(index.getIndex(-5), 3);
    EXPECT_EQ(index.getIndex(7), 4);
}

TEST(FeatureIndex, EmptyFileReadsAsEmptyIndex) {
    TempDir dir;
    LogCapture log;
    SVMFeatureIndex index(0);
    EXPECT_TRUE(index.readFromFile(dir.write("e.index", "")));
    EXPECT_EQ(index.getFeatureNumber(), 0);
    EXPECT_TRUE(hasError(log, "Fread error"));
}

TEST(FeatureIndex, RepeatedHashKeepsTheLastIndexAndCrlfIsAccepted) {
    TempDir dir;
    SVMFeatureIndex index(0);
    ASSERT_TRUE(index.readFromFile(dir.write("r.index", "1\r\n9:1\r\n9:2\r\n\r\n")));
    EXPECT_EQ(index.getFeatureNumber(), 1);
    EXPECT_EQ(index.getIndex(9), 2);
}

TEST(FeatureIndex, MalformedLineFailsAndKeepsTheIndex) {
    TempDir dir;
    SVMFeatureIndex index(1);
    index.insert("kept");
    for (const char* bad : {"1\n5:1\n6:\n", "1\n5:1\nx:2\n", "1\n5:1:2\n", "1\n99999999999:1\n", "1\n5 1\n"}) {
        LogCapture log;
        EXPECT_FALSE(index.readFromFile(dir.write("b.index", bad))) << bad;
        EXPECT_TRUE(hasError(log, "Malformed feature index line")) << bad;
        EXPECT_EQ(index.getFeatureNumber(), 1);
        EXPECT_FALSE(index.isFrozen());
        EXPECT_EQ(index.getIndex("kept"), 1);
    }
}

TEST(FeatureIndex, ReadingStopsAtTheEntryLimit) {
    TempDir dir;
    std::FILE* f = std::fopen(dir.write("l.index", "1\n1:1\n2:2\n3:3\n").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    LogCapture log;
    SVMFeatureIndex index(1);
    EXPECT_FALSE(index.readFromStream(f, "l.index", 2));
    std::fclose(f);
    EXPECT_TRUE(hasError(log, "more than 2 entries"));
}

TEST(FeatureIndex, UnopenableFile) {
    TempDir dir;
    LogCapture log;
    SVMFeatureIndex index(1);
    EXPECT_FALSE(index.readFromFile(dir.file("none.index")));
    EXPECT_TRUE(hasError(log, "Can't open SVM feature index file for read"));
    EXPECT_FALSE(index.writeToFile(dir.file("no/such/dir.index")));
    EXPECT_TRUE(hasError(log, "Can't open SVM feature index file for write"));
}

TEST(FeatureIndex, FailedWriteIsReported) {
    // /dev/full accepts the open and fails the writes, as a full disk does.
    SVMFeatureIndex index(1);
    for (int i = 0; i < 5000; ++i) index.insert("feature" + std::to_string(i));
    LogCapture log;
    EXPECT_FALSE(index.writeToFile("/dev/full"));
    EXPECT_TRUE(hasError(log, "Can't write SVM feature index file [/dev/full]"));
}

TEST(FeatureVector, InsertAndAdd) {
    auto index = std::make_shared<SVMFeatureIndex>(1);
    SVMFeatureVector v(index);
    EXPECT_TRUE(v.add("x"));
    EXPECT_TRUE(v.add("x"));
    EXPECT_TRUE(v.add("x", 1));
    EXPECT_EQ(v.getFeatureMap().at(index->getIndex("x")), 3.0f);
    EXPECT_TRUE(v.insert("x", 0.5f));
    EXPECT_EQ(v.getFeatureMap().at(index->getIndex("x")), 0.5f);
    EXPECT_TRUE(v.add(40, 2.0f));
    EXPECT_TRUE(v.add(40, -0.5f));
    EXPECT_EQ(v.getFeatureMap().at(40), 1.5f);
    EXPECT_EQ(v.getTotalNumberOfFeatures(), 1);
    EXPECT_EQ(v.toString(), "offset = 1,[1:0.500000][40:1.500000]");
}

TEST(FeatureVector, WithoutIndexNamesAreRefused) {
    SVMFeatureVector v;
    EXPECT_FALSE(v.insert("x"));
    EXPECT_FALSE(v.add("x", 2.0f));
    EXPECT_TRUE(v.getFeatureMap().empty());
    EXPECT_EQ(v.getTotalNumberOfFeatures(), 0);
    v.setText("text");
    EXPECT_EQ(v.getText(), "text");
}
