#include "Varnex/Utilities/Files.h"

#include <sys/stat.h>

#include <cerrno>

namespace Varnex {
namespace Utilities {

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const char* describeUnreadable(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? "no such file" : "cannot be opened";
    if (S_ISDIR(st.st_mode)) return "is a directory, not a file";
    if (!S_ISREG(st.st_mode)) return "is not a regular file";
    return "cannot be read";
}

}  // namespace Utilities
}  // namespace Varnex
