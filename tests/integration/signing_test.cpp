// The Windows launchers, packed, signed with osslsigncode and a throw-away certificate:
// the signature verifies and covers the archive, and the configuration and the archive
// read as before signing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "archive/embedded_archive.h"
#include "executable_writer.h"
#include "java_probe.h"
#include "launcher/config_load.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

int shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

// The entry's whole content from a store opened over `path`, or "<unreadable>".
std::string entryOf(const std::string& path, const char* name) {
    struct Sink : EntrySink {
        bool begin(uint32_t size, unsigned char*& bytes) override {
            data.resize(size);
            bytes = reinterpret_cast<unsigned char*>(data.data());
            return true;
        }
        void end(bool) override {}
        std::string data;
    } sink;
    EmbeddedArchive store(2);
    store.open(path.c_str());
    return store.readEntry(sink, NarrowString(name)) ? sink.data : "<unreadable>";
}

TEST(SigningTest, SignedWindowsLaunchersKeepTheirArchive) {
    if (shell("command -v osslsigncode && command -v openssl") != 0)
        GTEST_SKIP() << "osslsigncode or openssl is not installed";
    ScratchDirectory dir;
    const std::string key = dir.path() + "key.pem";
    const std::string certificate = dir.path() + "cert.pem";
    ASSERT_EQ(shell("openssl req -x509 -newkey rsa:3072 -nodes -days 2 -subj /CN=oru-test"
                    " -keyout '" +
                    key + "' -out '" + certificate + "'"),
              0);
    int signedCount = 0;
    for (const char* target : {"win32", "win64"}) {
        const std::string launcher =
            ORU_BUILD_ROOT "/" + std::string(target) + "/src/oru-launcher.exe";
        if (!fs::exists(launcher)) continue;
        const std::string packed = dir.path() + target + ".exe";
        const std::string signedExe = dir.path() + target + "-signed.exe";
        tools::ZipWriter archive;
        archive.add("data/entry.txt", "archived bytes", tools::ZipMethod::kStored);
        const std::vector<std::string> lines = {"mainclass x.Y", "jvmdll C:\\nowhere\\jvm.dll"};
        std::string error;
        ASSERT_TRUE(tools::writeExecutable(launcher, archive, lines, packed, error)) << error;
        EXPECT_EQ(fs::file_size(packed) % 8, 0u) << "room for the table without padding";
        ASSERT_EQ(shell("osslsigncode sign -certs '" + certificate + "' -key '" + key + "' -in '" +
                        packed + "' -out '" + signedExe + "'"),
                  0)
            << target;
        const std::string verify = "osslsigncode verify -CAfile '" + certificate + "' -in '";
        EXPECT_EQ(shell(verify + signedExe + "'"), 0) << target;
        EXPECT_GT(fs::file_size(signedExe), fs::file_size(packed)) << target;

        EXPECT_EQ(std::string(readArchiveComment(signedExe.c_str()).c_str()),
                  tools::configurationComment(lines))
            << target;
        EXPECT_EQ(entryOf(signedExe, "data/entry.txt"), "archived bytes") << target;

        // One byte of the archive changed: the signature no longer holds.
        std::string bytes = readFile(signedExe);
        const size_t at = bytes.find("archived bytes");
        ASSERT_NE(at, std::string::npos);
        bytes[at] = 'A';
        const std::string tampered = dir.path() + target + "-tampered.exe";
        std::ofstream(tampered, std::ios::binary) << bytes;
        EXPECT_NE(shell(verify + tampered + "'"), 0) << target;
        ++signedCount;
    }
    if (signedCount == 0) GTEST_SKIP() << "no Windows launcher built under " ORU_BUILD_ROOT;
}

}  // namespace
}  // namespace oru::testing
