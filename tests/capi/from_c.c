/* Compiled as C99: the C interface must be usable from plain C. */
#include "from_c.h"

#include <string.h>

#include "varnex.h"

size_t suggestFromC(const char* resource_dir, const char* data_dir, const char* message, char* first, size_t size) {
    varnex_error err;
    size_t n = 0;
    varnex_engine* v = varnex_open(resource_dir, data_dir, &err);
    if (v == NULL) return 0;
    const char* const* replies = varnex_suggest(v, message, NULL, &n, &err);
    if (replies != NULL && n > 0 && size > 0) {
        strncpy(first, replies[0], size - 1);
        first[size - 1] = '\0';
    }
    varnex_close(v);
    return n;
}
