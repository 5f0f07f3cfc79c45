// Writes seed archives for the archive fuzzer: valid ones of every shape the store meets.
#include <cstdio>
#include <fstream>
#include <string>

#include "zip_writer.h"

namespace {

using oru::tools::ZipDescriptor;
using oru::tools::ZipMethod;
using oru::tools::ZipWriter;

std::string smallJar(const std::string& tag) {
    ZipWriter jar;
    jar.add("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n");
    jar.add("com/x/" + tag + ".class", "class " + tag + std::string(200, 'z'));
    jar.add("res/" + tag + ".txt", tag, ZipMethod::kStored);
    return jar.finish();
}

bool save(const std::string& directory, const std::string& name, const std::string& bytes) {
    std::ofstream out(directory + "/" + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output-directory\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;

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
    return ok ? 0 : 1;
}
