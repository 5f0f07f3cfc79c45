// Running the real launcher in integration tests: packing it and capturing what it prints.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "zip_writer.h"

namespace oru::testing {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// (name, value) pairs; a value of std::nullopt removes the variable.
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

struct RunOptions {
    RunOptions(std::vector<std::string> args = {}, Environment env = {}, std::string cwd = {})
        : arguments(std::move(args)),
          environment(std::move(env)),
          workingDirectory(std::move(cwd)) {}
    std::vector<std::string> arguments;
    Environment environment;
    std::string workingDirectory;  // empty: the test's own
};

// Runs `program` through the shell with the arguments quoted, and waits for it.
RunResult runProgram(const std::string& program, const RunOptions& options);

// The whole content of the file at `path` ("" when it cannot be read).
std::string readFile(const std::string& path);

// The launcher built with the tests.
std::string launcherPath();

// The options that the build gives every virtual machine the tests start
// (ORU_TEST_VM_OPTIONS), and `configuration` after an "option" line for each of them
// (an empty configuration stays empty).
// The words that start a built `program`: the build's emulator, if any, then the program.
std::vector<std::string> emulated(const std::string& program);

std::vector<std::string> testVmOptions();
std::vector<std::string> withTestVmOptions(const std::vector<std::string>& configuration);

// Writes launcher + archive (with `configuration`, given withTestVmOptions, as its comment)
// to `outputPath`.
void packLauncher(const std::string& outputPath, const tools::ZipWriter& archive,
                  const std::vector<std::string>& configuration);

}  // namespace oru::testing
