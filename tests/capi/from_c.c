/* Compiled as C99 -pedantic: the interface must be usable from plain C. */
#include "varnex.h"

size_t suggestFromC(const char* resource_dir, const char* data_dir, const char* message);

size_t suggestFromC(const char* resource_dir, const char* data_dir, const char* message) {
    size_t n = 0;
    varnex_engine* v = varnex_open(resource_dir, data_dir, NULL);
    varnex_suggest(v, message, NULL, &n, NULL);
    varnex_close(v);
    return n;
}
