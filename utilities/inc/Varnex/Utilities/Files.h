// Small questions about files, asked before reading them.
#pragma once

#include <string>

namespace Varnex {
namespace Utilities {

// True when `path` names an existing regular file.
bool isRegularFile(const std::string& path);
// True when `path` names a regular file this process may read.
bool isReadableFile(const std::string& path);

// Why `path` cannot be read, in words for a user: "no such file", "is a
// directory, not a file", "cannot be read", ...
const char* describeUnreadable(const std::string& path);

}  // namespace Utilities
}  // namespace Varnex
