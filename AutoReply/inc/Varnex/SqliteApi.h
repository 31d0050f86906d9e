// The one place that includes the SQLite C API.
//
// By default the engine is linked against SQLCipher, whose SQLite honours
// `PRAGMA key` and encrypts the database files. A build configured with
// VARNEX_PLAIN_SQLITE links plain SQLite 3 instead; there the key statement is
// an unknown pragma that SQLite silently ignores and the files are written
// unencrypted.
#pragma once

#if defined(VARNEX_SQLCIPHER)
#if __has_include(<sqlcipher/sqlite3.h>)
#include <sqlcipher/sqlite3.h>
#else
#include <sqlite3.h>  // SQLCipher's include directory comes first on the path
#endif
#else
#include <sqlite3.h>
#endif

namespace Varnex {

// True when the linked SQLite encrypts keyed databases.
#if defined(VARNEX_SQLCIPHER)
constexpr bool kSqliteEncrypts = true;
#else
constexpr bool kSqliteEncrypts = false;
#endif

}  // namespace Varnex
