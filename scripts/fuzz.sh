#!/usr/bin/env bash
# Builds the fuzzers with clang (ASan, UBSan) and runs them for a bounded time: the
# archive reader and store, and the configuration text and archive comment.
# Usage: scripts/fuzz.sh [seconds] [archive|config]...
#   seconds: the total time (default 60), shared by the fuzzers named (default both;
#   the archive fuzzer, which has far more to cover, gets two thirds of it).
# Exits non-zero when a fuzzer finds a fault. Corpora stay in build/fuzz/corpus-*.
set -euo pipefail

seconds="${1:-60}"
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -eq 0 ] && fuzzers=(archive config)
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz"

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORU_FUZZ=ON -DORU_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target archive_fuzzer config_fuzzer fuzz_seed_generator

seeds="$build/seeds"
mkdir -p "$seeds/archive" "$seeds/config" "$build/artifacts"
"$build/tests/fuzz/fuzz_seed_generator" "$seeds/archive" "$seeds/config"

share() {  # the seconds of fuzzer $1
  if [ ${#fuzzers[@]} -eq 1 ]; then echo "$seconds"
  elif [ "$1" = archive ]; then echo $((seconds * 2 / 3))
  else echo $((seconds - seconds * 2 / 3)); fi
}

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
    *) echo "unknown fuzzer $fuzzer" >&2; exit 2 ;;
  esac
  echo "== ${fuzzer}_fuzzer for $(share "$fuzzer") s"
  # libFuzzer exits non-zero on a crash, a sanitizer report, a leak or a blown memory limit.
  "$build/tests/fuzz/${fuzzer}_fuzzer" \
      -max_total_time="$(share "$fuzzer")" -rss_limit_mb=2048 -timeout=10 \
      -artifact_prefix="$build/artifacts/$fuzzer-" -print_final_stats=1 \
      "$corpus" "${options[@]}" || status=1
done
exit $status
