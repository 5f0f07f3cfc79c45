#!/usr/bin/env bash
# Builds the fuzzers with clang (ASan, UBSan) and runs them for a bounded time: the
# archive reader and store, the configuration text and archive comment, oru-pack's
# readers of pictures, icons and version strings, the "oru:" URL texts, and jar manifests.
# Usage: scripts/fuzz.sh [seconds] [archive|config|resources|url|manifest]...
#   seconds: the total time (default 60), shared by the fuzzers named (default all five)
#   in proportion 10:6:6:4:4 in the order above: of 60 s, 20 s for the archive fuzzer,
#   which has far more to cover, and 8 s each for the URL and manifest fuzzers, whose
#   small inputs reach little code.
# Exits non-zero when a fuzzer finds a fault. Corpora stay in build/fuzz/corpus-*.
set -euo pipefail

seconds="${1:-60}"
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -eq 0 ] && fuzzers=(archive config resources url manifest)
for fuzzer in "${fuzzers[@]}"; do
  case $fuzzer in
    archive | config | resources | url | manifest) ;;
    *) echo "unknown fuzzer $fuzzer" >&2; exit 2 ;;
  esac
done
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz"

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORU_FUZZ=ON -DORU_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target "${fuzzers[@]/%/_fuzzer}" fuzz_seed_generator

seeds="$build/seeds"
mkdir -p "$build/artifacts"
"$build/tests/fuzz/fuzz_seed_generator" "$seeds"

# Each fuzzer's weight, and the seconds of fuzzer $1: its share of the named ones' weights.
weight() { case $1 in archive) echo 10 ;; config | resources) echo 6 ;; *) echo 4 ;; esac; }
total=0
for fuzzer in "${fuzzers[@]}"; do total=$((total + $(weight "$fuzzer"))); done
share() { echo $((seconds * $(weight "$1") / total)); }

status=0
for fuzzer in "${fuzzers[@]}"; do
  corpus="$build/corpus-$fuzzer"
  mkdir -p "$corpus"
  case $fuzzer in
    # Full lengths from the start (-len_control=0): the seeds over 32 KB must not be cut.
    archive) options=(-len_control=0 -max_len=200000 "$seeds/archive") ;;
    # The archive seeds are executables' tails too: their comments are searched.
    config) options=(-max_len=16384 -dict="$root/tests/fuzz/config.dict" "$seeds/config"
                     "$seeds/archive") ;;
    resources) options=(-max_len=65536 "$seeds/resources") ;;
    url) options=(-max_len=4096 "$seeds/url") ;;
    manifest) options=(-max_len=16384 "$seeds/manifest") ;;
  esac
  echo "== ${fuzzer}_fuzzer for $(share "$fuzzer") s"
  # libFuzzer exits non-zero on a crash, a sanitizer report, a leak or a blown memory limit.
  "$build/tests/fuzz/${fuzzer}_fuzzer" \
      -max_total_time="$(share "$fuzzer")" -rss_limit_mb=2048 -timeout=10 \
      -artifact_prefix="$build/artifacts/$fuzzer-" -print_final_stats=1 \
      "$corpus" "${options[@]}" || status=1
done
exit $status
