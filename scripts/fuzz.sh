#!/usr/bin/env bash
# Builds the archive fuzzer with clang (ASan, UBSan) and runs it for a bounded time.
# Usage: scripts/fuzz.sh [seconds]   (default 60). Exits non-zero when it finds a fault.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz"

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORU_FUZZ=ON -DORU_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target archive_fuzzer fuzz_seed_generator

seeds="$build/seeds"
corpus="$build/corpus"
artifacts="$build/artifacts"
mkdir -p "$seeds" "$corpus" "$artifacts"
"$build/tests/fuzz/fuzz_seed_generator" "$seeds"

# Full lengths from the start (-len_control=0): the seeds over 32 KB must not be cut down.
# libFuzzer exits non-zero on a crash, a sanitizer report, a leak or a blown memory limit.
"$build/tests/fuzz/archive_fuzzer" \
    -max_total_time="$seconds" -len_control=0 -max_len=200000 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 \
    "$corpus" "$seeds"
