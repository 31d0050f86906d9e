#include "Varnex/Utilities/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Varnex {
namespace Utilities {

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isReadableFile(const std::string& path) { return isRegularFile(path) && ::access(path.c_str(), R_OK) == 0; }

const char* describeUnreadable(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? "no such file" : "cannot be opened";
    if (S_ISDIR(st.st_mode)) return "is a directory, not a file";
    if (!S_ISREG(st.st_mode)) return "is not a regular file";
    return "cannot be read";
}

}  // namespace Utilities
}  // namespace Varnex
