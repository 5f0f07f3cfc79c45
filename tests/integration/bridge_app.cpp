// The packed test application of the bridge and packer tests, built from its classes.
#include "bridge_app.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "java_probe.h"

namespace oru::testing {

namespace {

namespace fs = std::filesystem;

// A manifest line of at most 72 bytes is the rule; a long Class-Path goes on in lines
// that start with a space, as the jar tool writes it.
std::string classPathLine(const std::string& classPath) {
    if (classPath.empty()) return "";
    std::string text = "Class-Path: " + classPath, out;
    for (size_t at = 0; at < text.size(); at += 70)
        out += (at ? " " : "") + text.substr(at, 70) + "\r\n";
    return out;
}

}  // namespace

std::string largeEntry(int seed) {
    std::string bytes(200000, '\0');
    uint32_t state = 2463534242u + static_cast<uint32_t>(seed);
    for (char& c : bytes) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        c = static_cast<char>(state);
    }
    return bytes;
}

std::string classBytes(const char* root, const std::string& name) {
    return readFile((fs::path(root) / (name + ".class")).string());
}

// Classes of the test application that live in the library jar; every other class of
// it goes into "t.jar".
static const std::vector<std::string> kLibraryClasses = {
    "bridge/InLib", "bridge/Twice", "bridge/Shadowed", "bridge/ServiceImpl", "NoPackage"};

std::string applicationJar(const std::string& mainClass, const std::string& classPath,
                           const std::string& sections) {
    tools::ZipWriter jar;
    if (!mainClass.empty())
        jar.add("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nMain-Class: " + mainClass +
                                            "\r\n" + classPathLine(classPath) +
                                            (sections.empty() ? "" : "\r\n" + sections));
    for (const auto& file : fs::recursive_directory_iterator(ORU_BRIDGE_CLASSES)) {
        if (!file.is_regular_file()) continue;
        std::string name = fs::relative(file.path(), ORU_BRIDGE_CLASSES).generic_string();
        std::string stem = name.substr(0, name.size() - 6);
        if (std::find(kLibraryClasses.begin(), kLibraryClasses.end(), stem) ==
            kLibraryClasses.end())
            jar.add(name, readFile(file.path()));
    }
    jar.add("a/b.txt", "b in t.jar");
    jar.add("a/big.bin", largeEntry(1), tools::ZipMethod::kStored);
    jar.add("dup.txt", "dup in t.jar");
    jar.add("bridge/Corrupt.class", "not a class file at all");
    // Bytes that do not match their CRC: the entry cannot be read.
    tools::ZipWriter::Entry damaged;
    damaged.name = "bridge/Damaged.class";
    damaged.stored = classBytes(ORU_BRIDGE_CLASSES, "bridge/InApp");
    damaged.size = static_cast<uint32_t>(damaged.stored.size());
    damaged.crc = 0x12345678;
    jar.addRaw(damaged);
    return jar.finish();
}

std::string libraryJar(const std::string& classPath) {
    tools::ZipWriter jar;
    if (!classPath.empty())
        jar.add("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n" + classPathLine(classPath));
    for (const std::string& name : kLibraryClasses)
        jar.add(name + ".class", classBytes(ORU_BRIDGE_CLASSES, name));
    jar.add("META-INF/services/bridge.Service", "bridge.ServiceImpl\n");
    jar.add("dup.txt", "dup in a.jar");
    return jar.finish();
}

std::string variantJar() {
    tools::ZipWriter jar;
    jar.add("bridge/Twice.class", classBytes(ORU_BRIDGE_VARIANT_CLASSES, "bridge/Twice"),
            tools::ZipMethod::kStored);
    return jar.finish();
}

void addJavaSideClasses(tools::ZipWriter& archive, const char* root) {
    for (const char* name :
         {"KestrunClassLoader", "Handler", "Handler$1", "SplashScreen", "Handler$2"}) {
        const std::string entry = std::string("com/vostrand/oru/") + name + ".class";
        // Handler$2, the stream, is not among the classes of older archives.
        if (fs::exists(fs::path(root) / entry)) archive.add(entry, readFile(root + ("/" + entry)));
    }
}

// Every run checks the natives' JNI use and verifies every class, the launcher's own too.
std::vector<std::string> bridgeConfiguration() {
    return {"jvmdll " + jdkLibrary(), "jre_order c", "mainclass bridge.Probe", "option -Xcheck:jni",
            "option -Xverify:all"};
}

}  // namespace oru::testing
