// The platform layer: existence tests with wildcards, listings, mapped files and
// environment names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/cache_files.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "test_support.h"

namespace oru {
namespace {

using testing::ScratchDirectory;

TEST(PlatformTest, PathExistsWithWildcards) {
    ScratchDirectory dir;
    dir.write("lib/server/jvm.bin", "x");
    dir.write("my [x]/a.jar", "x");
    struct Case {
        std::string path;
        bool exists;
    } cases[] = {
        {"lib", true},
        {"lib/server/jvm.bin", true},
        {"lib/serv?r", true},
        {"lib/server/*.bin", true},
        {"lib/client/jvm.bin", false},
        {"nothing*", false},
        {"my [x]/a.jar", true},  // brackets are ordinary characters
        {"my [x]/?.jar", true},
        {"my x/a.jar", false},
    };
    for (Case& c : cases) {
        std::replace(c.path.begin(), c.path.end(), '/', testing::separator());
        EXPECT_EQ(platform::pathExists((dir.path() + c.path).c_str()), c.exists) << c.path;
    }
    EXPECT_FALSE(platform::pathExists(""));
}

TEST(PlatformTest, ListingNamesFilesAndDirectories) {
    ScratchDirectory dir;
    dir.write("a.jar", "x");
    dir.makeDirectory("sub");
    platform::DirectoryListing listing;
    ASSERT_TRUE(listing.open(dir.path().c_str()));
    std::vector<std::string> files, directories;
    for (platform::DirectoryEntry entry; listing.next(entry);)
        (entry.isDirectory ? directories : files).push_back(entry.name.c_str());
    std::sort(directories.begin(), directories.end());
    EXPECT_EQ(files, std::vector<std::string>{"a.jar"});
    EXPECT_EQ(directories, (std::vector<std::string>{".", "..", "sub"}));
    EXPECT_FALSE(listing.open((dir.path() + "missing" + testing::separator()).c_str()));
}

TEST(PlatformTest, ReadingPastTwoGiB) {
    // Sparse, with its last bytes past 2 GiB, where a 32-bit file offset would end.
    ScratchDirectory dir;
    std::string path = dir.write("big.bin", "");
    const uint32_t at = (uint32_t{1} << 31) + 8;
    std::filesystem::resize_file(path, at);
    std::ofstream(path, std::ios::binary | std::ios::app) << "tail";
    platform::ReadOnlyFile file;
    ASSERT_TRUE(file.open(path.c_str()));
    uint32_t size = 0;
    EXPECT_TRUE(file.size(size));
    EXPECT_EQ(size, at + 4);
    char tail[5] = {};
    EXPECT_TRUE(file.seek(at));
    EXPECT_EQ(file.read(tail, 4), 4);
    EXPECT_STREQ(tail, "tail");
}

TEST(PlatformTest, MappingAFileBeyondTheAddressSpaceFails) {
    // Sparse, 16 bytes past 4 GiB: a 32-bit process cannot map it, a 64-bit one maps it all.
    ScratchDirectory dir;
    std::string path = dir.write("big.bin", "");
    const uint64_t size = (uint64_t{1} << 32) + 16;
    std::filesystem::resize_file(path, size);
    platform::MappedFile file;
    bool mapped = file.open(path.c_str());
    EXPECT_EQ(mapped, sizeof(void*) == 8);
    EXPECT_EQ(file.size(), mapped ? size : 0);
    if (mapped) {
        EXPECT_EQ(file.data()[size - 1], 0);
    }
}

// A pending file is made once, stamped, put in place over an older one, or removed.
TEST(PlatformTest, ACacheFileIsMadeOnceAndPutInPlace) {
    ScratchDirectory dir;
    const std::string folder = dir.path() + "f";
    EXPECT_TRUE(platform::makeFolder(folder.c_str()));
    EXPECT_TRUE(platform::makeFolder(folder.c_str()));
    EXPECT_FALSE(platform::makeFolder((folder + "/a/b").c_str()));
    const std::string pending = folder + "/p", final = dir.write("f/final", "old");
    EXPECT_TRUE(platform::createNewFile(pending.c_str()));
    EXPECT_FALSE(platform::createNewFile(pending.c_str()));
    platform::FileStamp stamp;
    EXPECT_TRUE(platform::fileStamp(pending.c_str(), stamp));
    EXPECT_EQ(stamp.size, 0u);
    EXPECT_FALSE(platform::fileStamp(folder.c_str(), stamp));
    std::ofstream(pending, std::ios::binary) << "new!";
    EXPECT_TRUE(platform::replaceFile(pending.c_str(), final.c_str()));
    EXPECT_TRUE(platform::fileStamp(final.c_str(), stamp));
    EXPECT_EQ(stamp.size, 4u);
    EXPECT_FALSE(platform::fileStamp(pending.c_str(), stamp));
    EXPECT_TRUE(platform::removeFile(final.c_str()));
    EXPECT_FALSE(platform::removeFile(final.c_str()));
}

TEST(PlatformTest, EnvironmentNamesIgnoreCase) {
    testing::EnvironmentGuard guard("ORU_TEST_Mixed", "v");
    NarrowString value;
    EXPECT_TRUE(platform::environmentValue("ORU_TEST_MIXED", value));
    EXPECT_STREQ(value.c_str(), "v");
    EXPECT_FALSE(platform::environmentValue("", value));
    EXPECT_FALSE(platform::environmentValue("ORU_TEST_NEVER_SET", value));
}

TEST(PlatformTest, ExecutableAndCurrentDirectory) {
    NarrowString exe, cwd;
    EXPECT_TRUE(platform::executablePath(exe));
    EXPECT_NE(std::string(exe.c_str()).find("oru_unit_tests"), std::string::npos);
    EXPECT_TRUE(platform::currentDirectory(cwd));
    EXPECT_FALSE(cwd.empty());
}

}  // namespace
}  // namespace oru
