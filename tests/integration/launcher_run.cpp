// Running the real launcher in integration tests, through the shell.
#include "launcher_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "executable_writer.h"

namespace oru::testing {

namespace {

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string launcherPath() { return ORU_LAUNCHER_PATH; }

RunResult runProgram(const std::string& program, const RunOptions& options) {
    namespace fs = std::filesystem;
    static int counter = 0;
    fs::path capture =
        fs::temp_directory_path() /
        ("oru-run-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
         std::to_string(counter++));
    std::string command;
    if (!options.workingDirectory.empty())
        command += "cd " + shellQuote(options.workingDirectory) + " && ";
    command += "env";
    // env wants its removals before its assignments.
    for (const auto& [name, value] : options.environment)
        if (!value) command += " -u " + shellQuote(name);
    for (const auto& [name, value] : options.environment)
        if (value) command += " " + shellQuote(name + "=" + *value);
    // A cross build's programs start through its emulator (nothing in a native build);
    // the system's own programs run as they are.
    const bool systemProgram = program.rfind("/usr/bin/", 0) == 0 || program.rfind("/bin/", 0) == 0;
    if (*ORU_TEST_EMULATOR && !systemProgram) command += std::string(" ") + ORU_TEST_EMULATOR;
    command += " " + shellQuote(program);
    for (const std::string& argument : options.arguments) command += " " + shellQuote(argument);
    command += " >" + shellQuote(capture.string() + ".out") + " 2>" +
               shellQuote(capture.string() + ".err");
    int status = std::system(command.c_str());
    RunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(capture.string() + ".out");
    result.err = readFile(capture.string() + ".err");
    fs::remove(capture.string() + ".out");
    fs::remove(capture.string() + ".err");
    return result;
}

std::vector<std::string> emulated(const std::string& program) {
    std::vector<std::string> words;
    std::istringstream emulator(ORU_TEST_EMULATOR);
    for (std::string word; emulator >> word;) words.push_back(word);
    words.push_back(program);
    return words;
}

std::vector<std::string> testVmOptions() {
    std::vector<std::string> options;
    std::istringstream words(ORU_TEST_VM_OPTIONS);
    for (std::string option; words >> option;) options.push_back(option);
    return options;
}

std::vector<std::string> withTestVmOptions(const std::vector<std::string>& configuration) {
    std::vector<std::string> lines;
    if (!configuration.empty())
        for (const std::string& option : testVmOptions()) lines.push_back("option " + option);
    lines.insert(lines.end(), configuration.begin(), configuration.end());
    return lines;
}

void packLauncher(const std::string& outputPath, const tools::ZipWriter& archive,
                  const std::vector<std::string>& configuration) {
    std::string error;
    ASSERT_TRUE(tools::writeExecutable(launcherPath(), archive, withTestVmOptions(configuration),
                                       outputPath, error))
        << error;
}

}  // namespace oru::testing
