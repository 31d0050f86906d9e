// The key of the learning stores of one data directory.
//
// Every store of a data directory is keyed with one 256-bit key: the host's
// own, handed over through the host API (for example from the platform's
// keystore), or else one made on first use from the operating system's
// random source and kept beside the stores in the key file "varnex.key"
// (64 hexadecimal digits and a newline, mode 0600). Stores written by earlier
// versions under the built-in passphrase are still read, and rekeyed to the
// directory's key the first time they are opened for writing.
//
//   StoreKeys keys;
//   std::string error;
//   if (!storeKeysFor(dataDir, nullptr, keys, error)) { /* report; keep the stores closed */ }
//   KeyedDatabase db(dataDir + "honorific_ko_KR.db", keys);
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace Varnex {

class StoreKey {
public:
    static constexpr size_t kBytes = 32;

    // The passphrase every store was keyed with before keys were made per
    // data directory. It is in the source, so it is no secret.
    static StoreKey builtIn();
    // False, leaving `key` alone, unless `size` is kBytes.
    static bool fromBytes(const unsigned char* bytes, size_t size, StoreKey& key);
    // 64 hexadecimal digits; whitespace around them is ignored.
    static bool fromHex(const std::string& text, StoreKey& key);
    // A new key from the operating system's random source.
    static bool generate(StoreKey& key, std::string& error);

    bool isBuiltIn() const { return !passphrase.empty(); }
    // The 64 lowercase hexadecimal digits of a 256-bit key.
    std::string hex() const;
    // The value for a `PRAGMA key` or `PRAGMA rekey` statement: the quoted
    // passphrase, or the raw key in SQLCipher's x'...' form (used as the
    // key itself, without a key derivation).
    std::string pragmaValue() const;

    bool operator==(const StoreKey& other) const {
        return passphrase == other.passphrase && bytes == other.bytes;
    }
    bool operator!=(const StoreKey& other) const { return !(*this == other); }

private:
    std::string passphrase;
    std::array<unsigned char, kBytes> bytes{};
};

// The key the stores are written with, and the keys a store written earlier
// may be under, tried in order after `key`.
struct StoreKeys {
    StoreKey key = StoreKey::builtIn();
    std::vector<StoreKey> former;
};

// The name of the key file inside a data directory.
extern const char* const kStoreKeyFileName;  // "varnex.key"

// The keys for the stores of `dataDir` (a prefix to which file names are
// appended, as the host API takes it). With `hostKey`, that key, and no key
// file is written; a key file already there and the built-in passphrase
// become former keys, so stores move to the host's key. Without it, the key
// file's key, the file being created (race-free, mode 0600) when missing;
// a directory that cannot be written keeps the built-in passphrase, since
// nothing can be stored there anyway. False, with `error` set, when the key
// file cannot be read or is damaged: the stores must then stay closed, for
// a new key would lock out what they hold.
bool storeKeysFor(const std::string& dataDir, const StoreKey* hostKey, StoreKeys& keys, std::string& error);

}  // namespace Varnex
