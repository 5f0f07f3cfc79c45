// Writes seed archives for the archive fuzzer: valid ones of every shape the store meets,
// large ones that the fuzzer's length growth would take long to reach, and broken ones;
// seeds for the configuration fuzzer: configuration texts and packed archive tails; seeds
// for the resources fuzzer: the pictures, icons and version lines of the unit tests; and
// "oru:" URL texts and jar manifests for the URL and manifest fuzzers.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/little_endian.h"
#include "windows_images.h"
#include "zip64_archive.h"
#include "zip_writer.h"

namespace {

using oru::set16;
using oru::set32;
using oru::tools::ZipDescriptor;
using oru::tools::ZipLayout;
using oru::tools::ZipMethod;
using oru::tools::ZipWriter;

// Deterministic bytes that deflate hardly at all.
std::string noise(size_t size, uint32_t seed) {
    std::string out(size, '\0');
    for (char& c : out) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return out;
}

std::string smallJar(const std::string& tag) {
    ZipWriter jar;
    // Stored, so that mutations reach the manifest's text.
    jar.add("META-INF/MANIFEST.MF",
            "Manifest-Version: 1.0\r\nMain-Class: com.x." + tag +
                "\r\nSealed: true\r\n Tail\n\nName: com/x/\rSealed: false\r\n",
            ZipMethod::kStored);
    jar.add("com/x/" + tag + ".class", "class " + tag + std::string(200, 'z'));
    jar.add("res/" + tag + ".txt", tag, ZipMethod::kStored);
    return jar.finish();
}

bool save(const std::string& directory, const std::string& name, const std::string& bytes) {
    std::ofstream out(directory + "/" + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Saves each of `texts` as <prefix><its index><suffix>.
template <size_t N>
bool saveEach(const std::string& dir, const char* prefix, const char* suffix,
              const std::string (&texts)[N]) {
    bool ok = true;
    for (size_t i = 0; i < N; ++i) ok &= save(dir, prefix + std::to_string(i) + suffix, texts[i]);
    return ok;
}

// Inputs past 32 KB: the end-record search's second window, more than one 64 KiB read of
// compressed data, a nested archive of some size.
bool saveLarge(const std::string& dir) {
    bool ok = true;
    ZipWriter commented;
    commented.add("a.txt", "alpha");
    ok &= save(dir, "large-comment.zip", commented.finish(noise(40000, 1)));

    ZipWriter big;
    big.add("big.bin", noise(70000, 2));
    big.add("after.txt", "after the big one", ZipMethod::kStored, {0, ZipDescriptor::kSigned});
    ok &= save(dir, "large-deflated.zip", big.finish());

    ZipWriter jar;
    jar.add("com/x/Big.class", noise(40000, 3));
    jar.add("com/x/Small.class", "small");
    ZipWriter outer;
    outer.add("Main.class", "top");
    outer.add("libs/big.jar", jar.finish(), ZipMethod::kStored);
    ok &= save(dir, "large-nested.zip", outer.finish());
    return ok;
}

// Variants of one archive, each damaged in one place: a flipped byte, a truncation, or a
// length or offset field changed.
bool saveBroken(const std::string& dir) {
    ZipLayout at;
    ZipWriter writer;
    writer.add("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n");
    writer.add("com/x/Y.class", noise(3000, 4), ZipMethod::kDeflated, {0, ZipDescriptor::kSigned});
    writer.add("res/r.txt", "resource", ZipMethod::kStored);
    writer.add("t.jar", smallJar("T"));
    const std::string good = writer.finish("comment", &at);
    const uint32_t local = at.localOffsets[1];
    const uint32_t central = at.centralOffsets[1];
    const uint32_t end = at.endRecordOffset;

    std::vector<std::string> broken;
    for (uint32_t offset : {local, local + 6, at.dataOffsets[1], at.dataOffsets[1] + 100,
                            at.dataOffsets[3] + 10, central, central + 8, end, end + 10}) {
        broken.push_back(good);
        broken.back()[offset] ^= 0x41;
    }
    for (uint32_t cut : {end + 10, central + 20, at.dataOffsets[1] + 500, uint32_t(30)})
        broken.push_back(good.substr(0, cut));
    struct Field {
        uint32_t at;
        bool wide;
        uint32_t value;
    } fields[] = {
        {local + 26, false, 0xFFFF},
        {local + 28, false, 40},
        {central + 20, true, 0xFFFFFFF0u},
        {central + 24, true, 0x7FFFFFFF},
        {central + 28, false, 300},
        {central + 30, false, 8},
        {central + 42, true, at.localOffsets[2]},
        {end + 10, false, 9},
        {end + 12, true, 0xFFFF},
        {end + 16, true, 0},
        {end + 20, false, 0xFFFF},
    };
    for (const Field& f : fields) {
        broken.push_back(good);
        (f.wide ? set32 : set16)(broken.back(), f.at, f.value);
    }
    bool ok = true;
    for (size_t i = 0; i < broken.size(); ++i)
        ok &= save(dir, "broken-" + std::to_string(i) + ".zip", broken[i]);
    return ok;
}

// ZIP64 archives: figures in the end records only, in extra fields too, with 8-byte
// descriptors; nested in a classic archive; and each damaged in one ZIP64 field.
bool saveZip64(const std::string& dir) {
    using oru::testing::set64;
    using oru::testing::Zip64Figures;
    const auto entries = oru::testing::numberedEntries(3);
    bool ok = true;
    const Zip64Figures kinds[] = {Zip64Figures::kEndRecords, Zip64Figures::kExtraFields,
                                  Zip64Figures::kDescriptors};
    for (Zip64Figures figures : kinds)
        ok &= save(dir, "zip64-" + std::to_string(static_cast<int>(figures)) + ".zip",
                   oru::testing::zip64Archive(entries, figures));
    ZipWriter outer;
    outer.add("Main.class", "top");
    outer.add("libs/ext.jar", oru::testing::zip64Archive(entries, Zip64Figures::kExtraFields),
              ZipMethod::kStored);
    outer.add("libs/dsc.jar", oru::testing::zip64Archive(entries, Zip64Figures::kDescriptors));
    ok &= save(dir, "zip64-nested.zip", noise(300, 13) + outer.finish());

    oru::testing::Zip64Layout at;
    const std::string good = oru::testing::zip64Archive(entries, Zip64Figures::kDescriptors, &at);
    const uint32_t block = at.central[1] + 46 + 7;  // entry 1's ZIP64 block, after its name
    struct Field {
        uint32_t at;
        int width;  // in bytes
        uint64_t value;
    } fields[] = {
        {at.end64 + 64, 8, at.end64 - 1},
        {at.end64 + 32, 8, 1u << 20},
        {at.end64 + 40, 8, 0xFFFFFFFFu},
        {at.end64 + 16, 4, 1},
        {at.end + 10, 2, 2},
        {block + 2, 2, 16},
        {block + 2, 2, 40},
        {block, 2, 9},
        {block + 24, 4, 1},
        {block + 12, 8, 0x7FFFFFF0},
        {at.local[1] + 30 + 7 + 2, 2, 8},
        {at.local[2] - 8, 8, 2},
    };
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        std::string broken = good;
        const Field& f = fields[i];
        if (f.width == 8)
            set64(broken, f.at, f.value);
        else
            (f.width == 4 ? set32 : set16)(broken, f.at, static_cast<uint32_t>(f.value));
        ok &= save(dir, "zip64-broken-" + std::to_string(i) + ".zip", broken);
    }
    return ok;
}

// A signed executable (PE headers, the archive, a certificate table at an 8-byte
// boundary), and copies whose security directory does not add up.
bool saveSigned(const std::string& dir, const std::string& archive) {
    std::string exe(512, '\0');
    exe[0] = 'M';
    exe[1] = 'Z';
    set32(exe, 0x3C, 0x40);
    exe.replace(0x40, 4, std::string("PE\0\0", 4));
    set16(exe, 0x40 + 20, 96 + 16 * 8);
    set16(exe, 0x58, 0x10B);
    set32(exe, 0x58 + 92, 16);
    exe += archive;
    exe += std::string((8 - exe.size() % 8) % 8, '\0');
    const uint32_t table = static_cast<uint32_t>(exe.size());
    std::string certificate(64, 'z');
    set32(certificate, 0, 64);
    set16(certificate, 4, 0x0200);
    set16(certificate, 6, 2);
    exe += certificate;
    const uint32_t entry = 0x58 + 96 + 32;
    const uint32_t end = static_cast<uint32_t>(exe.size());
    const uint32_t hostile[][2] = {{table, 64}, {end + 8, 8},    {table, 0xFFFFFFF8},
                                   {table, 56}, {table + 4, 60}, {600, end - 600}};
    bool ok = true;
    for (size_t i = 0; i < sizeof hostile / sizeof hostile[0]; ++i) {
        std::string copy = exe;
        set32(copy, entry, hostile[i][0]);
        set32(copy, entry + 4, hostile[i][1]);
        ok &= save(dir, "signed-" + std::to_string(i) + ".exe", copy);
    }
    return ok;
}

// Configuration seeds: the first byte says where the file part ends (0 to 255 over the
// rest), then the text; and whole executables' tails, whose comment the reader finds.
bool saveConfigurations(const std::string& dir) {
    const std::string texts[] = {
        std::string("\x80") + "minjre 1.7\r\nforcecwd sub\r\n" +
            "minjre 1.6\r\nmainclass app.Main\r\n",
        "\x40  OPTION = -Xmx64m\n\roption==v\rproperty p=%ORU_FUZZ_A%\n\toption x\r\n",
        std::string("\xff") + "option a\r\n" + std::string(1, '\0') +
            "option hidden\r\nlibs %UNSET%ORU_FUZZ_A%",
        "\x10jvmdll %ORU_FUZZ_LONG%%ORU_FUZZ_LONG%\r\nclasspath %oru_fuzz_long%;x\r\njre_order ec",
    };
    bool ok = saveEach(dir, "config-", ".txt", texts);
    ZipWriter app;
    app.add("com/x/Main.class", "main");
    const std::string packed =
        noise(3000, 12) + app.finish("mainclass com.x.Main\r\nminjre 1.8\r\n");
    ok &= save(dir, "packed.bin", packed);
    // A stray signature in the last 21 bytes, and one with a whole record after it.
    ok &= save(dir, "packed-stray-short.bin", packed + "PK\x05\x06" + std::string(10, 'x'));
    ok &= save(dir, "packed-stray-whole.bin", packed + "PK\x05\x06" + std::string(30, '\0'));
    ok &= save(dir, "packed-long-comment.bin", app.finish(std::string(2100, 'c')));
    ok &= saveSigned(dir, app.finish("mainclass com.x.Main\r\n"));
    return ok;
}

using oru::testing::bmpFile;

using oru::testing::icoFile;

bool saveResources(const std::string& dir) {
    const std::string png =
        std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0", 29) +
        "rest";
    bool ok = true;
    int n = 0;
    auto seed = [&](char reader, const std::string& bytes) {
        ok &= save(dir, "resource-" + std::to_string(n++) + ".bin", reader + bytes);
    };
    for (int bits : {1, 4, 8, 24, 32}) seed('\0', bmpFile(7, 5, bits));
    seed('\0', bmpFile(4, -4, 32));
    seed('\0', bmpFile(16, 16, 16, 3));
    std::string runs = bmpFile(8, 2, 8, 1);
    set32(runs, 34, 16);
    seed('\0', runs);
    seed('\1', icoFile({bmpFile(16, 32, 32).substr(14)}));
    seed('\1', icoFile({png}));
    seed('\1', icoFile({bmpFile(16, 32, 8).substr(14), png, bmpFile(32, 64, 1).substr(14)}));
    seed('\2', "FileVersion=1.2.3.4\nProductVersion=5.6\nProductName=X");
    seed('\2',
         "CompanyName=\xc3\x9cn\xc3\xaf"
         "code \xe2\x82\xac\nComments=a");
    return ok;
}

// URL texts after "oru:": escapes of every case, "+", backslashes, dot segments, names
// in jars in jars, and malformed escapes.
bool saveUrls(const std::string& dir) {
    const std::string texts[] = {
        "t.jar!com/x/My%20File.txt",
        "libs/a%2Bb.jar!res/C++%20%c3%bc.txt",
        "libs\\%E5%BA%AB.jar!%E4%B8%AD\\a b+c.txt",
        "t.jar!dir/../x/./y/..\\z.txt",
        "a.jar!b.jar!%2e%2E/%2E/c%21d",
        std::string("%00x\0y%7F%FF", 12),
        "100%25%",
        "a%4",
        "%zz%4g%%41",
    };
    return saveEach(dir, "url-", ".txt", texts);
}

// Manifests: line ends of each kind, continuations, sections (package and entry ones, a
// name continued), Sealed and Multi-Release, and what java refuses.
bool saveManifests(const std::string& dir) {
    const std::string texts[] = {
        "Manifest-Version: 1.0\r\nMain-Class: com.x.Main\r\nClass-Path: a.jar\r\n  b.jar\r\n"
        "Sealed: true\r\n\r\nName: com/x/\r\nSealed: false\r\n\r\n",
        "Manifest-Version: 1.0\nMulti-Release: TRUE\nAdd-Opens: java.base/java.lang\n\n"
        "Name: com/x/\nSpecification-Title: X\nImplementation-Vendor: V \xC3\xBC\n",
        "A: x\r y\rB: 2\r\rName: p/\rSealed: true\r",
        "Sealed: true\n\n\nName: lo\n ng/\nSealed: false\n\nnAmE: q/\nA: 1\n\nName: lo\n ng/\nB: "
        "2\n",
        "Manifest-Version: 1.0\r\n\r\nName: a/B.class\r\nSHA-256-Digest: 47DEQpj8HBSa+/TI=\r\n\r\n"
        "Name: a/C.class\r\nSHA-256-Digest: mW+5JCeuQeRkm5NM=\r\n\r\n",
        "A: " + std::string(507, 'v') + "\r\nB: " + std::string(508, 'w') + "\n",
        std::string("A: a\0b\nB:x\n", 11),
        " x\nA: 1\n",
        "A: 1\n\nB: 2\nName: p/\n",
        "Main-Class: a.B\nNo-End: x",
    };
    return saveEach(dir, "manifest-", ".mf", texts);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s seed-directory (with one folder per fuzzer)\n", argv[0]);
        return 2;
    }
    const std::string seeds = argv[1];
    for (const char* fuzzer : {"archive", "config", "resources", "url", "manifest"})
        std::filesystem::create_directories(seeds + "/" + fuzzer);
    const std::string dir = seeds + "/archive";
    bool ok = saveConfigurations(seeds + "/config");
    ok &= saveResources(seeds + "/resources");
    ok &= saveUrls(seeds + "/url");
    ok &= saveManifests(seeds + "/manifest");

    ZipWriter plain;
    plain.add("a.txt", "alpha alpha alpha");
    plain.add("dir/", "", ZipMethod::kStored);
    plain.add("b.bin", "stored bytes", ZipMethod::kStored);
    ok &= save(dir, "plain.zip", plain.finish("mainclass=a.B\n"));

    ZipWriter descriptors;
    descriptors.add("signed.txt", "described", ZipMethod::kDeflated, {0, ZipDescriptor::kSigned});
    descriptors.add("unsigned.txt", "described", ZipMethod::kStored, {0, ZipDescriptor::kUnsigned});
    descriptors.add("empty.txt", "", ZipMethod::kDeflated, {0, ZipDescriptor::kSigned});
    ok &= save(dir, "descriptors.zip", descriptors.finish());

    ZipWriter nested;
    nested.add("Main.class", "top");
    nested.add("t.jar", smallJar("T"));
    nested.add("libs/a.jar", smallJar("A"), ZipMethod::kStored);
    ZipWriter deep;
    deep.add("inner.jar", smallJar("I"));
    nested.add("libs/deep.zip", deep.finish());
    ok &= save(dir, "nested.zip", std::string(512, '\x90') + nested.finish());

    ok &= save(dir, "empty.zip", ZipWriter().finish());
    ok &= saveLarge(dir);
    ok &= saveBroken(dir);
    ok &= saveZip64(dir);
    return ok ? 0 : 1;
}
