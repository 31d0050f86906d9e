// Scrambled resource files: recognising them, the byte scrambling, whole-file
// scrambling, the line and table readers for plain and scrambled files and
// their refusal of garbage, and the pack
// tool that turns the resource tree into the tree the engine reads.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "Varnex/Utilities/Encryptor.h"
#include "Varnex/Utilities/StringUtil.h"
#include "Varnex/Utilities/TableReader.h"

namespace fs = std::filesystem;
using Varnex::isEncrypted;
using Varnex::Utilities::Encryptor;
using Varnex::Utilities::FileContent;
using Varnex::Utilities::StringUtil;
using VarnexTest::LogCapture;
using VarnexTest::listDir;
using VarnexTest::readFile;
using VarnexTest::run;
using VarnexTest::TempDir;
using Lines = std::vector<std::string>;

namespace {

std::string allBytes(int from, int to) {
    std::string s;
    for (int b = from; b <= to; ++b) s.push_back(static_cast<char>(b));
    return s;
}

// The source's lines as the scrambled reader gives them: without empty ones.
Lines nonEmptyLines(const std::string& path) {
    Lines lines;
    EXPECT_TRUE(StringUtil::load(path, lines, false)) << path;
    lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
    return lines;
}

const std::string kPackTool = std::string(VARNEX_TOOLS_DIR) + "/varnex-pack";

}  // namespace

// --- byte scrambling --------------------------------------------------------

TEST(Scrambling, EncSuffixAfterANameMarksAScrambledPath) {
    for (const char* path : {"a.enc", "dir/x.rule.enc"}) EXPECT_TRUE(isEncrypted(path)) << path;
    for (const char* path : {".enc", "a.ENC", "a.enc.bak", ""}) EXPECT_FALSE(isEncrypted(path)) << path;
}

TEST(Scrambling, ArithmeticOfTheThreeModesModulo255) {
    // Pass phrase: the phrase byte at each position is added; 1 + 254 = 255 = 0 and 254 + 2 = 256 = 1 (mod 255).
    std::unique_ptr<char[]> out(Encryptor(std::string("\x02\xFE", 2)).encrypt("\x01\x01\xFE", 3));
    EXPECT_EQ(std::string(out.get(), 3), std::string("\x03\x00\x01", 3));
    const std::string phrase =
        "Seven quiet herons walk along the muddy banks at dawn, while small boats drift far downstream.";
    ASSERT_EQ(phrase.size(), 94u);
    EXPECT_EQ(Encryptor().encrypt("한글 텍스트\t값\n"), Encryptor(phrase).encrypt("한글 텍스트\t값\n")) << "built-in phrase";
    // Single key: the low byte, with 255 counting as no shift.
    const std::string plain = allBytes(1, 254);
    EXPECT_EQ(Encryptor(255).encrypt(plain), plain);
    EXPECT_EQ(Encryptor(0x103).encrypt(plain), Encryptor(3).encrypt(plain));
    const std::string shifted = allBytes(1, 247);  // 248 + 7 would wrap to a zero byte
    EXPECT_EQ(Encryptor(7).decrypt(Encryptor(7).encrypt(shifted)), shifted);
    EXPECT_EQ(static_cast<unsigned char>(Encryptor(7).encrypt(std::string("\x01"))[0]), 8);
    // The string forms end at the first zero byte produced: 254 + 1 = 0.
    EXPECT_EQ(Encryptor(std::string("\x01", 1)).encrypt(std::string("a\xFE" "b")), "b");
    // Every phrase byte against every data byte, both ways, is safeAdd.
    const std::string data = allBytes(0, 255);
    for (int k = 0; k < 256; ++k) {
        const Encryptor e{std::string(1, static_cast<char>(k))};
        std::unique_ptr<char[]> up(e.encrypt(data.data(), data.size())), down(e.decrypt(data.data(), data.size()));
        for (size_t i = 0; i < data.size(); ++i) {
            ASSERT_EQ(up[i], Encryptor::safeAdd(data[i], k)) << k << " " << i;
            ASSERT_EQ(down[i], Encryptor::safeAdd(data[i], -k)) << k << " " << i;
        }
    }
}

// --- whole files -------------------------------------------------------------

TEST(FileScrambling, EveryByteValueRoundTripsExcept255WhichBecomesZeroOntoOtherFilesOrItself) {
    TempDir dir;
    const std::string plain = allBytes(0, 255) + allBytes(0, 254);
    std::string back255 = plain;
    back255[255] = '\0';  // 255 cannot be scrambled: it comes back as 0
    const std::string in = dir.write("plain.bin", plain);
    Encryptor e;
    ASSERT_TRUE(e.encrypt(in, dir.file("s.enc")));
    const std::string scrambled = readFile(dir.file("s.enc"));
    ASSERT_EQ(scrambled.size(), plain.size()) << "no header, no trailer";
    EXPECT_NE(scrambled, plain);
    EXPECT_EQ(scrambled.find('\xFF'), std::string::npos) << "scrambled bytes are 0..254";
    const auto permissions = [](const std::string& path) { return fs::status(path).permissions() & fs::perms::all; };
    const fs::perms rw_r_ = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    EXPECT_EQ(permissions(dir.file("s.enc")), rw_r_ | fs::perms::others_read) << "a new file is world-readable";
    FileContent back = e.decryptFile(dir.file("s.enc"));
    ASSERT_FALSE(back.empty());
    ASSERT_EQ(back.size(), plain.size());
    EXPECT_EQ(std::string(back.data(), back.size()), back255);
    EXPECT_EQ(back.data()[back.size()], '\0') << "the array carries a terminating zero";
    ::chmod(dir.write("back.bin", "old").c_str(), 0640);
    ASSERT_TRUE(e.decrypt(dir.file("s.enc"), dir.file("back.bin")));
    EXPECT_EQ(readFile(dir.file("back.bin")), back255);
    EXPECT_EQ(permissions(dir.file("back.bin")), rw_r_) << "a replaced file keeps its mode";

    // Onto itself, through a temporary file that does not stay behind.
    const std::string self = dir.write("same.txt", std::string(100000, 'x') + "끝");
    ASSERT_TRUE(e.encrypt(self, self));
    EXPECT_EQ(readFile(self).size(), 100003u);
    ASSERT_TRUE(e.decrypt(self, self));
    EXPECT_EQ(readFile(self), std::string(100000, 'x') + "끝");
    EXPECT_EQ(listDir(dir.path()), (Lines{"back.bin", "plain.bin", "s.enc", "same.txt"})) << "no temporary left";
    const std::string tmpNamed = dir.write("out.txt.tmp", "원본 내용");
    ASSERT_TRUE(e.encrypt(tmpNamed, dir.file("out.txt")));
    EXPECT_EQ(readFile(tmpNamed), "원본 내용");
}

TEST(FileScrambling, FailedReadsOpensAndWritesAreLoggedAndNeverLeaveAnOutput) {
    TempDir dir;
    fs::create_directory(dir.file("sub"));
    const std::string in = dir.write("in.txt", "내용"), kept = dir.write("keep.enc", "old");
    // input, output, error logged, what the output holds afterwards ("": it does not exist)
    for (const auto& [input, output, error, content] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {dir.file("missing.txt"), kept, dir.file("missing.txt") + ": no such file", "old"},
             {dir.file("sub"), dir.file("out.enc"), dir.file("sub") + ": is a directory, not a file", ""},
             {in, dir.file("no/such/dir/out.enc"), "Failed to create output file", ""}}) {
        LogCapture log;
        EXPECT_FALSE(Encryptor().encrypt(input, output)) << input;
        EXPECT_TRUE(log.contains(error)) << input;
        EXPECT_EQ(log.lines().back().priority, 6) << input;
        EXPECT_EQ(fs::exists(output) ? readFile(output) : "", content) << input;
    }
    FileContent missing = Encryptor().decryptFile(dir.file("nope.enc"));
    EXPECT_TRUE(missing.empty() && missing.size() == 0u && missing.data() == nullptr);
    EXPECT_TRUE(Encryptor().decryptFile(dir.path()).empty());
    const std::string big = dir.write("big.txt", std::string(4096, 'x'));
    EXPECT_TRUE(VarnexTest::underFileSizeLimit(1024, [&] {
        LogCapture log;
        return !Encryptor().encrypt(big, kept) && log.contains("Failed to write output file");
    })) << "the failed write was not reported";
    EXPECT_EQ(readFile(kept), "old");
    EXPECT_EQ(listDir(dir.path()), (Lines{"big.txt", "in.txt", "keep.enc", "sub"})) << "no temporary left";
}

// --- the line reader --------------------------------------------------------

TEST(ResourceLines, PlainAndScrambledFilesFollowTheirLineRules) {
    TempDir dir;
    const std::string bom = "\xEF\xBB\xBF";
    // content, scrambled, lines read
    const std::vector<std::tuple<std::string, bool, Lines>> cases = {
        // plain: empty lines kept, only the right side trimmed, nothing after a final line feed
        {"a\n\n  b \r\n\r\nlast", false, {"a", "", "  b", "", "last"}},
        {"x\n", false, {"x"}},
        {bom + "첫줄\n" + bom + "둘째", false, {"첫줄", bom + "둘째"}},
        {"a\n\nb", false, {"a", "", "b"}},
        // scrambled: empty pieces dropped, carriage-return-only lines kept as empty, text ends at a zero byte
        {"a\n\n\n  b \r\n\r\nlast\n", true, {"a", "  b", "", "last"}},
        {"a\n\nb", true, {"a", "b"}},
        {"\n" + bom + "x \n" + bom + "y", true, {"x", bom + "y"}}};
    for (const auto& [content, scrambled, expected] : cases) {
        std::unique_ptr<char[]> bytes(Encryptor().encrypt(content.data(), content.size()));
        const std::string path = scrambled ? dir.write("r.enc", std::string(bytes.get(), content.size()))
                                           : dir.write("r.txt", content);
        Lines lines{"before"}, appended{"before"};  // lines are appended
        appended.insert(appended.end(), expected.begin(), expected.end());
        EXPECT_TRUE(StringUtil::load(path, lines, scrambled)) << content;
        EXPECT_EQ(lines, appended) << (scrambled ? "scrambled: " : "plain: ") << content;
    }
}

// Files that are not text, stored plain or scrambled and read either way:
// each is refused whole, with one error line naming the file and the fault,
// and nothing is appended.
TEST(ResourceLines, GarbageIsRefusedWithAnErrorSayingWhatIsWrong) {
    const std::string text = "안녕하세요\tGREETING\n고마워\tTHANKS\n잘 자\tNIGHT\n";
    std::string binary;  // 100 bytes, 37 of them control bytes
    for (int i = 0; i < 100; ++i) binary += static_cast<char>(i < 37 ? 1 + i % 8 : 'a' + i % 26);
    std::string oneZero = text + text + text;
    oneZero[text.size() + 2] = '\0';
    // content, stored scrambled, read scrambled, what the error says
    for (const auto& [content, storedScrambled, readScrambled, why] :
         std::vector<std::tuple<std::string, bool, bool, std::string>>{
             {"", false, false, "no line of text: the file is empty"},
             {"", true, true, "no line of text: the file is empty"},
             {" \n\t\r\n\n", false, false, "no line of text, only white space"},
             {"\xEF\xBB\xBF\n \n", true, true, "no line of text, only white space"},
             {binary, false, false, "not text: 37% control bytes"},
             {binary, true, true, "not text: 37% control bytes"},
             {oneZero, false, false, "not text: a zero byte at line 4, byte 3"},
             {oneZero, true, true, "not text: a zero byte at line 4, byte 3"},
             {"a\tb\nc\xff\td\n", false, false, "invalid UTF-8 at line 2, byte 2"},
             {"a\tb\nc\xC3(\td\n", true, true, "invalid UTF-8 at line 2, byte 2"},
             // cut inside its last character, as a truncated copy is
             {text + "안녕\t하세" + std::string("요").substr(0, 2), false, false, "invalid UTF-8 at line 4, byte 14"},
             {"\xC0\xAF\tslash\n", false, false, "invalid UTF-8 at line 1, byte 1"},       // overlong
             {"x\t\xED\xA0\x80\n", true, true, "invalid UTF-8 at line 1, byte 3"},        // surrogate
             {text, false, true, " (a plain text file read as scrambled)"},
             {text, true, false, " (a scrambled file read as plain text)"}}) {
        TempDir dir;
        std::unique_ptr<char[]> bytes(Encryptor().encrypt(content.data(), content.size()));
        const std::string path =
            dir.write(readScrambled ? "r.enc" : "r.txt", storedScrambled ? std::string(bytes.get(), content.size()) : content);
        LogCapture log;
        Lines lines{"kept"};
        EXPECT_FALSE(StringUtil::load(path, lines, readScrambled)) << why;
        EXPECT_EQ(lines, Lines{"kept"}) << why;
        ASSERT_EQ(log.lines().size(), 2u) << why;  // the debug line and the error
        EXPECT_EQ(log.lines().back().priority, 6) << why;
        EXPECT_TRUE(log.contains("Resource file " + path + " is refused: ")) << why;
        EXPECT_TRUE(log.contains(why + "\n") || log.contains(why + " (")) << log.lines().back().text;
    }
}

// The same refusal through the table reader, and a text file that holds no
// row of the table (every line refused, or column names only).
TEST(ResourceTables, GarbageAndFilesWithoutAValidRowAreRefused) {
    using Varnex::Utilities::readTable;
    using Varnex::Utilities::TableFormat;
    using Varnex::Utilities::TableRow;
    TableFormat twoFields;
    twoFields.minFields = twoFields.maxFields = 2;
    TableFormat headed = twoFields;
    headed.headerLines = 1;
    // content, format, rows read (-1: refused), what the error says
    for (const auto& [content, format, count, why] : std::vector<std::tuple<std::string, TableFormat, int, std::string>>{
             {"a\tb\n\nc\td\n", twoFields, 2, ""},
             {"a\tb\nc d\n", twoFields, 1, ""},
             {"a b\nc d\ne f\n", twoFields, -1, "no valid line, all 3 refused"},  // tabs turned into spaces
             {"key\tvalue\n", headed, -1, "no valid line, only column names"},
             {"a\t\xC3(\n", twoFields, -1, "invalid UTF-8 at line 1, byte 3"},
             {"", twoFields, -1, "no line of text: the file is empty"}}) {
        for (bool scrambled : {false, true}) {
            TempDir dir;
            std::unique_ptr<char[]> bytes(Encryptor().encrypt(content.data(), content.size()));
            const std::string path = scrambled ? dir.write("t.table.enc", std::string(bytes.get(), content.size()))
                                               : dir.write("t.table", content);
            LogCapture log;
            std::vector<TableRow> rows(1);
            EXPECT_EQ(readTable(path, format, rows), count >= 0) << content;
            EXPECT_EQ(static_cast<int>(rows.size()) - 1, std::max(count, 0)) << content;
            if (count < 0) {
                EXPECT_TRUE(log.hasError("Resource file " + path + " is refused: " + why + "\n")) << content;
            } else {
                for (const auto& line : log.lines()) EXPECT_LT(line.priority, 6) << line.text;
            }
        }
    }
}

TEST(ResourceLines, MissingFileOrDirectoryFailsInPlainWordsAndLeavesLinesAlone) {
    TempDir dir;
    for (bool scrambled : {false, true}) {
        for (const auto& [path, why] : std::vector<std::pair<std::string, std::string>>{
                 {dir.file("missing.enc"), "no such file"}, {dir.path(), "is a directory, not a file"}}) {
            LogCapture log;
            Lines lines{"kept"};
            EXPECT_FALSE(StringUtil::load(path, lines, scrambled)) << path;
            EXPECT_EQ(lines, Lines{"kept"});
            // Only a warning: whether a missing file matters is the reader's call.
            EXPECT_TRUE(log.contains("Resource file " + path + ": " + why + "\n")) << path;
            EXPECT_EQ(log.lines().back().priority, 5);
        }
    }
}

// --- the pack tool ------------------------------------------------------------

// The resource tree, with a few files of our own, packed by the tool: every
// text file becomes an unreadable ".enc" file the line reader reads back to
// the source lines, classifier and hidden files are not scrambled, unpacking
// gives the sources back, and the build's tree holds the same bytes.
TEST(PackTool, PacksTheResourceTreeAsTheBuildDidAndUnpacksItBack) {
    const fs::path resources = fs::path(VARNEX_SOURCE_DIR) / "resources/1.0";
    if (!fs::is_directory(resources)) GTEST_SKIP() << "no resource sources";
    const fs::path built = fs::path(VARNEX_BUILD_RESOURCE_DIR) / "1.0";
    TempDir dir;
    const fs::path src = dir.file("src"), out = dir.file("out");
    fs::copy(resources, src, fs::copy_options::recursive);
    const std::string greeting = "안녕하세요\tGREETING\n고마워\tTHANKS\n\n  잘 자\tNIGHT \n";
    dir.write("src/zz_test/greet.dictionary", greeting);
    dir.write("src/zz_test/a/b.txt", "값\t키\n" + allBytes(1, 254));
    dir.write("src/zz_test/x.model", "solver_type L2R_LR\n");
    dir.write("src/.hidden", "x");
    ASSERT_EQ(run(kPackTool + " pack " + src.string() + " " + out.string()), 0);
    ASSERT_EQ(run(kPackTool + " unpack " + out.string() + " " + dir.file("plain")), 0);
    EXPECT_FALSE(fs::exists(out / ".hidden.enc"));
    EXPECT_FALSE(fs::exists(out / ".hidden"));
    const std::string packedGreeting = readFile((out / "zz_test/greet.dictionary.enc").string());
    for (const char* visible : {"안녕", "\t", "GREETING"})
        EXPECT_EQ(packedGreeting.find(visible), std::string::npos) << visible;
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const std::string rel = fs::relative(entry.path(), src).string();
        if (!entry.is_regular_file() || rel[0] == '.') continue;
        const std::string source = readFile(entry.path().string());
        EXPECT_EQ(readFile(dir.file("plain/" + rel)), source) << rel;
        const fs::path ext = entry.path().extension();
        const bool classifier = ext == ".model" || ext == ".index" || ext == ".category";
        const std::string name = classifier ? rel : rel + ".enc";  // classifier files stay plain
        const std::string packed = readFile((out / name).string());
        EXPECT_TRUE(fs::exists(out / name)) << "not packed: " << rel;
        EXPECT_EQ(fs::exists(out / rel), classifier) << rel;
        if (fs::exists(resources / rel)) {
            EXPECT_TRUE(fs::exists(built / name) && readFile((built / name).string()) == packed)
                << "the build's tree differs: " << rel;
        }
        if (classifier) {
            EXPECT_EQ(packed, source) << rel;
            continue;
        }
        EXPECT_EQ(packed.size(), source.size()) << rel;
        if (source.size() >= 8) {
            EXPECT_NE(packed, source) << rel;
        }
        if (source.find('\r') == std::string::npos) {
            Lines lines;
            EXPECT_TRUE(StringUtil::load((out / name).string(), lines, isEncrypted(name))) << rel;
            EXPECT_EQ(lines, nonEmptyLines(entry.path().string())) << rel;
        }
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

TEST(PackTool, SingleFilesRoundTripAndBadArgumentsOrInputsFail) {
    TempDir dir;
    const std::string in = dir.write("x.txt", "한 줄\n");
    ASSERT_EQ(run(kPackTool + " encode " + in + " " + dir.file("deep/x.txt.enc")), 0);
    EXPECT_NE(readFile(dir.file("deep/x.txt.enc")), "한 줄\n");
    ASSERT_EQ(run(kPackTool + " decode " + dir.file("deep/x.txt.enc") + " " + dir.file("x2.txt")), 0);
    EXPECT_EQ(readFile(dir.file("x2.txt")), "한 줄\n");
    for (const std::string& args : {std::string(), std::string(" shuffle a b"), std::string(" encode one-argument"),
                                    " encode " + dir.file("missing") + " " + dir.file("o.enc"),
                                    " encode " + dir.path() + " " + dir.file("o.enc"),
                                    " pack " + dir.file("missing") + " " + dir.file("out")})
        EXPECT_NE(run(kPackTool + args), 0) << args;
    EXPECT_FALSE(fs::exists(dir.file("o.enc")));
}
