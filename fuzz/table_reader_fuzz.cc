// The one reader of tab-separated resource tables, on any text, stored plain
// and scrambled, and on the input's raw bytes read as a scrambled file.
//
// Input: one byte choosing the table format, then the file's text.
//
// A refused file appends nothing; an accepted one appends only rows that fit
// the format, from lines in file order, holding well-formed UTF-8 without
// line feeds. Read plain and read scrambled, the same text gives the same
// verdict and the same fields.
#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "Varnex/Utilities/TableReader.h"

namespace {

using Varnex::Utilities::TableFormat;
using Varnex::Utilities::TableRow;

TableFormat formatOf(uint8_t b) {
    TableFormat f;
    f.minFields = 1 + (b & 3);
    const size_t extra = (b >> 2) & 3;
    f.maxFields = extra == 0 ? 0 : f.minFields + extra - 1;
    f.lastFieldTakesRest = (b & 16) != 0;
    if (b & 32) f.nonEmpty = {0, f.minFields - 1};
    f.headerLines = (b & 64) ? 1 : 0;
    return f;
}

// Reads `path` after a sentinel row and checks what was appended.
bool readChecked(const std::string& path, const TableFormat& format, std::vector<TableRow>& rows) {
    rows.assign(1, TableRow());
    rows[0].line = -7;
    const bool ok = Varnex::Utilities::readTable(path, format, rows);
    if (rows.empty() || rows[0].line != -7) std::abort();
    if (!ok) {
        if (rows.size() != 1) std::abort();  // a refused file appends nothing
        rows.clear();
        return false;
    }
    if (rows.size() < 2) std::abort();  // an accepted table holds a row
    int previous = static_cast<int>(format.headerLines);
    for (size_t r = 1; r < rows.size(); ++r) {
        const TableRow& row = rows[r];
        if (row.line <= previous) std::abort();
        previous = row.line;
        const size_t n = row.fields.size();
        if (n < format.minFields || (format.maxFields > 0 && n > format.maxFields)) std::abort();
        for (size_t i : format.nonEmpty)
            if (i < n && row.fields[i].empty()) std::abort();
        for (size_t i = 0; i < n; ++i) {
            const std::string& f = row.fields[i];
            if (f.find('\n') != std::string::npos || f.find('\0') != std::string::npos) std::abort();
            const bool mayHoldTabs = format.lastFieldTakesRest && format.maxFields > 0 && i + 1 == n;
            if (!mayHoldTabs && f.find('\t') != std::string::npos) std::abort();
            if (!g_utf8_validate(f.data(), static_cast<gssize>(f.size()), nullptr)) std::abort();
        }
    }
    rows.erase(rows.begin());
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    VarnexFuzz::quiet();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const TableFormat format = formatOf(data[0]);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<TableRow> plain, scrambled, raw;
    const bool plainOk = readChecked(VarnexFuzz::writeScratch("t.table", text), format, plain);
    const bool scrambledOk =
        readChecked(VarnexFuzz::writeScratch("t.table.enc", VarnexFuzz::scrambled(text)), format, scrambled);
    // The bytes themselves taken for a scrambled file: mostly garbage to refuse.
    readChecked(VarnexFuzz::writeScratch("raw.table.enc", text), format, raw);

    // Line numbers differ (the scrambled reader drops empty lines, and with
    // them what a header line is), the fields do not.
    if (format.headerLines == 0 && VarnexFuzz::readingsComparable(text)) {
        if (plainOk != scrambledOk || plain.size() != scrambled.size()) std::abort();
        for (size_t i = 0; i < plain.size(); ++i)
            if (plain[i].fields != scrambled[i].fields) std::abort();
    }
    return 0;
}
