#!/usr/bin/env bash
# Measures packed executables against `java -cp` on the same runtime: start-up, class
# loading, a large application, peak resident memory. Prints medians and ratios.
# usage: bench/run.sh [RUNS]     (RUNS per command, default 15)
# Uses build/linux (built when missing); ORU_BENCH_LAUNCHER names another launcher to
# pack, for before-and-after figures; ORU_BENCH_LARGE_MB the library jars' size (40).
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-15}
build=$root/build/linux
work=$build/bench-work
launcher=${ORU_BENCH_LAUNCHER:-$build/src/oru-launcher}
large_mb=${ORU_BENCH_LARGE_MB:-40}

[ -x "$build/src/oru-launcher" ] && [ -x "$build/tools/oru-pack" ] || scripts/build.sh linux
for tool in javac jar /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/setup.sh; apt-get install time)" >&2; exit 2; }
done
java_home=$(dirname "$(dirname "$(readlink -f "$(command -v java)")")")
java=$java_home/bin/java
jvm=$java_home/lib/server/libjvm.so
[ -f "$jvm" ] || { echo "bench: no $jvm" >&2; exit 2; }

mkdir -p "$work"
cd "$work"

pack() {  # pack OUTPUT ARGS...: a packed executable running on the same runtime as $java
  local out=$1
  shift
  "$build/tools/oru-pack" --launcher "$launcher" -o "$out" \
    --config "jvmdll $jvm" "$@" >/dev/null
}

# ---- inputs -------------------------------------------------------------------------
# The generated jars are kept while the generator is unchanged; the executables are
# always packed again, with the launcher as it is now.
stamp=$(cksum <"$root/bench/generate.sh")
if [ "$(cat stamp 2>/dev/null)" != "$stamp" ]; then
  echo "== generating the applications in $work"
  "$root/bench/generate.sh"
  echo "$stamp" >stamp
fi

# Library jars for the large application: Debian's Java directory, each file once, in
# name order, until about $large_mb MB.
libs=()
lib_bytes=0
while read -r jar; do
  [ "$lib_bytes" -ge $((large_mb * 1000000)) ] && break
  libs+=("$jar")
  lib_bytes=$((lib_bytes + $(stat -c %s "$jar")))
done < <(for f in /usr/share/java/*.jar; do readlink -f "$f"; done | sort -u)

lib_args=()
lib_pairs=()
for jar in "${libs[@]}"; do
  lib_args+=(--lib "$jar")
  lib_pairs+=("libs/$(basename "$jar")=$jar")
done
lib_path=$(IFS=:; echo "${libs[*]}")

rm -rf bin runs
mkdir -p bin runs
pack bin/hello --jar hello.jar
pack bin/classes --jar classes.jar
pack bin/classes-deflated --main-class LoadClasses t.jar=classes.jar
pack bin/large --jar large.jar "${lib_args[@]}"
pack bin/large-deflated --main-class Main t.jar=large.jar "${lib_pairs[@]}"

# ---- measuring -----------------------------------------------------------------------
# Commands of one group run in turn, the first of each round moving one place, so that
# a change in the machine's load falls on all of them alike. Each run appends its wall
# time (us), its peak resident set (KB) and the time it printed itself (us, or 0).
run_once() {  # run_once LABEL EXPECTED COMMAND...
  local label=$1 expected=$2 start end own
  shift 2
  start=$EPOCHREALTIME
  /usr/bin/time -f %M -o rss.txt "$@" >out.txt 2>err.txt || true
  end=$EPOCHREALTIME
  if ! grep -q "$expected" out.txt; then
    echo "bench: $label did not print \"$expected\":" >&2
    cat out.txt err.txt >&2
    exit 1
  fi
  own=$(sed -n 's/.* in \([0-9]*\) us$/\1/p' out.txt)
  [ -n "$label" ] && echo "$((${end/./} - ${start/./})) $(tail -1 rss.txt) ${own:-0}" >>"runs/$label"
  return 0
}

declare -A command_of expected_of
define() {  # define LABEL EXPECTED COMMAND...
  local label=$1
  expected_of[$label]=$2
  shift 2
  command_of[$label]="$*"
}

measure_group() {  # measure_group LABEL...: two warm-up rounds, then $runs rounds
  local labels=("$@") n=$# round k label
  for round in $(seq -2 "$runs"); do
    for k in $(seq 0 $((n - 1))); do
      label=${labels[$(((round + 2 + k) % n))]}
      # shellcheck disable=SC2086
      run_once "$([ "$round" -gt 0 ] && echo "$label")" "${expected_of[$label]}" ${command_of[$label]}
    done
  done
}

median() {  # median FILE COLUMN
  awk -v c="$2" '{print $c}' "$1" | sort -n |
    awk '{a[NR] = $1} END {print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2)}'
}

define hello-packed hello bin/hello
define hello-java hello "$java -cp hello.jar Hello"
define classes-packed "loaded 3000 classes" bin/classes
define classes-deflated "loaded 3000 classes" bin/classes-deflated
define classes-java "loaded 3000 classes" "$java -cp classes.jar LoadClasses"
define large-packed "main reached" bin/large
define large-deflated "main reached" bin/large-deflated
define large-java "main reached" "$java -cp large.jar:$lib_path Main"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "== measuring, $runs runs of each command after two warm-up runs (load average $load_before)"
measure_group hello-packed hello-java
measure_group classes-packed classes-deflated classes-java
measure_group large-packed large-deflated large-java
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- report --------------------------------------------------------------------------
ms() { awk -v v="$1" 'BEGIN {printf "%.1f ms", v / 1000}'; }
mb() { awk -v v="$1" 'BEGIN {printf "%.1f MB", v / 1024}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) CPUs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
echo "runtime: $("$java" -version 2>&1 | head -1) ($jvm)"
echo "large application: ${#libs[@]} library jars, $(awk -v b="$lib_bytes" 'BEGIN {printf "%.1f MB", b / 1e6}') from /usr/share/java"
echo "load average: $load_before before, $load_after after; medians of $runs runs"
echo
printf '%-34s %12s %12s %7s %s\n' "measurement" "packed" "java -cp" "ratio" "target"
row() {  # row TITLE PACKED JAVA COLUMN TARGET
  local p j
  p=$(median "runs/$2" "$4")
  j=$(median "runs/$3" "$4")
  printf '%-34s %12s %12s %7s %s\n' "$1" "$(ms "$p")" "$(ms "$j")" "$(ratio "$p" "$j")" "${5:-}"
}
rss_row() {  # rss_row TITLE PACKED JAVA ALLOWANCE_KB
  local p j
  p=$(median "runs/$2" 2)
  j=$(median "runs/$3" 2)
  printf '%-34s %12s %12s %7s %s\n' "$1" "$(mb "$p")" "$(mb "$j")" "$(mb $((p - j)) | sed 's/^[0-9]/+&/')" \
    "${4:+<= +$(mb "$4")}"
}
row "start-up, hello world" hello-packed hello-java 1 "<= 1.10"
row "class loading, 3,000 classes" classes-packed classes-java 3 "<= 1.00"
row "  (deflated t.jar)" classes-deflated classes-java 3
row "  whole run" classes-packed classes-java 1
row "  whole run (deflated t.jar)" classes-deflated classes-java 1
row "large application, start to main" large-packed large-java 1 "<= 1.10"
row "  (deflated library jars)" large-deflated large-java 1
echo
printf '%-34s %12s %12s %7s %s\n' "peak resident memory" "packed" "java -cp" "diff" "target"
rss_row "hello world" hello-packed hello-java
rss_row "3,000 classes" classes-packed classes-java
rss_row "  (deflated t.jar)" classes-deflated classes-java
rss_row "large application" large-packed large-java $((lib_bytes / 10240))
rss_row "  (deflated library jars)" large-deflated large-java $((lib_bytes / 10240))
