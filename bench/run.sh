#!/usr/bin/env bash
# Measures packed executables against `java -cp` on the same runtime: start-up, class
# loading, a large application, peak resident memory. Prints medians and ratios.
#
# usage: bench/run.sh [RUNS]          RUNS of each command (default 15), after two warm-ups
#   ORU_BENCH_BASELINE=LAUNCHER       also packs with LAUNCHER (say, an older build) and
#                                     measures those executables in the same rounds
#   ORU_BENCH_LARGE_MB=N              size of the large application's library jars (40)
#   ORU_BENCH_GROUPS="hello clojure"  measures only these pairs (default: hello classes
#                                     packages large resource clojure archived)
#   ORU_BENCH_JAVA25=JAVA_HOME        the second runtime of the archived group
#                                     (default /usr/lib/jvm/temurin-25-jdk-amd64, when there)
# Uses build/linux (built when missing) and the `java` on PATH; the packed executables
# name that runtime's libjvm.so, so both sides run the same virtual machine.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-15}
build=$root/build/linux
work=$build/bench-work
baseline=${ORU_BENCH_BASELINE:-}
large_mb=${ORU_BENCH_LARGE_MB:-40}
groups=" ${ORU_BENCH_GROUPS:-hello classes packages large resource clojure archived} "
java25=${ORU_BENCH_JAVA25:-/usr/lib/jvm/temurin-25-jdk-amd64}

[ -x "$build/src/oru-launcher" ] && [ -x "$build/tools/oru-pack" ] || scripts/build.sh linux
for tool in java javac jar /usr/bin/time; do
  command -v "$tool" >/dev/null ||
    { echo "bench: $tool is missing (scripts/setup.sh; apt-get install time)" >&2; exit 2; }
done
java_home=$(dirname "$(dirname "$(readlink -f "$(command -v java)")")")
java=$java_home/bin/java
jvm=$java_home/lib/server/libjvm.so
[ -f "$jvm" ] || { echo "bench: no $jvm" >&2; exit 2; }
mkdir -p "$work"
cd "$work"

# ---- inputs -------------------------------------------------------------------------
# The generated jars are kept while the generator is unchanged; the executables are
# packed again at every run, with the launcher as it is now.
stamp=$(cksum <"$root/bench/generate.sh")
if [ "$(cat stamp 2>/dev/null)" != "$stamp" ]; then
  echo "== generating the applications in $work"
  "$root/bench/generate.sh"
  echo "$stamp" >stamp
fi

# The large application's libraries: Debian's Java directory, each file once (most
# names there are links to versioned files), in name order, until about $large_mb MB.
libs=()
lib_bytes=0
while read -r jar; do
  [ "$lib_bytes" -ge $((large_mb * 1000000)) ] && break
  libs+=("$jar")
  lib_bytes=$((lib_bytes + $(stat -c %s "$jar")))
done < <(for f in /usr/share/java/*.jar; do readlink -f "$f"; done | sort -u)
[ "$lib_bytes" -ge $((large_mb * 900000)) ] ||
  echo "bench: only $lib_bytes bytes of jars in /usr/share/java; more come with" \
    "apt-get install libicu4j-java libbcprov-java libbatik-java libxalan2-java" >&2
lib_args=()
lib_pairs=()
for jar in "${libs[@]}"; do
  lib_args+=(--lib "$jar")
  lib_pairs+=("libs/$(basename "$jar")=$jar")
done
lib_path=$(IFS=:; echo "${libs[*]}")

# A real application: Debian's Clojure (`apt-get install clojure`) evaluating one
# expression, with its three jars as libraries.
clojure_args=()
clojure_path=
for name in clojure spec.alpha core.specs.alpha; do
  jar=/usr/share/java/$name.jar
  [ -f "$jar" ] || { clojure_args=(); echo "bench: no $jar (apt-get install clojure):" \
    "the Clojure pair is left out" >&2; break; }
  clojure_args+=(--lib "$(readlink -f "$jar")")
  clojure_path+=${clojure_path:+:}$(readlink -f "$jar")
done

# Real applications started with class-data archives (the archived group): Clojure,
# Groovy and H2 from Debian's packages, on the runtime on PATH and on Java 25 when there.
# Each: name, expected output, main class, arguments, jars.
archived_apps=()
add_archived() {  # add_archived NAME EXPECTED MAIN ARGS JAR...
  local jar
  for jar in "${@:5}"; do
    [ -f "$jar" ] || { echo "bench: no $jar: the archived $1 rows are left out" >&2; return 0; }
  done
  archived_apps+=("$1")
  eval "archived_expected_$1=\$2 archived_main_$1=\$3 archived_args_$1=\$4"
  eval "archived_path_$1=$(IFS=:; readlink -f "${@:5}" | paste -sd:)"
}
add_archived clojure "^1$" clojure.main "-e '(println 1)'" /usr/share/java/clojure.jar \
  /usr/share/java/spec.alpha.jar /usr/share/java/core.specs.alpha.jar
add_archived groovy "^1$" groovy.ui.GroovyMain "-e 'println 1'" /usr/share/java/groovy-all.jar
add_archived h2 "1 row" org.h2.tools.Shell "-url jdbc:h2:mem:bench -sql 'select 1'" \
  /usr/share/java/h2.jar
archived_homes=("$java_home")
[ -x "$java25/bin/java" ] && [ "$(readlink -f "$java25")" != "$java_home" ] &&
  archived_homes+=("$java25")
feature_of() {  # feature_of JAVA_HOME: the feature release its release file names
  sed -n 's/^JAVA_VERSION="\(1\.\)\{0,1\}\([0-9]*\).*/\2/p' "$1/release"
}

# pack LAUNCHER OUTPUT ARGS...: oru-pack stores the jars; NAME=FILE entries are deflated.
# Its warnings (Debian's jars hold many classes twice) are kept in pack-warnings.txt.
pack() {
  local launcher=$1 out=$2
  shift 2
  "$build/tools/oru-pack" --launcher "$launcher" -o "$out" --config "jvmdll ${pack_jvm:-$jvm}" "$@" \
    >/dev/null 2>pack.err || { cat pack.err >&2; return 1; }
  cat pack.err >>pack-warnings.txt
}
rm -rf bin runs pack-warnings.txt
mkdir -p bin runs
launchers=("$build/src/oru-launcher")
[ -n "$baseline" ] && launchers+=("$baseline")
for launcher in "${launchers[@]}"; do
  suffix=$([ "$launcher" = "$baseline" ] && echo -baseline || true)
  pack "$launcher" "bin/hello$suffix" --jar hello.jar
  pack "$launcher" "bin/classes$suffix" --jar classes.jar
  pack "$launcher" "bin/packages$suffix" --jar packages.jar
  pack "$launcher" "bin/large$suffix" --jar large.jar "${lib_args[@]}"
  pack "$launcher" "bin/resource$suffix" --jar resource.jar --option -Xmx256m
  [ ${#clojure_args[@]} -eq 0 ] ||
    pack "$launcher" "bin/clojure$suffix" --main-class clojure.main "${clojure_args[@]}"
done
# The archived group: java -cp, java -cp with the archive it made in one training run,
# packed as nested jars, and packed --layout root --aot-cache (its archive made by the
# first warm-up run). Java 25 and later: the AOT cache; 13 and later: the dynamic archive.
export XDG_CACHE_HOME=$work/cache
rm -rf "$XDG_CACHE_HOME" archives
mkdir -p archives
declare -A archived_first
archived_defs=()
[[ $groups == *" archived "* ]] || archived_homes=()
for home in "${archived_homes[@]}"; do
  v=$(feature_of "$home")
  for app in "${archived_apps[@]}"; do
    eval "main=\$archived_main_$app args=\$archived_args_$app cp=\$archived_path_$app"
    jars=()
    for jar in ${cp//:/ }; do jars+=(--lib "$jar"); done
    pack_jvm=$home/lib/server/libjvm.so pack "${launchers[0]}" "bin/$app$v" --main-class "$main" "${jars[@]}"
    pack_jvm=$home/lib/server/libjvm.so pack "${launchers[0]}" "bin/$app$v-root" --layout root \
      --aot-cache --main-class "$main" "${jars[@]}"
    if [ "$v" -ge 25 ]; then
      make=-XX:AOTCacheOutput=archives/$app$v.aot use=-XX:AOTCache=archives/$app$v.aot
    else
      make=-XX:ArchiveClassesAtExit=archives/$app$v.jsa use=-XX:SharedArchiveFile=archives/$app$v.jsa
    fi
    eval "$home/bin/java $make -cp $cp $main $args" >/dev/null 2>&1
    # The first run's cost, training included: once, before the group's rounds.
    start=$EPOCHREALTIME
    eval "bin/$app$v-root $args" >/dev/null 2>&1
    end=$EPOCHREALTIME
    archived_first[$app$v]=$((${end/./} - ${start/./}))
    eval "expected=\$archived_expected_$app"
    archived_defs+=("$app$v|$expected|$home/bin/java -cp $cp $main $args|$home/bin/java $use -cp $cp $main $args|bin/$app$v $args|bin/$app$v-root $args")
  done
done
pack "${launchers[0]}" bin/classes-deflated --main-class LoadClasses t.jar=classes.jar
pack "${launchers[0]}" bin/large-deflated --main-class Main t.jar=large.jar "${lib_pairs[@]}"

# ---- measuring -----------------------------------------------------------------------
declare -A command_of expected_of
define() {  # define LABEL EXPECTED COMMAND... (a shell command line, quotes and all)
  local label=$1
  expected_of[$label]=$2
  shift 2
  command_of[$label]="$*"
}
define hello hello bin/hello
define hello-java hello "$java -cp hello.jar Hello"
define classes "loaded 3000 classes" bin/classes
define classes-deflated "loaded 3000 classes" bin/classes-deflated
define classes-java "loaded 3000 classes" "$java -cp classes.jar LoadClasses"
define packages "loaded 300 packages" bin/packages
define packages-java "loaded 300 packages" "$java -cp packages.jar LoadPackages"
define large "main reached" bin/large
define large-deflated "main reached" bin/large-deflated
define large-java "main reached" "$java -cp large.jar:$lib_path Main"
define resource "read 50000000 bytes" bin/resource
define resource-java "read 50000000 bytes" "$java -Xmx256m -cp resource.jar ReadResource"
if [ ${#clojure_args[@]} -gt 0 ]; then
  define clojure "^1$" "bin/clojure -e '(println 1)'"
  define clojure-java "^1$" "$java -cp $clojure_path clojure.main -e '(println 1)'"
  [ -z "$baseline" ] || define clojure-baseline "^1$" "bin/clojure-baseline -e '(println 1)'"
fi
for def in "${archived_defs[@]}"; do
  IFS='|' read -r label expected plain archived nested root <<<"$def"
  define "$label-java" "$expected" "$plain"
  define "$label-archive" "$expected" "$archived"
  define "$label-nested" "$expected" "$nested"
  define "$label-root" "$expected" "$root"
done
if [ -n "$baseline" ]; then
  define hello-baseline hello bin/hello-baseline
  define classes-baseline "loaded 3000 classes" bin/classes-baseline
  define packages-baseline "loaded 300 packages" bin/packages-baseline
  define large-baseline "main reached" bin/large-baseline
  define resource-baseline "read 50000000 bytes" bin/resource-baseline
fi

# One run: appends its wall time (us), its peak resident set (KB), the time the program
# printed for itself (us, or 0) and its CPU time, user and system (us, in steps of 10 ms)
# to runs/LABEL; warm-ups have no label. A run
# that does not print what it should stops the benchmark: a fast failure is no result.
run_once() {  # run_once LABEL COMMAND_LABEL
  local start end own
  start=$EPOCHREALTIME
  eval "/usr/bin/time -f '%M %U %S' -o usage.txt ${command_of[$2]}" >out.txt 2>err.txt || true
  end=$EPOCHREALTIME
  if ! grep -q "${expected_of[$2]}" out.txt; then
    echo "bench: $2 did not print \"${expected_of[$2]}\":" >&2
    cat out.txt err.txt >&2
    exit 1
  fi
  own=$(sed -n 's/.* in \([0-9]*\) us$/\1/p' out.txt)
  [ -z "$1" ] || tail -1 usage.txt | awk -v wall=$((${end/./} - ${start/./})) -v own="${own:-0}" \
    '{printf "%d %d %d %d\n", wall, $1, own, ($2 + $3) * 1000000}' >>"runs/$1"
}

# The commands of a group run in turn, the first of each round moving one place on,
# so that a change in the machine's load falls on all of them alike.
measure_group() {  # measure_group LABEL...
  local labels=() n round k label
  [[ $groups == *" $1 "* ]] || return 0
  for label in "$@"; do [ -n "${command_of[$label]:-}" ] && labels+=("$label"); done
  n=${#labels[@]}
  for ((round = -2; round < runs; ++round)); do
    for ((k = 0; k < n; ++k)); do
      label=${labels[$(((round + 2 + k) % n))]}
      run_once "$([ "$round" -ge 0 ] && echo "$label" || true)" "$label"
    done
  done
}

# The first pair must not run while the files just written go to disk.
sync
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "== measuring: $runs runs of each command after two warm-ups (load average $load_before)"
measure_group hello hello-baseline hello-java
measure_group classes classes-baseline classes-deflated classes-java
measure_group packages packages-baseline packages-java
measure_group large large-baseline large-deflated large-java
measure_group resource resource-baseline resource-java
measure_group clojure clojure-baseline clojure-java
for def in "${archived_defs[@]}"; do
  label=${def%%|*}
  groups+="$label "
  measure_group "$label" "$label-java" "$label-archive" "$label-nested" "$label-root"
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- report --------------------------------------------------------------------------
middle() { sort -g | awk '{a[NR] = $1} END {print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }
median() { awk -v c="$2" '{print $c}' "runs/$1" | middle; }  # median LABEL COLUMN
# The median of the ratios of runs made in the same round, so under the same load.
paired_ratio() {  # paired_ratio LABEL OTHER COLUMN
  paste -d' ' "runs/$1" "runs/$2" | awk -v c="$3" '{print $c / $(c + NF / 2)}' | middle
}
ms() { awk -v v="$1" 'BEGIN {printf "%.1f ms", v / 1000}'; }
mb() { awk -v v="$1" 'BEGIN {printf "%.1f MB", v / 1024}'; }
line() { printf '%-36s %11s %11s %7s %7s  %s\n' "$@"; }
time_row() {  # time_row TITLE LABEL COLUMN TARGET [OTHER]: LABEL against OTHER (its java -cp)
  [ -f "runs/$2" ] || return 0
  local java_label=${5:-${2%%-*}-java} cpu=
  [ "$3" = 1 ] && cpu=$(paired_ratio "$2" "$java_label" 4 | awk '{printf "%.2f", $1}')
  line "$1" "$(ms "$(median "$2" "$3")")" "$(ms "$(median "$java_label" "$3")")" \
    "$(paired_ratio "$2" "$java_label" "$3" | awk '{printf "%.2f", $1}')" "$cpu" "${4:-}"
}
rss_row() {  # rss_row TITLE LABEL ALLOWANCE_KB
  [ -f "runs/$2" ] || return 0
  local p j
  p=$(median "$2" 2)
  j=$(median "${2%%-*}-java" 2)
  line "$1" "$(mb "$p")" "$(mb "$j")" "$(awk -v d=$((p - j)) 'BEGIN {printf "%+.1f", d / 1024}')" \
    "" "${3:+at most +$(mb "$3")}"
}

echo
echo "date: $(date '+%Y-%m-%d %H:%M %Z'); $(nproc) CPUs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
echo "runtime: $("$java" -version 2>&1 | head -1), $jvm"
echo "large application: ${#libs[@]} library jars, $(awk -v b="$lib_bytes" 'BEGIN {printf "%.1f MB", b / 1e6}') from /usr/share/java"
echo "load average: $load_before before, $load_after after; medians of $runs runs"
echo
line "time (median)" "packed" "java -cp" "ratio" "CPU" "target"
time_row "start-up, hello world" hello 1 "at most 1.10"
time_row "  (baseline launcher)" hello-baseline 1
time_row "class loading, 3,000 classes" classes 3 "at most 1.00"
time_row "  (baseline launcher)" classes-baseline 3
time_row "  (deflated t.jar)" classes-deflated 3
time_row "  whole run" classes 1
time_row "300 packages, 2 MB manifest" packages 1 "at most 1.50"
time_row "  (baseline launcher)" packages-baseline 1
time_row "large application, start to main" large 1 "at most 1.10"
time_row "  (baseline launcher)" large-baseline 1
time_row "  (deflated library jars)" large-deflated 1
time_row "50 MB resource, read in 64 KiB" resource 1 "at most 1.10"
time_row "  (baseline launcher)" resource-baseline 1
time_row "  the read alone" resource 3
time_row "Clojure, -e '(println 1)'" clojure 1 "at most 1.10"
time_row "  (baseline launcher)" clojure-baseline 1
for def in "${archived_defs[@]}"; do
  label=${def%%|*}
  time_row "$label: java -cp + its archive" "$label-archive" 1
  time_row "  packed, nested" "$label-nested" 1 "at most 1.10"
  time_row "  packed, root + cache" "$label-root" 1
  time_row "  root + cache against java + archive" "$label-root" 1 "at most 1.10" "$label-archive"
  line "  root + cache, first run" "$(ms "${archived_first[$label]}")" "" "" "" "training included"
done
echo "(each ratio is the median of the ratios of the runs made in one round; CPU: the same"
echo " for user and system time, whole runs, which the machine's load disturbs less)"
echo
line "peak resident memory (median)" "packed" "java -cp" "MB more" "" "target"
rss_row "hello world" hello
rss_row "  (baseline launcher)" hello-baseline
rss_row "3,000 classes" classes
rss_row "  (baseline launcher)" classes-baseline
rss_row "  (deflated t.jar)" classes-deflated
rss_row "300 packages" packages
rss_row "  (baseline launcher)" packages-baseline
rss_row "large application" large $((lib_bytes / 10240))
rss_row "  (baseline launcher)" large-baseline $((lib_bytes / 10240))
rss_row "  (deflated library jars)" large-deflated $((lib_bytes / 10240))
rss_row "50 MB resource" resource 10240
rss_row "  (baseline launcher)" resource-baseline 10240
rss_row "Clojure" clojure
rss_row "  (baseline launcher)" clojure-baseline
