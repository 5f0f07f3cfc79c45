// EmbeddedArchive: search order, the "!" restriction, nesting depth, damage, threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "archive_test_support.h"
#include "support/little_endian.h"
#include "test_support.h"
#include "zip64_archive.h"
#include "zip_writer.h"

namespace oru {
namespace {

using testing::openStore;
using testing::readText;
using tools::ZipLayout;
using tools::ZipMethod;
using tools::ZipWriter;

std::string jarWith(const std::vector<std::pair<std::string, std::string>>& entries) {
    ZipWriter writer;
    for (const auto& entry : entries) writer.add(entry.first, entry.second);
    return writer.finish();
}

// An executable image: a launcher prefix, then the archive with t.jar and libs.
std::string packedExecutable() {
    ZipWriter outer;
    outer.add("META-INF/", "", ZipMethod::kStored);
    outer.add("com/vostrand/oru/Loader.class", "top loader");
    outer.add("shared.txt", "top shared");
    outer.add("libs/aa.jar", jarWith({{"com/x/Y.class", "from aa"},
                                      {"only/aa.txt", "aa"},
                                      {"shared.txt", "aa shared"}}));
    outer.add("libs/b.jar", jarWith({{"com/x/Y.class", "from b"}, {"shared.txt", "b shared"}}));
    outer.add("t.jar", jarWith({{"com/x/Y.class", "from t"},
                                {"shared.txt", "t shared"},
                                {"app/Main.class", "main"}}));
    outer.add(".jar", jarWith({{"dot.txt", "hidden"}}), ZipMethod::kStored);
    outer.add("x.JAR", jarWith({{"upper.txt", "upper jar"}}));
    outer.add("y.Zip", jarWith({{"zip.txt", "mixed zip"}}));
    outer.add("empty.jar", "", ZipMethod::kStored);
    outer.add("notazip.jar", "plain text, no archive");
    return testing::noise(4096, 11) + outer.finish("mainclass=app.Main\n");
}

TEST(ArchiveStoreTest, SearchOrderAndNames) {
    auto store = openStore(packedExecutable());
    struct Case {
        const char* query;
        const char* content;
    } cases[] = {
        {"com/vostrand/oru/Loader.class", "top loader"},
        {"com\\vostrand\\oru\\Loader.class", "top loader"},
        {"Com/vostrand/oru/Loader.class", "<null>"},
        {"shared.txt", "top shared"},            // top level beats nested
        {"com/x/Y.class", "from t"},             // t.jar beats libs/...
        {"libs/b.jar!com/x/Y.class", "from b"},  // b.jar sorts before aa.jar
        {"libs\\aa.jar!com\\x\\Y.class", "from aa"},
        {"t.jar!com/x/Y.class", "from t"},
        {"T.jar!com/x/Y.class", "<null>"},
        {"t.jar!shared.txt", "t shared"},
        {"!com/x/Y.class", "<null>"},
        {"t.jar!", "<null>"},
        {"only/aa.txt", "aa"},
        {"dot.txt", "<null>"},  // ".jar" is not an archive name
        {"upper.txt", "upper jar"},
        {"zip.txt", "mixed zip"},
        {"META-INF/", ""},  // a directory reads as empty
        {"missing.class", "<null>"},
        {"", "<null>"},
    };
    for (const Case& c : cases) EXPECT_EQ(readText(*store, c.query), c.content) << c.query;

    NarrowString found("unchanged");
    EXPECT_EQ(store->locate(NarrowString("com/x/Y.class"), found, NarrowString(), nullptr, nullptr),
              1);
    EXPECT_EQ(found, "t.jar!com/x/Y.class");
    found = "unchanged";
    EXPECT_EQ(store->locate(NarrowString("nothing"), found, NarrowString(), nullptr, nullptr), 0);
    EXPECT_EQ(found, "unchanged");
    // The composed name a lookup reports is accepted back.
    EXPECT_EQ(store->locate(NarrowString("libs/b.jar!com/x/Y.class"), found, NarrowString(),
                            nullptr, nullptr),
              1);
    EXPECT_EQ(found, "libs\\b.jar!com/x/Y.class");
    EXPECT_EQ(readText(*store, found.c_str()), "from b");
}

// The reader stores "\" (0x5C) where a query says "/" (0x2F); digits, capitals and
// ":;<=>?@[" lie between the two, so they must sort against both spellings alike.
TEST(ArchiveStoreTest, SlashSpellingKeepsTheSearchOrdered) {
    for (char c : std::string("09AZ:;<=>?@[$_a")) {
        const std::string names[] = {"pkg/Ab.class", std::string("pkg") + c + "Ab.class",
                                     std::string("pkg") + c + "$1.class", "pkg/A$1.class"};
        ZipWriter writer;
        for (const std::string& name : names) writer.add(name, name, ZipMethod::kStored);
        auto store = openStore(writer.finish());
        for (std::string name : names) {
            EXPECT_EQ(readText(*store, name.c_str()), name) << c;
            std::replace(name.begin(), name.end(), '/', '\\');
            EXPECT_NE(readText(*store, name.c_str()), "<null>") << c << " " << name;
        }
    }
    // Two generations of one library side by side: "lang/" against "lang3".
    const char* classes[] = {"StringUtils",
                             "ArrayUtils",
                             "ObjectUtils",
                             "Validate",
                             "CharSet",
                             "CharRange",
                             "BooleanUtils",
                             "text/StrBuilder",
                             "text/StrTokenizer",
                             "builder/ToStringBuilder",
                             "builder/EqualsBuilder",
                             "math/NumberUtils",
                             "time/DateUtils",
                             "exception/ExceptionUtils"};
    std::vector<std::string> names;
    for (const char* package : {"lang", "lang3"})
        for (const char* cls : classes)
            for (const char* inner : {"", "$1", "$2", "$Inner"})
                names.push_back(std::string("org/apache/commons/") + package + "/" + cls + inner +
                                ".class");
    ZipWriter library;
    for (const std::string& name : names) library.add(name, name);
    auto store = openStore(library.finish());
    for (const std::string& name : names) EXPECT_EQ(readText(*store, name.c_str()), name);
}

int collect(void* context, const NarrowString& found) {
    static_cast<std::vector<std::string>*>(context)->push_back(found.c_str());
    return 1;
}

TEST(ArchiveStoreTest, VisitorSeesEveryMatchInOrder) {
    auto store = openStore(packedExecutable());
    std::vector<std::string> seen;
    NarrowString found;
    EXPECT_EQ(store->locate(NarrowString("shared.txt"), found, NarrowString(), &collect, &seen), 0);
    const std::vector<std::string> expected = {"shared.txt", "t.jar!shared.txt",
                                               "libs\\b.jar!shared.txt", "libs\\aa.jar!shared.txt"};
    EXPECT_EQ(seen, expected);
}

TEST(ArchiveStoreTest, NestingStopsTwoLevelsDown) {
    std::string level3 = jarWith({{"deepest.txt", "too deep"}});
    std::string level2 = jarWith({{"deeper.txt", "two down"}, {"in/level3.jar", level3}});
    std::string level1 = jarWith({{"inner.txt", "one down"}, {"level2.jar", level2}});
    ZipWriter outer;
    outer.add("level1.jar", level1);
    auto store = openStore(outer.finish());
    EXPECT_EQ(readText(*store, "inner.txt"), "one down");
    EXPECT_EQ(readText(*store, "deeper.txt"), "two down");
    EXPECT_EQ(readText(*store, "level1.jar!level2.jar!deeper.txt"), "two down");
    EXPECT_EQ(readText(*store, "deepest.txt"), "<null>");
    EXPECT_EQ(readText(*store, "level1.jar!level2.jar!in/level3.jar!deepest.txt"), "<null>");
    // The deepest jar is still an entry in its own right.
    EXPECT_EQ(readText(*store, "in/level3.jar"), level3);
}

TEST(ArchiveStoreTest, NothingToReadGivesNull) {
    testing::ScratchDirectory scratch;
    const std::string sources[] = {"", "not an archive at all", testing::noise(100000, 2),
                                   ZipWriter().finish()};
    for (const std::string& bytes : sources) {
        auto inMemory = openStore(bytes);
        EXPECT_EQ(readText(*inMemory, "a.txt"), "<null>");
        EmbeddedArchive onDisk(2);
        onDisk.open(scratch.write("image.exe", bytes).c_str());
        NarrowString found;
        EXPECT_EQ(onDisk.locate(NarrowString("a.txt"), found, NarrowString(), nullptr, nullptr), 0);
        EXPECT_EQ(readText(onDisk, "a.txt"), "<null>");
    }
    EmbeddedArchive absent(2);
    absent.open((scratch.path() + "absent.exe").c_str());
    EXPECT_EQ(absent.entryCount(), 0);
    EmbeddedArchive unopened(2);
    EXPECT_EQ(readText(unopened, "a.txt"), "<null>");
}

TEST(ArchiveStoreTest, OpensTheExecutableFile) {
    testing::ScratchDirectory scratch;
    EmbeddedArchive store(2);
    store.open(scratch.write("app.exe", packedExecutable()).c_str());
    EXPECT_EQ(readText(store, "com/x/Y.class"), "from t");
    EXPECT_EQ(readText(store, "shared.txt"), "top shared");
    EXPECT_EQ(store.nestedCount(), 7);  // .jar excluded, empty.jar counted but childless
}

TEST(ArchiveStoreTest, DamagedEntriesAreMissingAndContained) {
    ZipLayout at;
    ZipWriter inner;
    inner.add("good1.txt", "first neighbour", ZipMethod::kStored);
    inner.add("bad.txt", "this one gets damaged", ZipMethod::kStored);
    inner.add("good2.txt", "second neighbour");
    inner.add("twin.txt", "nested twin");
    std::string jar = inner.finish(std::string(), &at);
    jar[at.dataOffsets[1]] ^= 1;  // checksum failure on close
    ZipWriter outer;
    outer.add("twin.txt", "damaged top copy", ZipMethod::kStored);
    outer.add("lib.jar", jar, ZipMethod::kStored);
    outer.add("x/bad.txt", "encrypted");
    outer.add("later.jar", jarWith({{"bad.txt", "intact later copy"}}));
    std::string bytes = outer.finish(std::string(), &at);
    bytes[at.dataOffsets[0]] ^= 1;
    set16(bytes, at.localOffsets[2] + 6, 1);  // local encryption bit
    auto store = openStore(bytes);
    struct Case {
        const char* query;
        const char* content;
    } cases[] = {
        {"lib.jar!bad.txt", "<null>"},
        {"good1.txt", "first neighbour"},
        {"good2.txt", "second neighbour"},
        {"x/bad.txt", "<null>"},
        // The first match decides, as it does for locate: no fallback to a later copy.
        {"twin.txt", "<null>"},
        {"bad.txt", "<null>"},
        {"lib.jar!twin.txt", "nested twin"},
        {"later.jar!bad.txt", "intact later copy"},
        // The reader was left usable after each failure.
        {"lib.jar!good1.txt", "first neighbour"},
    };
    for (const Case& c : cases) EXPECT_EQ(readText(*store, c.query), c.content) << c.query;
    NarrowString found;
    EXPECT_EQ(store->locate(NarrowString("bad.txt"), found, NarrowString(), nullptr, nullptr), 1);
    EXPECT_EQ(found, "lib.jar!bad.txt");

    testing::BufferSink refusing;
    refusing.refuse = true;
    EXPECT_FALSE(store->readEntry(refusing, NarrowString("good1.txt")));
    EXPECT_EQ(refusing.begun, 1) << "a refused result ends the search";
    EXPECT_EQ(refusing.ended, 0);
}

TEST(ArchiveStoreTest, NestedArchiveThatCannotBeExtractedHasNoChild) {
    ZipLayout at;
    ZipWriter outer;
    outer.add("broken.jar", jarWith({{"in.txt", "inside"}}), ZipMethod::kStored);
    outer.add("fine.jar", jarWith({{"in.txt", "fine"}}));
    std::string bytes = outer.finish(std::string(), &at);
    bytes[at.dataOffsets[0] + 40] ^= 0x55;
    auto store = openStore(bytes);
    EXPECT_EQ(readText(*store, "in.txt"), "fine");
    EXPECT_EQ(readText(*store, "broken.jar!in.txt"), "<null>");
}

TEST(ArchiveStoreTest, NestedArchivesStayWithinTheCaps) {
    // A record claiming more than one nested archive may hold, backed by enough
    // compressed data that deflate could in principle produce it: no child, and nothing
    // is allocated for the claim.
    ZipLayout at;
    ZipWriter outer;
    outer.add("huge.jar", testing::noise(300000, 5));
    outer.add("fine.jar", jarWith({{"in.txt", "fine"}}));
    std::string bytes = outer.finish(std::string(), &at);
    const uint32_t claim = EmbeddedArchive::kMaxNestedBytes + 1;
    ASSERT_GT(uint64_t(at.dataOffsets[1] - at.dataOffsets[0]) * 1032, claim);
    set32(bytes, at.localOffsets[0] + 22, claim);
    set32(bytes, at.centralOffsets[0] + 24, claim);
    auto store = openStore(bytes);
    EXPECT_EQ(store->nestedCount(), 2);
    EXPECT_EQ(readText(*store, "fine.jar!in.txt"), "fine");
    NarrowString found;
    EXPECT_EQ(
        store->locate(NarrowString("huge.jar!in.txt"), found, NarrowString(), nullptr, nullptr), 0);

    // One tree opens at most kMaxTreeNodes nested archives; the rest stay closed.
    const std::string jar = jarWith({{"in.txt", "inside"}});
    ZipWriter many;
    const uint32_t count = EmbeddedArchive::kMaxTreeNodes + 1;
    auto jarName = [](uint32_t i) {  // equal lengths keep the names in numeric order
        std::string digits = std::to_string(i);
        return "j" + std::string(5 - digits.size(), '0') + digits + ".jar";
    };
    for (uint32_t i = 0; i < count; ++i) many.add(jarName(i), jar, ZipMethod::kStored);
    auto crowded = openStore(many.finish());
    EXPECT_EQ(readText(*crowded, (jarName(0) + "!in.txt").c_str()), "inside");
    EXPECT_EQ(readText(*crowded, (jarName(count - 2) + "!in.txt").c_str()), "inside");
    EXPECT_EQ(readText(*crowded, (jarName(count - 1) + "!in.txt").c_str()), "<null>");
}

// What an archive's directory of `records` records costs the tree when it loads.
uint64_t directoryCost(const ZipLayout& at, uint32_t records) {
    return CZipReader::directoryFootprint(records, at.endRecordOffset - at.centralDirectoryOffset,
                                          0, EntryLookup::kBytesPerEntry);
}

TEST(ArchiveStoreTest, TreeBudgetIsChargedBeforeTheWork) {
    EXPECT_EQ(EmbeddedArchive::kMaxTreeBytes, (sizeof(void*) == 4 ? 256u : 512u) << 20);
    // A nested jar whose checksum fails at its last byte, then a sound one: the failed
    // extraction costs what it claimed.
    ZipLayout soundAt, twoAt, manyAt, bigAt;
    const std::string damaged = jarWith({{"in.txt", "lost"}});
    ZipWriter soundWriter;
    soundWriter.add("in.txt", "sound");
    const std::string sound = soundWriter.finish(std::string(), &soundAt);
    ZipWriter two;
    two.add("bad.jar", damaged, ZipMethod::kStored);
    two.add("good.jar", sound, ZipMethod::kStored);
    std::string twoJars = two.finish(std::string(), &twoAt);
    twoJars[twoAt.dataOffsets[0] + damaged.size() - 1] ^= 1;
    const uint64_t twoJarsCost =
        directoryCost(twoAt, 2) + damaged.size() + sound.size() + directoryCost(soundAt, 1);
    // A jar of minimal records: its directory costs far more than its bytes.
    ZipWriter manyWriter;
    for (int i = 0; i < 2000; ++i) manyWriter.add(std::to_string(i), "", ZipMethod::kStored);
    const std::string many = manyWriter.finish(std::string(), &manyAt);
    ASSERT_GT(directoryCost(manyAt, 2000), many.size());
    ZipWriter bigWriter;
    bigWriter.add("many.jar", many);
    const std::string big = bigWriter.finish(std::string(), &bigAt);
    const uint64_t bigCost = directoryCost(bigAt, 1) + many.size() + directoryCost(manyAt, 2000);
    struct Case {
        const std::string& archive;
        uint64_t budget;
        const char* query;
        const char* content;
    } cases[] = {
        {twoJars, twoJarsCost, "good.jar!in.txt", "sound"},
        {twoJars, twoJarsCost - 1, "good.jar!in.txt", "<null>"},
        {big, bigCost, "many.jar!1999", ""},
        {big, bigCost - 1, "many.jar!1999", "<null>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readText(*openStore(c.archive, 2, c.budget), c.query), c.content)
            << c.query << " within " << c.budget;
    }
}

// A nested jar's manifest is parsed once, when first asked for, and what the parse keeps
// is charged to the tree: one byte short, the manifest keeps nothing.
TEST(ArchiveStoreTest, ManifestsAreParsedOnceAndCharged) {
    std::string text = "Manifest-Version: 1.0\r\nImplementation-Title: t\r\n\r\n";
    for (int i = 0; i < 2000; ++i)
        text += "Name: p/C" + std::to_string(i) + ".class\r\nSHA-256-Digest: x\r\n\r\n";
    JarManifest alone;
    ASSERT_TRUE(alone.read(text.data(), text.size()));
    const uint64_t kept = alone.memoryUse() - sizeof(JarManifest);
    ZipLayout outerAt, jarAt;
    ZipWriter jar;
    jar.add("META-INF/MANIFEST.MF", text);
    jar.add("p/C.class", "c");
    const std::string jarBytes = jar.finish(std::string(), &jarAt);
    ZipWriter outer;
    outer.add("t.jar", jarBytes);
    outer.add("top.txt", "top");
    const std::string archive = outer.finish(std::string(), &outerAt);
    const uint64_t opening = directoryCost(outerAt, 2) + jarBytes.size() + directoryCost(jarAt, 2);
    for (uint64_t budget : {opening + kept, opening + kept - 1}) {
        auto store = openStore(archive, 2, budget);
        const JarManifest* manifest = store->manifestOf(NarrowString("t.jar!p/C.class"));
        ASSERT_NE(manifest, nullptr) << budget;
        EXPECT_EQ(store->manifestOf(NarrowString("t.jar!META-INF/MANIFEST.MF")), manifest);
        EXPECT_EQ(store->nestedManifestUnchecked("t.jar"), manifest);
        EXPECT_EQ(store->nestedManifestUnchecked("top.txt"), nullptr);
        EXPECT_EQ(manifest->outcome(), budget == opening + kept
                                           ? JarManifest::Outcome::kValid
                                           : JarManifest::Outcome::kOverAllowance);
        EXPECT_EQ(store->manifestOf(NarrowString("top.txt")), nullptr);
        EXPECT_EQ(store->manifestOf(NarrowString("t.jar!missing")), nullptr);
    }
}

TEST(ArchiveStoreTest, NestedNameWithNulIsNotAnArchive) {
    ZipWriter outer;
    outer.add(std::string("a\0b.jar", 7), jarWith({{"in.txt", "hidden"}}));
    outer.add("c.jar", jarWith({{"c.txt", "seen"}}));
    auto store = openStore(outer.finish());
    EXPECT_EQ(store->nestedCount(), 1);
    EXPECT_EQ(readText(*store, "a!in.txt"), "<null>");
    EXPECT_EQ(readText(*store, "in.txt"), "<null>");
    EXPECT_EQ(readText(*store, "c.jar!c.txt"), "seen");
}

// Adds `name`, a stored jar whose entry "pad.bin" is damaged after the jar's checksum
// was taken: the jar as a whole fails its check while its other entries read well.
// Returns where the damage goes, from the start of the jar's data.
uint32_t addDamagedStoredJar(ZipWriter& outer, const char* name, const char* entry,
                             const std::string& nestedJar = std::string()) {
    ZipLayout at;
    ZipWriter jar;
    jar.add(entry, std::string("from ") + name, ZipMethod::kStored);
    if (!nestedJar.empty()) jar.add("inner.jar", nestedJar, ZipMethod::kStored);
    jar.add("pad.bin", "padding that gets damaged", ZipMethod::kStored);
    outer.add(name, jar.finish(std::string(), &at), ZipMethod::kStored);
    return at.dataOffsets.back();
}

TEST(ArchiveStoreTest, StoredJarsReadInPlaceAnswerAsExtractedOnes) {
    // Opened from a file, stored nested jars are read where they lie in it and checked
    // on first use; in memory they are extracted. Both must answer alike.
    ZipWriter outer;
    outer.add("a.jar", jarWith({{"x.txt", "from a"}}), ZipMethod::kStored);
    const uint32_t badPad = addDamagedStoredJar(outer, "bad.jar", "bad.txt");
    const uint32_t hurtPad =
        addDamagedStoredJar(outer, "hurt.jar", "hurt.txt", jarWith({{"deep.txt", "under hurt"}}));
    ZipWriter deep;
    deep.add("inner.jar", jarWith({{"deep.txt", "under deep"}}), ZipMethod::kStored);
    outer.add("deep.jar", deep.finish(), ZipMethod::kStored);
    outer.add("later/copy.jar", jarWith({{"bad.txt", "later"}, {"hurt.txt", "later hurt"}}));
    ZipLayout at;
    std::string bytes = outer.finish(std::string(), &at);
    bytes[at.dataOffsets[1] + badPad] ^= 1;
    bytes[at.dataOffsets[2] + hurtPad] ^= 1;
    testing::ScratchDirectory scratch;
    const std::string path = scratch.write("app.exe", testing::noise(5000, 3) + bytes);

    const struct Case {
        const char* query;
        const char* content;
        const char* located;
    } cases[] = {
        {"x.txt", "from a", "a.jar!x.txt"},
        {"bad.txt", "later", "later\\copy.jar!bad.txt"},  // the damaged jar is not there
        {"bad.jar!bad.txt", "<null>", ""},
        {"hurt.txt", "later hurt", "later\\copy.jar!hurt.txt"},
        {"deep.txt", "under deep", "deep.jar!inner.jar!deep.txt"},
        {"hurt.jar!inner.jar!deep.txt", "<null>", ""},  // nor are the jars inside it
    };
    EmbeddedArchive fromFile(2);
    fromFile.open(path.c_str());
    auto inMemory = openStore(bytes);
    // The damaged jar's manifest read unchecked, then the jar checked on a thread of its
    // own, as the launch has the application jar: it still answers nothing.
    static EmbeddedArchive* const checkedAside = new EmbeddedArchive(2);
    checkedAside->open(path.c_str());
    EXPECT_EQ(checkedAside->nestedManifestUnchecked("bad.jar"), nullptr);  // it has none
    checkedAside->checkNestedAside("bad.jar");
    for (EmbeddedArchive* store : {checkedAside, &fromFile, inMemory.get()}) {
        for (const Case& c : cases) {
            EXPECT_EQ(readText(*store, c.query), c.content) << c.query;
            EXPECT_EQ(testing::streamText(*store, c.query), c.content) << c.query;
            NarrowString found;
            const int hit =
                store->locate(NarrowString(c.query), found, NarrowString(), nullptr, nullptr);
            EXPECT_EQ(hit ? std::string(found.c_str()) : std::string(), c.located) << c.query;
        }
    }
    // Threads that all arrive before the first check have it made once, for all.
    EmbeddedArchive fresh(2);
    fresh.open(path.c_str());
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            const Case& c = cases[t % 2];
            if (readText(fresh, c.query) != c.content) ++failures;
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(ArchiveStoreTest, StoredJarsReadInPlaceCostNoNestedBytes) {
    // A tree allowed fewer bytes than the jar holds: read in place, the stored copy
    // opens; extracted, neither copy fits.
    const std::string payload = testing::noise(60000, 9);
    const std::string jar = jarWith({{"n.bin", payload}});
    ZipWriter outer;
    outer.add("s.jar", jar, ZipMethod::kStored);
    outer.add("d.jar", jar);
    const std::string bytes = outer.finish();
    testing::ScratchDirectory scratch;
    EmbeddedArchive fromFile(2, 40000);
    fromFile.open(scratch.write("app.exe", bytes).c_str());
    EXPECT_TRUE(readText(fromFile, "s.jar!n.bin") == payload);
    EXPECT_EQ(readText(fromFile, "d.jar!n.bin"), "<null>");
    auto inMemory = openStore(bytes, 2, 40000);
    EXPECT_EQ(readText(*inMemory, "s.jar!n.bin"), "<null>");
    EXPECT_EQ(readText(*inMemory, "d.jar!n.bin"), "<null>");
}

// ZIP64 jars answer as any other, read in place or extracted: the last of 65,537 entries
// (an index past 16 bits), and entries whose every figure is in ZIP64 records.
TEST(ArchiveStoreTest, Zip64JarsAnswerToTheirLastEntry) {
    using testing::Zip64Figures;
    ZipWriter outer;
    outer.add("libs/big.jar",
              testing::zip64Archive(testing::numberedEntries(65537), Zip64Figures::kEndRecords),
              ZipMethod::kStored);
    outer.add("libs/ext.jar",
              testing::zip64Archive({{"e.txt", "extended"}}, Zip64Figures::kExtraFields),
              ZipMethod::kStored);
    outer.add("libs/dsc.jar",
              testing::zip64Archive({{"d.txt", "described"}}, Zip64Figures::kDescriptors));
    const std::string bytes = outer.finish();
    testing::ScratchDirectory scratch;
    EmbeddedArchive fromFile(2);
    fromFile.open(scratch.write("app.exe", testing::noise(3000, 4) + bytes).c_str());
    auto inMemory = openStore(bytes);
    const std::pair<const char*, const char*> cases[] = {
        {"f/65536", "65536"}, {"f/00000", "0"}, {"e.txt", "extended"}, {"d.txt", "described"}};
    for (EmbeddedArchive* store : {&fromFile, inMemory.get()}) {
        for (const auto& [query, content] : cases)
            EXPECT_EQ(readText(*store, query), content) << query;
        NarrowString found;
        EXPECT_EQ(store->locate(NarrowString("f/65536"), found, NarrowString(), nullptr, nullptr),
                  1);
        EXPECT_STREQ(found.c_str(), "libs\\big.jar!f/65536");
    }
}

TEST(ArchiveStoreTest, ParallelReadsGiveCorrectBytes) {
    ZipWriter jar1, jar2, outer;
    std::vector<std::pair<std::string, std::string>> expected;
    for (int i = 0; i < 24; ++i) {
        std::string content = testing::noise(1000 + i * 3000, i + 1);
        std::string name = "c/K" + std::to_string(i) + ".class";
        if (i % 3 == 0)
            outer.add(name, content);
        else
            (i % 3 == 1 ? jar1 : jar2).add(name, content);
        expected.emplace_back(name, content);
    }
    outer.add("libs/one.jar", jar1.finish());
    outer.add("libs/two.jar", jar2.finish(), ZipMethod::kStored);
    auto store = openStore(outer.finish());
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 40; ++round) {
                // Half the threads hammer one node, the others walk all of them.
                size_t i = t % 2 ? (round * 3) % expected.size() : (round + t) % expected.size();
                const char* name = expected[i].first.c_str();
                // Streams of one entry and of others interleave with whole reads.
                const std::string got =
                    round % 2 ? testing::streamText(*store, name, 1000) : readText(*store, name);
                if (got != expected[i].second) ++failures;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
}

// Streamed in any chunk size, an entry reads back as a whole read gives it, from the
// executable's file, from a stored jar read in place and from an extracted one; a flipped
// data byte fails the read at the end, never delivering the whole entry as read.
TEST(ArchiveStoreTest, StreamsReadWhatWholeReadsGive) {
    const std::string contents[] = {"", "x", std::string(300000, 'a'), testing::noise(200000, 5)};
    ZipWriter jar, outer;
    for (ZipMethod method : {ZipMethod::kStored, ZipMethod::kDeflated}) {
        for (size_t i = 0; i < std::size(contents); ++i) {
            const std::string name = std::to_string(int(method)) + "/" + std::to_string(i);
            outer.add("o" + name, contents[i], method);
            jar.add("j" + name, contents[i], method);
        }
    }
    const std::string jarBytes = jar.finish();
    outer.add("libs/s.jar", jarBytes, ZipMethod::kStored);
    outer.add("libs/d.jar", jarBytes);
    const std::string bytes = outer.finish();
    testing::ScratchDirectory scratch;
    EmbeddedArchive fromFile(2);
    fromFile.open(scratch.write("app.exe", testing::noise(700, 2) + bytes).c_str());
    for (ZipMethod method : {ZipMethod::kStored, ZipMethod::kDeflated}) {
        for (size_t i = 0; i < std::size(contents); ++i) {
            for (const char* where : {"o", "libs/s.jar!j", "libs/d.jar!j"}) {
                const std::string query =
                    where + std::to_string(int(method)) + "/" + std::to_string(i);
                for (uint32_t chunk : {1u, 7u, 65536u, 1u << 20}) {
                    if (chunk == 1 && contents[i].size() > 1000) continue;
                    EXPECT_TRUE(testing::streamText(fromFile, query.c_str(), chunk) == contents[i])
                        << query << " chunk " << chunk;
                }
            }
        }
    }
    EXPECT_EQ(testing::streamText(fromFile, "missing"), "<null>");
    for (ZipMethod method : {ZipMethod::kStored, ZipMethod::kDeflated}) {
        ZipWriter one;
        ZipLayout at;
        one.add("big", testing::noise(200000, 7), method);
        std::string damaged = one.finish(std::string(), &at);
        damaged[at.dataOffsets[0] + 150000] ^= 1;
        EXPECT_EQ(testing::streamText(*openStore(damaged), "big", 65536), "<damaged>")
            << int(method);
    }
}

TEST(ArchiveStoreTest, DirectoriesReadOnFirstLookupAnswerAsBefore) {
    // A stored jar read in place loads its directory on first lookup unless it holds
    // jars itself, which the scan of its names must find however long they are.
    ZipWriter longWriter;
    for (int i = 0; i < 4; ++i) {
        longWriter.add(std::string(40000 + i, char('a' + i)), "long", ZipMethod::kStored);
        longWriter.setCentralComment(testing::noise(60000 + i, i + 1));
    }
    longWriter.add("inner.jar", jarWith({{"deep.txt", "under long"}}), ZipMethod::kStored);
    // Two records that share a local header pass the scan and fail when loaded.
    ZipLayout dupAt;
    ZipWriter dupWriter;
    dupWriter.add("dup.txt", "one");
    dupWriter.add("dup2.txt", "two");
    std::string dup = dupWriter.finish(std::string(), &dupAt);
    set32(dup, dupAt.centralOffsets[1] + 42, dupAt.localOffsets[0]);
    ZipLayout outerAt;
    ZipWriter outer;
    outer.add("long.jar", longWriter.finish(), ZipMethod::kStored);
    outer.add("dup.jar", dup, ZipMethod::kStored);
    outer.add("later.jar", jarWith({{"dup.txt", "later"}}), ZipMethod::kStored);
    const std::string bytes = outer.finish(std::string(), &outerAt);
    testing::ScratchDirectory scratch;
    const std::string path = scratch.write("app.exe", bytes);
    const struct {
        const char* query;
        const char* content;
    } cases[] = {
        {"long.jar!inner.jar!deep.txt", "under long"},
        {"deep.txt", "under long"},
        {"dup.jar!dup.txt", "<null>"},
        {"dup.txt", "later"},
    };
    EmbeddedArchive fromFile(2);
    fromFile.open(path.c_str());
    auto inMemory = openStore(bytes);
    // The damaged jar's manifest read unchecked, then the jar checked on a thread of its
    // own, as the launch has the application jar: it still answers nothing.
    static EmbeddedArchive* const checkedAside = new EmbeddedArchive(2);
    checkedAside->open(path.c_str());
    EXPECT_EQ(checkedAside->nestedManifestUnchecked("bad.jar"), nullptr);  // it has none
    checkedAside->checkNestedAside("bad.jar");
    for (EmbeddedArchive* store : {checkedAside, &fromFile, inMemory.get()}) {
        for (const auto& c : cases) EXPECT_EQ(readText(*store, c.query), c.content) << c.query;
    }

    // The directories are charged in archive order when the tree opens, whichever is
    // looked up first: one byte short, the last jar is the one that stays closed.
    ZipLayout aAt, bAt, twoAt;
    ZipWriter aWriter, bWriter, two;
    aWriter.add("a.txt", "in a");
    bWriter.add("b.txt", "in b");
    two.add("a.jar", aWriter.finish(std::string(), &aAt), ZipMethod::kStored);
    two.add("b.jar", bWriter.finish(std::string(), &bAt), ZipMethod::kStored);
    const std::string twoPath = scratch.write("two.exe", two.finish(std::string(), &twoAt));
    const uint64_t cost = directoryCost(twoAt, 2) + directoryCost(aAt, 1) + directoryCost(bAt, 1);
    for (uint64_t budget : {cost, cost - 1}) {
        EmbeddedArchive store(2, budget);
        store.open(twoPath.c_str());
        EXPECT_EQ(readText(store, "b.txt"), budget == cost ? "in b" : "<null>") << budget;
        EXPECT_EQ(readText(store, "a.txt"), "in a") << budget;
    }
}

}  // namespace
}  // namespace oru

namespace oru {
namespace {

// Names marked as UTF-8 match the UTF-8 form of a name, the others the code page form;
// a multi-release jar serves its newest version up to the running release.
TEST(ArchiveStoreTest, Utf8NamesAndMultiReleaseVersions) {
    ZipWriter outer;
    outer.add("t.jar", jarWith({{"\xE4\xB8\xAD.txt", "marked utf-8"}, {"plain.txt", "plain"}}));
    ZipWriter unmarked;
    unmarked.add("\xD6\xD0.txt", "gbk bytes", ZipMethod::kDeflated, {0, {}, false});
    outer.add("libs/g.jar", unmarked.finish());
    outer.add("libs/mr.jar",
              jarWith({{"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nmulti-release: TRUE\r\n"},
                       {"m/W.class", "base"},
                       {"META-INF/versions/9/m/W.class", "nine"},
                       {"META-INF/versions/11/m/W.class", "eleven"},
                       {"META-INF/versions/21/m/W.class", "twenty-one"},
                       {"META-INF/versions/11/only.txt", "versioned only"}}));
    outer.add("libs/plain.jar",
              jarWith({{"META-INF/versions/11/p.txt", "not multi-release"}, {"p.txt", "p"}}));
    // java decides Multi-Release on the main section alone: what follows it may be broken,
    // but not the main section itself.
    for (const char* kind : {"late", "bad"}) {
        const std::string name = kind;
        outer.add("libs/mr-" + name + ".jar",
                  jarWith({{"META-INF/MANIFEST.MF",
                            name == "late" ? "Multi-Release: true\r\n\r\nName: x/\r\nbroken\r\n"
                                           : "Multi-Release: true\r\nbroken\r\n"},
                           {name + ".txt", "plain"},
                           {"META-INF/versions/11/" + name + ".txt", "versioned"}}));
    }
    EmbeddedArchive::setRuntimeRelease(17);
    auto store = openStore(outer.finish());
    const NarrowString utf8("\xE4\xB8\xAD.txt"), gbk("\xD6\xD0.txt");
    const struct {
        NarrowString query;
        const NarrowString* utf8;
        const char* content;
    } cases[] = {
        {gbk, &utf8, "marked utf-8"},     // the UTF-8 form finds the marked name
        {utf8, nullptr, "marked utf-8"},  // bytes alone match any name
        {gbk, nullptr, "gbk bytes"},
        {NarrowString("x"), &gbk, "gbk bytes"},  // unmarked, read as UTF-8: the JDK's reading
        {NarrowString("m/W.class"), nullptr, "eleven"},  // 21 is beyond the running 17
        {NarrowString("libs/mr.jar!m/W.class"), nullptr, "eleven"},
        {NarrowString("only.txt"), nullptr, "versioned only"},
        {NarrowString("META-INF/versions/9/m/W.class"), nullptr, "nine"},
        {NarrowString("p.txt"), nullptr, "p"},
        {NarrowString("late.txt"), nullptr, "versioned"},
        {NarrowString("bad.txt"), nullptr, "plain"},
    };
    for (const auto& c : cases) {
        testing::BufferSink sink;
        EXPECT_EQ(store->readEntry(sink, c.query, c.utf8) ? sink.text() : "<null>",
                  std::string(c.content))
            << c.query.c_str();
    }
    NarrowString found;
    EXPECT_EQ(store->locate(gbk, found, NarrowString(), nullptr, nullptr, &utf8), 1);
    EXPECT_EQ(found, "t.jar!\xE4\xB8\xAD.txt");
    // A name that matched in the code page, as stored and as the URL shows it.
    const NarrowString inG = "libs\\g.jar!" + gbk, inGUtf8 = "libs\\g.jar!" + utf8;
    for (const auto form : {EmbeddedArchive::NameForm::kStored, EmbeddedArchive::NameForm::kUtf8}) {
        EXPECT_EQ(store->locate(inG, found, NarrowString(), nullptr, nullptr, &inGUtf8, form), 1);
        EXPECT_EQ(std::string(found.c_str()),
                  (form == EmbeddedArchive::NameForm::kUtf8 ? inGUtf8 : inG).c_str());
    }
    uint32_t size = 0, time = 0;
    EXPECT_TRUE(store->entryInfo(NarrowString("m/W.class"), nullptr, size, time));
    EXPECT_EQ(size, 6u);
    EXPECT_FALSE(store->entryInfo(NarrowString("nothing"), nullptr, size, time));
    EmbeddedArchive::setRuntimeRelease(0);
}

}  // namespace
}  // namespace oru
