#include "TestSupport.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace VarnexTest {

LogCapture::LogCapture(Varnex::LogType threshold) : previousLevel(Varnex::getLogLevel()) {
    previous = Varnex::setLogSink([this](int priority, const char* tag, const char* text) {
        captured.push_back({priority, tag, text});
        return 1;
    });
    Varnex::setLogLevel(threshold);
}

LogCapture::~LogCapture() {
    Varnex::setLogSink(previous);
    Varnex::setLogLevel(previousLevel);
}

bool LogCapture::contains(const std::string& part) const {
    for (const auto& l : captured)
        if (l.text.find(part) != std::string::npos) return true;
    return false;
}

bool LogCapture::hasError(const std::string& part) const {
    for (const auto& l : captured)
        if (l.priority == 6 && l.text.find(part) != std::string::npos) return true;
    return false;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnex-test-XXXXXX").string();
    if (::mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir, ec);
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
    std::string p = file(name);
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream out(p, std::ios::binary);
    out << content;
    return p;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> listDir(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> split(const std::string& s, char separator) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string part; std::getline(in, part, separator);) out.push_back(part);
    return out;
}

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

bool underFileSizeLimit(long bytes, const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body() ? 0 : 1);
    }
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool withPermissionsEnforced(const std::string& dir, const std::function<void()>& body, bool& skipped) {
    skipped = false;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0) {
            const uid_t nobody = 65534;
            std::error_code ignored;
            ::chown(dir.c_str(), nobody, nobody);
            for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ignored))
                ::lchown(entry.path().c_str(), nobody, nobody);
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(77);
        }
        body();
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = -1;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return false;
    skipped = WEXITSTATUS(status) == 77;
    return WEXITSTATUS(status) == 0;
}

}  // namespace VarnexTest
