// varnex-conjugate VERBLIST OUTDIR
//
// Writes the four verb table resources (yes_no_type.dictionary,
// yes_no_compound.rule, yes_no_negative.rule,
// yes_no_type_exception.dictionary) into OUTDIR from the verb list and the
// hand-written sources beside it. The output depends only on the inputs.
#include <cstdio>
#include <string>

#include "conjugate.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s VERBLIST OUTDIR\n", argc > 0 ? argv[0] : "varnex-conjugate");
        return 2;
    }
    Varnex::Conjugate::ResourceSet out;
    std::string error;
    if (!Varnex::Conjugate::writeResources(argv[1], argv[2], out, error)) {
        std::fprintf(stderr, "varnex-conjugate: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& note : out.notes) {
        std::fprintf(stderr, "note: %s\n", note.c_str());
    }
    std::fprintf(stderr, "%d rows, %d forms\n", out.rowCount, out.formCount);
    return 0;
}
