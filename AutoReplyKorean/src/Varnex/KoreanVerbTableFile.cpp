// The verb table's single-file form: written once at build time from the
// four text files, read whole at start-up.
#include <cstdio>
#include <fstream>
#include <streambuf>
#include <string>

#include "KoreanVerbTable.h"
#include "Varnex/BinaryIO.h"
#include "Varnex/DictionaryFeature.h"
#include "Varnex/Log.h"
#include "Varnex/Utilities/Encryptor.h"

namespace Varnex {

namespace {

const char* const kTag = "AutoReplyKorean/src/Varnex/KoreanVerbTableFile";

// Serves a file's bytes held in memory to the stream readers, so that the
// many small reads and position queries of the loader cost no system calls.
class MemoryBuffer : public std::streambuf {
public:
    MemoryBuffer(char* data, size_t size) { setg(data, data, data + size); }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
        if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
        const off_type size = egptr() - eback();
        off_type target = offset;
        if (dir == std::ios_base::cur)
            target += gptr() - eback();
        else if (dir == std::ios_base::end)
            target += size;
        if (target < 0 || target > size) return pos_type(off_type(-1));
        setg(eback(), eback() + target, egptr());
        return pos_type(target);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
        return seekoff(off_type(position), std::ios_base::beg, which);
    }
};

// The whole of a regular file.
bool readWholeFile(const std::string& path, std::string& bytes) {
    if (!Utilities::isRegularFile(path)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) return false;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) > bytes.max_size()) return false;
    file.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0 && !file.read(&bytes[0], size)) return false;
    return true;
}

// True when `s` can travel through a binary string: the scrambling cannot
// carry the byte 0xFF and a decoded string ends at its first zero byte.
bool storable(const std::string& s) {
    return s.find('\0') == std::string::npos && s.find('\xFF') == std::string::npos;
}

}  // namespace

bool KoreanVerbTable::prebuildRules(const std::string& verbRulePath, const std::string& compoundRulePath,
                                    const std::string& negativeRulePath, const std::string& exceptionRulePath,
                                    const std::string& outputPath) {
    KoreanVerbTable table(verbRulePath, compoundRulePath, negativeRulePath, exceptionRulePath);
    if (table.rowCount == 0) {
        varnex_print_log(LOG_ERROR, kTag, "Prebuild failed, no verb rows in %s\n", verbRulePath.c_str());
        return false;
    }
    bool good = false;
    {
        std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
        if (!out.is_open()) {
            varnex_print_log(LOG_ERROR, kTag, "Prebuild failed, cannot create %s\n", outputPath.c_str());
            return false;
        }
        good = table.save(out);
        out.close();
        good = good && !out.fail();
    }
    if (!good) {
        varnex_print_log(LOG_ERROR, kTag, "Prebuild failed, cannot write %s\n", outputPath.c_str());
        std::remove(outputPath.c_str());
    }
    return good;
}

bool KoreanVerbTable::save(std::ofstream& out) const {
    // A dictionary whose entries the binary format cannot carry writes
    // nothing; that shows as a stream position that did not move.
    auto saveDictionary = [&out](const DictionaryFeature& dictionary) {
        const std::streampos before = out.tellp();
        dictionary.save(out);
        return out.good() && out.tellp() != before;
    };
    auto writeRows = [&out](const std::map<int, std::pair<std::string, std::string>>& rows) {
        if (BinaryIO::write(out, static_cast<int>(rows.size())) < 0) return false;
        for (const auto& kv : rows) {
            if (!storable(kv.second.first) || !storable(kv.second.second)) return false;
            if (BinaryIO::write(out, kv.first) < 0 || BinaryIO::write(out, kv.second) < 0) return false;
        }
        return true;
    };

    if (BinaryIO::write(out, rowCount) < 0) return false;
    if (!saveDictionary(*verbDictionary)) return false;
    if (BinaryIO::write(out, static_cast<int>(compoundDictionaries.size())) < 0) return false;
    for (const auto& kv : compoundDictionaries) {
        if (!storable(kv.first) || BinaryIO::write(out, kv.first) < 0) return false;
        if (!saveDictionary(*kv.second)) return false;
    }
    if (!writeRows(answerRows) || !writeRows(notSureRows)) return false;
    if (BinaryIO::write(out, static_cast<int>(exceptionRows.size())) < 0) return false;
    for (const auto& kv : exceptionRows) {
        if (!storable(kv.first)) return false;
        if (BinaryIO::write(out, kv.first) < 0 || BinaryIO::write(out, kv.second) < 0) return false;
    }
    return out.good();
}

KoreanVerbTable::KoreanVerbTable(const std::string& prebuiltPath)
    : verbDictionary(std::make_shared<DictionaryFeature>()) {
    std::string bytes;
    if (!readWholeFile(prebuiltPath, bytes)) {
        varnex_print_log(LOG_ERROR, kTag, "Load failed : %s\n", prebuiltPath.c_str());
        return;
    }
    // The dictionaries read from a file stream; this one reads the bytes
    // already in memory.
    MemoryBuffer buffer(&bytes[0], bytes.size());
    std::ifstream in;
    in.std::basic_ios<char>::rdbuf(&buffer);
    std::string reason;
    if (!readPrebuilt(in, reason)) {
        varnex_print_log(LOG_ERROR, kTag, "Load failed : %s : damaged verb table (%s)\n", prebuiltPath.c_str(),
                         reason.c_str());
    }
}

bool KoreanVerbTable::readPrebuilt(std::ifstream& in, std::string& reason) {
    auto fault = [&reason](const char* why) {
        reason = why;
        return false;
    };
    // A count or a row number: present, not negative.
    auto readCount = [&in](int& value) { return BinaryIO::read(in, value) >= 0 && value >= 0; };

    int rows = 0;
    if (!readCount(rows)) return fault("row count");

    auto dictionary = std::make_shared<DictionaryFeature>();
    dictionary->load(in);
    if (!in.good()) return fault("verb dictionary");

    // Every loop below reads at least one field per step and stops at the
    // first one that fails, so a large count in a short file ends quickly.
    std::map<std::string, std::shared_ptr<DictionaryFeature>> compounds;
    int count = 0;
    if (!readCount(count)) return fault("compound dictionary count");
    for (int i = 0; i < count; ++i) {
        std::string key;
        if (BinaryIO::read(in, key) < 0 || key.empty()) return fault("compound dictionary key");
        auto compound = std::make_shared<DictionaryFeature>();
        compound->load(in);
        if (!in.good()) return fault("compound dictionary");
        if (!compounds.emplace(key, compound).second) return fault("repeated compound dictionary key");
    }

    auto readRows = [&](std::map<int, std::pair<std::string, std::string>>& target, const char* what) {
        int n = 0;
        if (!readCount(n)) return fault(what);
        for (int i = 0; i < n; ++i) {
            int row = 0;
            std::pair<std::string, std::string> texts;
            if (!readCount(row) || row >= rows || BinaryIO::read(in, texts) < 0) return fault(what);
            if (!target.emplace(row, texts).second) return fault(what);
        }
        return true;
    };
    std::map<int, std::pair<std::string, std::string>> answers, notSure;
    if (!readRows(answers, "answer rows") || !readRows(notSure, "not-sure rows")) return false;

    std::map<std::string, int> exceptions;
    if (!readCount(count)) return fault("exception count");
    for (int i = 0; i < count; ++i) {
        std::string key;
        int row = 0;
        if (BinaryIO::read(in, key) < 0 || !readCount(row) || row >= rows) return fault("exception rows");
        if (!exceptions.emplace(key, row).second) return fault("repeated exception key");
    }
    // Nothing may follow the last section.
    if (in.peek() != std::ifstream::traits_type::eof()) return fault("data after the last section");

    rowCount = rows;
    verbDictionary = dictionary;
    compoundDictionaries.swap(compounds);
    answerRows.swap(answers);
    notSureRows.swap(notSure);
    exceptionRows.swap(exceptions);
    return true;
}

}  // namespace Varnex
