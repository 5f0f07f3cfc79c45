// Benchmarks: opening a store over a packed executable, and find + read over every class.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/embedded_archive.h"
#include "zip_writer.h"

namespace {

using oru::tools::ZipWriter;

// Class-like content: a compressible constant pool around a few random bytes.
std::string classBytes(uint32_t seed, size_t size) {
    std::string out;
    out.reserve(size);
    while (out.size() < size) {
        seed = seed * 1103515245u + 12345u;
        out += "java/lang/Object;Ljava/lang/String;";
        for (int i = 0; i < 24; ++i) out.push_back(static_cast<char>((seed >> (i % 24)) & 0xFF));
    }
    out.resize(size);
    return out;
}

struct PackedExecutable {
    std::string path;
    std::vector<std::string> classes;  // every class query, application jar first
    uint64_t classBytesTotal = 0;
    size_t applicationJarSize = 0;
};

std::string makeJar(const std::string& package, int count, size_t classSize,
                    PackedExecutable& exe) {
    ZipWriter jar;
    jar.add("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n");
    for (int i = 0; i < count; ++i) {
        std::string name = package + "/C" + std::to_string(i) + ".class";
        size_t size = classSize + static_cast<size_t>(i % 7) * 300;
        jar.add(name, classBytes(static_cast<uint32_t>(exe.classes.size()), size));
        exe.classes.push_back(name);
        exe.classBytesTotal += size;
    }
    return jar.finish();
}

// A launcher image with t.jar (about 5 MB) and 20 library jars, written once per run.
const PackedExecutable& packedExecutable() {
    static PackedExecutable exe = [] {
        PackedExecutable made;
        ZipWriter outer;
        outer.add("com/vostrand/oru/KestrunClassLoader.class", classBytes(1, 6000));
        std::string app = makeJar("com/example/app", 2900, 4000, made);
        made.applicationJarSize = app.size();
        outer.add("t.jar", app);
        for (int lib = 0; lib < 20; ++lib) {
            std::string name = "libs/lib" + std::to_string(lib) + ".jar";
            outer.add(name, makeJar("org/lib" + std::to_string(lib), 150, 2500, made));
        }
        made.path = (std::filesystem::temp_directory_path() / "oru_bench_app.exe").string();
        std::ofstream file(made.path, std::ios::binary);
        std::string image =
            std::string(300000, '\x90') + outer.finish("mainclass=com.example.app.C0\n");
        file.write(image.data(), static_cast<std::streamsize>(image.size()));
        return made;
    }();
    return exe;
}

std::vector<oru::NarrowString> classQueries(const PackedExecutable& exe) {
    std::vector<oru::NarrowString> queries;
    for (const std::string& name : exe.classes) queries.emplace_back(name.c_str());
    return queries;
}

class DiscardingSink : public oru::EntrySink {
public:
    bool begin(uint32_t size, unsigned char*& bytes) override {
        if (buffer.size() < size) buffer.resize(size);
        bytes = buffer.data();
        return true;
    }
    void end(bool) override {}
    std::vector<unsigned char> buffer;
};

void openStore(benchmark::State& state) {
    const PackedExecutable& exe = packedExecutable();
    for (auto _ : state) {
        oru::EmbeddedArchive store(2);
        store.open(exe.path.c_str());
        benchmark::DoNotOptimize(store.nestedCount());
    }
    state.counters["app_jar_MB"] = static_cast<double>(exe.applicationJarSize) / 1e6;
}

void findAndReadEveryClass(benchmark::State& state) {
    const PackedExecutable& exe = packedExecutable();
    oru::EmbeddedArchive store(2);
    store.open(exe.path.c_str());
    std::vector<oru::NarrowString> queries = classQueries(exe);
    DiscardingSink sink;
    for (auto _ : state) {
        for (const oru::NarrowString& query : queries) {
            if (!store.readEntry(sink, query)) state.SkipWithError("class not found");
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(queries.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(exe.classBytesTotal));
}

void locateEveryClass(benchmark::State& state) {
    const PackedExecutable& exe = packedExecutable();
    oru::EmbeddedArchive store(2);
    store.open(exe.path.c_str());
    std::vector<oru::NarrowString> queries = classQueries(exe);
    oru::NarrowString found;
    for (auto _ : state) {
        for (const oru::NarrowString& query : queries)
            benchmark::DoNotOptimize(
                store.locate(query, found, oru::NarrowString(), nullptr, nullptr));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(queries.size()));
}

}  // namespace

BENCHMARK(openStore)->Unit(benchmark::kMillisecond);
BENCHMARK(findAndReadEveryClass)->Unit(benchmark::kMillisecond);
BENCHMARK(locateEveryClass)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(packedExecutable().path.c_str());
    return 0;
}
