#include <stdio.h>
#include <varnex.h>

int main(int argc, char** argv) {  /* suggest DATA_DIR [RESOURCE_DIR] */
    const char* resources = argc > 2 ? argv[2] : varnex_default_resource_dir();
    varnex_error err;
    varnex_engine* v = varnex_open(resources, argc > 1 ? argv[1] : ".", &err);
    if (v == NULL) { fprintf(stderr, "varnex: %s\n", err.message); return 1; }
    size_t n = 0;
    const char* const* replies = varnex_suggest(v, "생일 축하해!", "Mina", &n, &err);
    for (size_t i = 0; i < n; ++i) printf("%s\n", replies[i]);
    if (replies == NULL) fprintf(stderr, "varnex: %s\n", err.message);
    varnex_close(v);
    return n > 0 ? 0 : 1;
}
