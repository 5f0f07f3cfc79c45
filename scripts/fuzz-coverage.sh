#!/usr/bin/env bash
# Replays the fuzzers' corpora (build/fuzz/corpus-*, from scripts/fuzz.sh) through
# coverage-instrumented fuzzers and reports the lines and branches of the code they reach.
# Usage: scripts/fuzz-coverage.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz-coverage"
corpora="$root/build/fuzz"

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORU_FUZZ=ON -DORU_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
    -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
cmake --build "$build" --target archive_fuzzer config_fuzzer resources_fuzzer url_fuzzer \
    manifest_fuzzer

replay() {  # replay FUZZER DIRECTORY...: runs the inputs once, merging their profile
  local fuzzer=$1
  shift
  rm -f "$build/$fuzzer".*.profraw
  LLVM_PROFILE_FILE="$build/$fuzzer.%p.profraw" "$build/tests/fuzz/${fuzzer}_fuzzer" \
      -runs=0 -rss_limit_mb=4096 "$@" >/dev/null 2>&1
  llvm-profdata merge -sparse "$build/$fuzzer".*.profraw -o "$build/$fuzzer.profdata"
  echo "== $fuzzer: $(find "$@" -type f | wc -l) inputs (the corpus and the seeds)"
}
report() {  # report FUZZER ARGUMENT...: llvm-cov's report over the replayed corpus
  local fuzzer=$1
  shift
  llvm-cov report "$build/tests/fuzz/${fuzzer}_fuzzer" -instr-profile="$build/$fuzzer.profdata" "$@"
}
cd "$root"
replay archive "$corpora/corpus-archive" "$corpora/seeds/archive"
report archive src/archive/zip_reader.cpp src/archive/zip_extraction.cpp \
    src/archive/embedded_archive.cpp src/archive/entry_lookup.cpp src/archive/entry_extraction.cpp
replay config "$corpora/corpus-config" "$corpora/seeds/config" "$corpora/seeds/archive"
report config src/launcher/config_text.cpp src/launcher/environment_expansion.cpp
# Of config_load.cpp only the comment search works on bytes; the rest reads the disk.
report config --show-functions src/launcher/config_load.cpp | grep -E "^Name|findArchiveComment"
replay resources "$corpora/corpus-resources" "$corpora/seeds/resources"
report resources tools/launcher_resources.cpp tools/version_resource.cpp
replay url "$corpora/corpus-url" "$corpora/seeds/url"
report url src/bridge/resource_urls.cpp
replay manifest "$corpora/corpus-manifest" "$corpora/seeds/manifest"
report manifest src/archive/manifest.cpp
