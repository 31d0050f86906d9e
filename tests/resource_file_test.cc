// Scrambled resource files: recognising them, the byte scrambling, whole-file
// scrambling, the line reader for plain and scrambled files, and the pack
// tool that turns the resource tree into the tree the engine reads.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"

namespace fs = std::filesystem;
using Varnex::isEncrypted;
using Varnex::Utilities::Encryptor;
using Varnex::Utilities::FileContent;
using Varnex::Utilities::StringUtil;
using VarnexTest::LogCapture;
using VarnexTest::readFile;
using VarnexTest::TempDir;

namespace {

std::string allBytes(int from, int to) {
    std::string s;
    for (int b = from; b <= to; ++b) s.push_back(static_cast<char>(b));
    return s;
}

std::vector<std::string> loadLines(const std::string& path, bool scrambled, bool* ok = nullptr) {
    std::vector<std::string> lines;
    bool r = StringUtil::load(path, lines, scrambled);
    if (ok) *ok = r;
    return lines;
}

// Writes `plain` scrambled with the built-in pass phrase.
std::string writeScrambled(const TempDir& dir, const std::string& name, const std::string& plain) {
    std::unique_ptr<char[]> bytes(Encryptor().encrypt(plain.data(), plain.size()));
    return dir.write(name, std::string(bytes.get(), plain.size()));
}

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

}  // namespace

// --- recognising scrambled paths -------------------------------------------

TEST(ScrambledPath, IsRecognisedOnlyByAnExactEncSuffixAfterAName) {
    EXPECT_TRUE(isEncrypted("a.enc"));
    EXPECT_TRUE(isEncrypted("dir/x.rule.enc"));
    EXPECT_FALSE(isEncrypted(".enc"));
    EXPECT_FALSE(isEncrypted("a.ENC"));
    EXPECT_FALSE(isEncrypted("a.enc.bak"));
    EXPECT_FALSE(isEncrypted(""));
}

// --- byte scrambling --------------------------------------------------------

TEST(Scrambling, EveryByteValueSurvivesARoundTripExcept255WhichBecomesZero) {
    Encryptor e;
    const std::string plain = allBytes(0, 255);
    std::unique_ptr<char[]> scrambled(e.encrypt(plain.data(), plain.size()));
    std::unique_ptr<char[]> back(e.decrypt(scrambled.get(), plain.size()));
    for (int b = 0; b < 255; ++b) EXPECT_EQ(static_cast<unsigned char>(back[b]), b) << "byte " << b;
    EXPECT_EQ(back[255], '\0');
    EXPECT_EQ(back[256], '\0') << "the produced array carries a terminating zero";
    for (int i = 0; i < 256; ++i) EXPECT_NE(static_cast<unsigned char>(scrambled[i]), 255) << "scrambled bytes are 0..254";
}

TEST(Scrambling, PassPhraseModeAddsThePhraseByteAtEachPositionModulo255) {
    Encryptor e(std::string("\x02\xFE", 2));
    std::unique_ptr<char[]> out(e.encrypt("\x01\x01\xFE", 3));
    EXPECT_EQ(static_cast<unsigned char>(out[0]), 3);
    EXPECT_EQ(static_cast<unsigned char>(out[1]), 0);  // 1 + 254 = 255 = 0 (mod 255)
    EXPECT_EQ(static_cast<unsigned char>(out[2]), 1);  // 254 + 2 = 256 = 1
}

TEST(Scrambling, BuiltInPhraseIsTheOneEveryReaderUses) {
    const std::string phrase =
        "Seven quiet herons walk along the muddy banks at dawn, while small boats drift far downstream.";
    ASSERT_EQ(phrase.size(), 94u);
    const std::string plain = "한글 텍스트\t값\n";
    EXPECT_EQ(Encryptor().encrypt(plain), Encryptor(phrase).encrypt(plain));
}

TEST(Scrambling, SingleKeyModeUsesTheLowByteAnd255CountsAsNoShift) {
    const std::string plain = allBytes(1, 254);
    EXPECT_EQ(Encryptor(255).encrypt(plain), plain);
    const std::string shifted = allBytes(1, 247);  // 248 + 7 would wrap to a zero byte
    EXPECT_EQ(Encryptor(0x103).encrypt(plain), Encryptor(3).encrypt(plain));
    Encryptor key(7);
    EXPECT_EQ(key.decrypt(key.encrypt(shifted)), shifted);
    EXPECT_EQ(static_cast<unsigned char>(key.encrypt(std::string("\x01"))[0]), 8);
}

TEST(Scrambling, SafeAddWrapsModulo255ForNegativeShifts) {
    EXPECT_EQ(static_cast<unsigned char>(Encryptor::safeAdd('\0', -1)), 254);
    EXPECT_EQ(static_cast<unsigned char>(Encryptor::safeAdd('\xFE', 1)), 0);
    EXPECT_EQ(static_cast<unsigned char>(Encryptor::safeAdd('\xFF', -255)), 0);
    EXPECT_EQ(static_cast<unsigned char>(Encryptor::safeAdd('a', -255)), 'a');
}

TEST(Scrambling, StringFormsEndAtTheFirstZeroByteProduced) {
    Encryptor e(std::string("\x01", 1));
    // 254 + 1 = 0 (mod 255): the string result stops there.
    EXPECT_EQ(e.encrypt(std::string("a\xFE" "b")), "b");
}

// --- whole files -------------------------------------------------------------

TEST(FileScrambling, RoundTripsAFileOfEveryByteValue) {
    TempDir dir;
    const std::string plain = allBytes(0, 254) + allBytes(0, 254);
    const std::string in = dir.write("plain.bin", plain);
    Encryptor e;
    ASSERT_TRUE(e.encrypt(in, dir.file("s.enc")));
    const std::string scrambled = readFile(dir.file("s.enc"));
    ASSERT_EQ(scrambled.size(), plain.size()) << "no header, no trailer";
    EXPECT_NE(scrambled, plain);
    FileContent back = e.decryptFile(dir.file("s.enc"));
    ASSERT_FALSE(back.empty());
    ASSERT_EQ(back.size(), plain.size());
    EXPECT_EQ(std::string(back.data(), back.size()), plain);
    EXPECT_EQ(back.data()[back.size()], '\0');
    ASSERT_TRUE(e.decrypt(dir.file("s.enc"), dir.file("back.bin")));
    EXPECT_EQ(readFile(dir.file("back.bin")), plain);
}

TEST(FileScrambling, ScramblingAFileOntoItselfKeepsEveryByte) {
    TempDir dir;
    const std::string plain = std::string(100000, 'x') + "끝";
    const std::string path = dir.write("same.txt", plain);
    Encryptor e;
    ASSERT_TRUE(e.encrypt(path, path));
    EXPECT_EQ(readFile(path).size(), plain.size());
    ASSERT_TRUE(e.decrypt(path, path));
    EXPECT_EQ(readFile(path), plain);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
}

TEST(FileScrambling, AnInputNamedLikeATemporaryFileIsNotClobbered) {
    TempDir dir;
    const std::string in = dir.write("out.txt.tmp", "원본 내용");
    ASSERT_TRUE(Encryptor().encrypt(in, dir.file("out.txt")));
    EXPECT_EQ(readFile(in), "원본 내용");
}

TEST(FileScrambling, MissingInputFailsWithALogAndLeavesTheOutputAlone) {
    TempDir dir;
    const std::string out = dir.write("keep.enc", "old");
    LogCapture log;
    EXPECT_FALSE(Encryptor().encrypt(dir.file("missing.txt"), out));
    EXPECT_TRUE(log.contains("Failed to open input file"));
    EXPECT_EQ(log.lines().back().priority, 6);
    EXPECT_EQ(readFile(out), "old");
}

TEST(FileScrambling, DirectoryInputFailsInsteadOfWritingAnEmptyFile) {
    TempDir dir;
    fs::create_directory(dir.file("sub"));
    LogCapture log;
    EXPECT_FALSE(Encryptor().encrypt(dir.file("sub"), dir.file("out.enc")));
    EXPECT_FALSE(fs::exists(dir.file("out.enc")));
}

TEST(FileScrambling, UnwritableOutputFailsWithALog) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "내용");
    LogCapture log;
    EXPECT_FALSE(Encryptor().encrypt(in, dir.file("no/such/dir/out.enc")));
    EXPECT_TRUE(log.contains("Failed to create output file"));
    EXPECT_EQ(log.lines().back().priority, 6);
}

TEST(FileScrambling, OutputKeepsTheModeOfTheFileItReplacesOrIsWorldReadable) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "내용");
    ASSERT_TRUE(Encryptor().encrypt(in, dir.file("new.enc")));
    EXPECT_EQ(fs::status(dir.file("new.enc")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    const std::string existing = dir.write("old.enc", "x");
    ::chmod(existing.c_str(), 0640);
    ASSERT_TRUE(Encryptor().encrypt(in, existing));
    EXPECT_EQ(fs::status(existing).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(FileScrambling, DecryptFileOfAMissingOrDirectoryPathIsEmpty) {
    TempDir dir;
    LogCapture log;
    FileContent missing = Encryptor().decryptFile(dir.file("nope.enc"));
    EXPECT_TRUE(missing.empty());
    EXPECT_EQ(missing.size(), 0u);
    EXPECT_EQ(missing.data(), nullptr);
    EXPECT_TRUE(log.contains("Failed to open input file"));
    EXPECT_TRUE(Encryptor().decryptFile(dir.path()).empty());
}

// --- the line reader --------------------------------------------------------

TEST(PlainResourceLines, KeepEmptyLinesAndTrimOnlyTheRightSide) {
    TempDir dir;
    const std::string p = dir.write("a.txt", "a\n\n  b \r\n\r\nlast");
    bool ok = false;
    EXPECT_EQ(loadLines(p, false, &ok), (std::vector<std::string>{"a", "", "  b", "", "last"}));
    EXPECT_TRUE(ok);
}

TEST(PlainResourceLines, NothingFollowsAFinalLineFeedAndAnEmptyFileHasNoLines) {
    TempDir dir;
    std::vector<std::string> lines{"before"};
    ASSERT_TRUE(StringUtil::load(dir.write("a.txt", "x\n"), lines, false));
    EXPECT_EQ(lines, (std::vector<std::string>{"before", "x"})) << "appended, not replaced";
    bool ok = false;
    EXPECT_TRUE(loadLines(dir.write("e.txt", ""), false, &ok).empty());
    EXPECT_TRUE(ok);
}

TEST(PlainResourceLines, ByteOrderMarkIsRemovedFromTheFirstLineOnly) {
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(loadLines(dir.write("b.txt", bom + "첫줄\n" + bom + "둘째"), false),
              (std::vector<std::string>{"첫줄", bom + "둘째"}));
}

TEST(ScrambledResourceLines, DropEmptyPiecesButKeepCarriageReturnOnlyLinesAsEmpty) {
    TempDir dir;
    const std::string p = writeScrambled(dir, "a.enc", "a\n\n\n  b \r\n\r\nlast\n");
    bool ok = false;
    EXPECT_EQ(loadLines(p, true, &ok), (std::vector<std::string>{"a", "  b", "", "last"}));
    EXPECT_TRUE(ok);
}

TEST(ScrambledResourceLines, SameTextGivesFewerLinesThanThePlainReader) {
    TempDir dir;
    EXPECT_EQ(loadLines(dir.write("a.txt", "a\n\nb"), false), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(loadLines(writeScrambled(dir, "a.enc", "a\n\nb"), true), (std::vector<std::string>{"a", "b"}));
}

TEST(ScrambledResourceLines, EndAtTheFirstZeroByte) {
    TempDir dir;
    EXPECT_EQ(loadLines(writeScrambled(dir, "z.enc", std::string("a\nb\0c\nd", 7)), true),
              (std::vector<std::string>{"a", "b"}));
}

TEST(ScrambledResourceLines, ByteOrderMarkIsRemovedFromTheFirstLineOnly) {
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(loadLines(writeScrambled(dir, "b.enc", "\n" + bom + "x \n" + bom + "y"), true),
              (std::vector<std::string>{"x", bom + "y"}));
}

TEST(ScrambledResourceLines, EmptyFileLoadsWithNoLines) {
    TempDir dir;
    bool ok = false;
    EXPECT_TRUE(loadLines(dir.write("e.enc", ""), true, &ok).empty());
    EXPECT_TRUE(ok);
}

TEST(ResourceLineFailures, MissingFileOrDirectoryFailsWithLoadFailedAndLeavesLinesAlone) {
    TempDir dir;
    for (bool scrambled : {false, true}) {
        for (const std::string& path : {dir.file("missing.enc"), dir.path()}) {
            LogCapture log;
            std::vector<std::string> lines{"kept"};
            EXPECT_FALSE(StringUtil::load(path, lines, scrambled)) << path;
            EXPECT_EQ(lines, std::vector<std::string>{"kept"});
            EXPECT_TRUE(log.contains("Load failed : " + path + "\n")) << path;
            EXPECT_EQ(log.lines().back().priority, 6);
        }
    }
}

// --- the pack tool ------------------------------------------------------------

class PackTool : public ::testing::Test {
protected:
    std::string tool = std::string(VARNEX_TOOLS_DIR) + "/varnex-pack";
    TempDir dir;
};

TEST_F(PackTool, PacksATreeIntoUnreadableEncFilesThatLoadBackToTheSourceLines) {
    const std::string greeting = "안녕하세요\tGREETING\n고마워\tTHANKS\n\n  잘 자\tNIGHT \n";
    dir.write("src/dict/greet.dictionary", greeting);
    dir.write("src/rules/a.rule", "ㅋ\tㅋ\tㅋㅋ\n");
    dir.write("src/model/honorific.model", "solver_type L2R_LR\n");
    dir.write("src/model/honorific.index", "feat\t0\n");
    dir.write("src/model/honorific.category", "HIGH\nNORMAL\n");
    dir.write("src/.hidden", "x");
    ASSERT_EQ(run(tool + " pack " + dir.file("src") + " " + dir.file("out")), 0);

    const std::string packed = dir.file("out/dict/greet.dictionary.enc");
    ASSERT_TRUE(fs::exists(packed));
    EXPECT_FALSE(fs::exists(dir.file("out/dict/greet.dictionary")));
    EXPECT_TRUE(fs::exists(dir.file("out/rules/a.rule.enc")));
    EXPECT_FALSE(fs::exists(dir.file("out/.hidden.enc")));

    const std::string bytes = readFile(packed);
    EXPECT_EQ(bytes.size(), greeting.size());
    EXPECT_EQ(bytes.find("안녕"), std::string::npos);
    EXPECT_EQ(bytes.find('\t'), std::string::npos) << "field separators do not show through";
    EXPECT_EQ(bytes.find("GREETING"), std::string::npos);

    std::vector<std::string> plainLines = loadLines(dir.file("src/dict/greet.dictionary"), false);
    plainLines.erase(std::remove(plainLines.begin(), plainLines.end(), std::string()), plainLines.end());
    EXPECT_EQ(loadLines(packed, isEncrypted(packed)), plainLines);

    // Classifier files stay plain and keep their names.
    EXPECT_EQ(readFile(dir.file("out/model/honorific.model")), "solver_type L2R_LR\n");
    EXPECT_EQ(readFile(dir.file("out/model/honorific.index")), "feat\t0\n");
    EXPECT_EQ(readFile(dir.file("out/model/honorific.category")), "HIGH\nNORMAL\n");
}

TEST_F(PackTool, UnpackGivesBackTheSourceBytes) {
    const std::string text = "값\t키\n" + allBytes(1, 254);
    dir.write("src/a/b.txt", text);
    ASSERT_EQ(run(tool + " pack " + dir.file("src") + " " + dir.file("enc")), 0);
    ASSERT_EQ(run(tool + " unpack " + dir.file("enc") + " " + dir.file("plain")), 0);
    EXPECT_EQ(readFile(dir.file("plain/a/b.txt")), text);
}

TEST_F(PackTool, SingleFileEncodeAndDecodeRoundTrip) {
    const std::string in = dir.write("x.txt", "한 줄\n");
    ASSERT_EQ(run(tool + " encode " + in + " " + dir.file("deep/x.txt.enc")), 0);
    EXPECT_NE(readFile(dir.file("deep/x.txt.enc")), "한 줄\n");
    ASSERT_EQ(run(tool + " decode " + dir.file("deep/x.txt.enc") + " " + dir.file("x2.txt")), 0);
    EXPECT_EQ(readFile(dir.file("x2.txt")), "한 줄\n");
}

TEST_F(PackTool, RejectsBadArgumentsAndUnreadableInputs) {
    EXPECT_NE(run(tool), 0);
    EXPECT_NE(run(tool + " shuffle a b"), 0);
    EXPECT_NE(run(tool + " encode only-one-argument"), 0);
    EXPECT_NE(run(tool + " encode " + dir.file("missing") + " " + dir.file("o.enc")), 0);
    EXPECT_FALSE(fs::exists(dir.file("o.enc")));
    EXPECT_NE(run(tool + " encode " + dir.path() + " " + dir.file("o.enc")), 0);
    EXPECT_NE(run(tool + " pack " + dir.file("missing") + " " + dir.file("out")), 0);
}

// The build packs resources/1.0 of the source tree into the build tree.
TEST(BuildResourceTree, EveryTextSourceHasAScrambledTwinWithTheSameBytes) {
    const fs::path src = fs::path(VARNEX_SOURCE_DIR) / "resources/1.0";
    const fs::path out = fs::path(VARNEX_BUILD_RESOURCE_DIR) / "1.0";
    if (!fs::is_directory(src)) GTEST_SKIP() << "no resource sources";
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const std::string rel = fs::relative(entry.path(), src).string();
        const std::string name = entry.path().filename().string();
        if (name[0] == '.' || name.back() == '~' || rel.find("/.") != std::string::npos) continue;
        const std::string source = readFile(entry.path().string());
        const bool classifier = endsWith(rel, ".model") || endsWith(rel, ".index") || endsWith(rel, ".category");
        if (classifier) {
            EXPECT_EQ(readFile((out / rel).string()), source) << rel;
            continue;
        }
        const std::string packed = (out / (rel + ".enc")).string();
        ASSERT_TRUE(fs::exists(packed)) << "not packed: " << rel;
        FileContent content = Encryptor().decryptFile(packed);
        ASSERT_FALSE(content.empty()) << rel;
        EXPECT_EQ(std::string(content.data(), content.size()), source) << rel;
        if (source.size() >= 8) {
            EXPECT_NE(readFile(packed), source) << rel;
        }
        if (source.find('\r') == std::string::npos) {
            std::vector<std::string> plainLines = loadLines(entry.path().string(), false);
            plainLines.erase(std::remove(plainLines.begin(), plainLines.end(), std::string()), plainLines.end());
            EXPECT_EQ(loadLines(packed, true), plainLines) << rel;
        }
        ++checked;
    }
    std::cout << "checked " << checked << " packed resource files\n";
}
