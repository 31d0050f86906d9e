/* Varnex C interface: Korean reply suggestions for hosts in any language.
 *
 *   #include <varnex.h>
 *
 *   varnex_error err;
 *   varnex_engine* v = varnex_open(varnex_default_resource_dir(), "/home/me/.local/share/varnex", &err);
 *   if (v == NULL) { fprintf(stderr, "varnex: %s\n", err.message); return 1; }
 *   size_t n = 0;
 *   const char* const* replies = varnex_suggest(v, "생일 축하해!", "Mina", &n, &err);
 *   for (size_t i = 0; i < n; ++i) puts(replies[i]);
 *   if (n > 0 && !varnex_notify(v, "Mina", "생일 축하해!", replies[0], &err))  // the user sent it
 *       fprintf(stderr, "varnex: %s\n", err.message);
 *   varnex_close(v);
 *
 * Errors are values. Every call that can fail takes a `varnex_error*` (NULL
 * when the caller does not care) and fills it: `code` is one of the
 * varnex_code values below and `message` says what went wrong in one line.
 * No exception, abort or signal leaves the library, whatever the input.
 *
 * Ownership: varnex_open returns a handle the host releases with
 * varnex_close. The replies returned by varnex_suggest belong to the handle:
 * they stay valid until the next varnex_suggest or varnex_free_suggestions on
 * the same handle, or its varnex_close. Every string in and out is UTF-8.
 *
 * Threads: one lock inside the library serialises every call, so a handle
 * may be used from any thread, and several handles may live in one process;
 * calls do not run in parallel. A thread that shares a handle must copy the
 * replies it got before another thread calls varnex_suggest on that handle.
 *
 * Logging: the engine's diagnostic log goes to stderr, errors only; C++
 * hosts can redirect it (Varnex/Log.h). Errors that matter to a call are
 * returned in its varnex_error as well.
 *
 * The C++ interface (SmartReplyAPIWrapper.h) is the same engine; a host uses
 * one or the other.
 */
#ifndef VARNEX_H
#define VARNEX_H

#include <stddef.h>

#include "Varnex/Export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. The numbers are part of the interface and never change;
 * new codes are only ever added at the end. */
typedef enum varnex_code {
    VARNEX_OK = 0,
    /* An argument is NULL or empty where text is needed, or the text is not
     * valid UTF-8. */
    VARNEX_ERR_ARGUMENT = 1,
    /* The handle was closed, or never came from varnex_open. */
    VARNEX_ERR_CLOSED = 2,
    /* The resource directory does not hold a "1.0" tree, or the engine could
     * not load it. */
    VARNEX_ERR_RESOURCES = 3,
    /* The data directory is missing or not writable, or a learning database
     * in it cannot be opened. */
    VARNEX_ERR_DATA = 4,
    /* varnex_notify: the engine reported an error while storing the reply;
     * what it learnt from this reply may be lost. */
    VARNEX_ERR_NOT_RECORDED = 5,
    /* The key of the learning databases: a key of the wrong size, one that
     * does not open them, or a damaged key file in the data directory. */
    VARNEX_ERR_KEY = 6,
    /* Out of memory, or a failure inside the engine that it did not explain. */
    VARNEX_ERR_INTERNAL = 7
} varnex_code;

/* Filled by every call that takes one. `message` is "" after success and is
 * always NUL-terminated; a long message is cut at a character boundary. */
typedef struct varnex_error {
    varnex_code code;
    char message[512];
} varnex_error;

/* An open engine. Opaque: only pointers to it are handed around. */
typedef struct varnex_engine varnex_engine;

/* The resource directory installed with this library: the directory holding
 * "1.0" that sits beside the library wherever the package was installed
 * (<prefix>/share/varnex/resources, or the build tree's resources). NULL when
 * there is none. The string is owned by the library and never changes. */
VARNEX_EXPORT const char* varnex_default_resource_dir(void);

/* Loads the resource tree under `resource_dir` (the directory holding "1.0")
 * and opens the learning databases in `data_dir`, an existing directory.
 * Returns a new handle, or NULL with `error` filled: the resource tree and
 * the databases must both be usable. A directory (or database) that cannot
 * be written is usable: suggestions follow what was learnt there, and
 * varnex_notify reports VARNEX_ERR_NOT_RECORDED.
 *
 * The databases are encrypted with a random 256-bit key made on first use
 * and kept in "varnex.key" in `data_dir`, readable by its owner only. */
VARNEX_EXPORT varnex_engine* varnex_open(const char* resource_dir, const char* data_dir, varnex_error* error);

/* varnex_open with the host's own key for the learning databases (for
 * example one kept in the platform's keystore): `key_size` must be 32. No key
 * file is written; databases under the key file's key or the key of earlier
 * versions are rekeyed to `key` when first opened. Fails with
 * VARNEX_ERR_KEY for a key of another size or one that does not open the
 * databases there. */
VARNEX_EXPORT varnex_engine* varnex_open_with_key(const char* resource_dir, const char* data_dir,
                                                  const unsigned char* key, size_t key_size, varnex_error* error);

/* Suggests up to ten replies to `message` from `sender`; `sender` may be NULL
 * when the host does not know it (then nothing learnt applies). Returns a
 * NULL-terminated array of `*count` replies (`count` may be NULL), empty when
 * nothing fits the message; returns NULL only on error. The array and its
 * strings belong to the handle (see Ownership above). */
VARNEX_EXPORT const char* const* varnex_suggest(varnex_engine* engine, const char* message, const char* sender,
                                                  size_t* count, varnex_error* error);

/* Releases the replies of the last varnex_suggest early; they are released
 * anyway by the next varnex_suggest and by varnex_close. NULL or a closed
 * handle is ignored. */
VARNEX_EXPORT void varnex_free_suggestions(varnex_engine* engine);

/* Tells the engine that the user answered `message` from `sender` with
 * `reply`, so later suggestions for that sender follow the speech level the
 * user chose. Returns 1 when the reply was recorded, 0 with `error` filled
 * otherwise. `reply` may point into the array of the last varnex_suggest. */
VARNEX_EXPORT int varnex_notify(varnex_engine* engine, const char* sender, const char* message, const char* reply,
                                  varnex_error* error);

/* Closes the engine and releases its replies. Returns VARNEX_OK, or
 * VARNEX_ERR_CLOSED for a handle that is already closed or never came from
 * varnex_open. NULL is ignored and returns VARNEX_OK. A closed handle keeps a
 * few bytes so that the library recognises it for the rest of the process:
 * any later call on it fails with VARNEX_ERR_CLOSED instead of touching
 * freed memory, and no new handle ever has its address. */
VARNEX_EXPORT varnex_code varnex_close(varnex_engine* engine);

#ifdef __cplusplus
}
#endif

#endif /* VARNEX_H */
