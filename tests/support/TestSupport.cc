#include "TestSupport.h"

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

}  // namespace VarnexTest
