// Helpers shared by the unit tests, written with the standard library only.
#include "test_support.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/environment.h"
#include "platform/path_style.h"

namespace fs = std::filesystem;

namespace oru::testing {

char separator() { return platform::pathStyle().directorySeparator; }

ScratchDirectory::ScratchDirectory() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path dir = fs::temp_directory_path() /
                   ("oru-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
    path_ = dir.string();
    if (path_.back() != separator()) path_ += separator();
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ScratchDirectory::write(const std::string& relative, const std::string& bytes) const {
    fs::path file = fs::path(path_) / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
}

std::string ScratchDirectory::makeDirectory(const std::string& relative) const {
    fs::path dir = fs::path(path_) / relative;
    fs::create_directories(dir);
    return dir.string();
}

EnvironmentGuard::EnvironmentGuard(const char* name, const char* value) : name_(name) {
    NarrowString old;
    wasSet_ = platform::environmentValue(name, old);
    saved_ = old.c_str();
    if (value) {
        platform::setEnvironmentValue(name, value);
    } else {
        platform::clearEnvironmentValue(name);
    }
}

EnvironmentGuard::~EnvironmentGuard() {
    if (wasSet_) {
        platform::setEnvironmentValue(name_.c_str(), saved_.c_str());
    } else {
        platform::clearEnvironmentValue(name_.c_str());
    }
}

}  // namespace oru::testing
