// Helpers shared by the unit tests: scratch directories, environment guards, file writing.
#pragma once

#include <string>

namespace oru::testing {

// A fresh directory under the system's temporary directory, removed with its contents
// when the object goes.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    // The directory with a trailing separator.
    const std::string& path() const { return path_; }
    // Writes `bytes` to `relative` (creating parent directories) and returns its full path.
    std::string write(const std::string& relative, const std::string& bytes) const;
    std::string makeDirectory(const std::string& relative) const;

private:
    std::string path_;
};

// Sets (or with a null value unsets) an environment variable and restores it afterwards.
class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const char* value);
    ~EnvironmentGuard();

private:
    std::string name_;
    std::string saved_;
    bool wasSet_;
};

// The directory separator of the platform the tests run on.
char separator();

}  // namespace oru::testing
