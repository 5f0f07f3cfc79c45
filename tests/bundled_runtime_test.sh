#!/usr/bin/env bash
# A runtime shipped with the application: jlink makes one into dist/runtime, oru-pack
# --runtime-dir runtime packs the sample into dist/, and the executable, started from
# another folder with PATH, JAVA_HOME and JRE_HOME emptied, runs on that runtime.
# usage: bundled_runtime_test.sh ORU-PACK LAUNCHER JDK-HOME SAMPLE-JARS-FOLDER
set -u
pack=$1 launcher=$2 jdk=$3 jars=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkdir -p "$work/libs"
cp "$jars/greeting.jar" "$jars/plugins.jar" "$work/libs/"
"$jdk/bin/jlink" --add-modules java.base --no-header-files --no-man-pages --strip-debug \
  --output "$work/dist/runtime" || fail "jlink"
"$pack" --launcher "$launcher" --jar "$jars/app.jar" --lib "$work/libs" --runtime-dir runtime \
  -o "$work/dist/hello" || fail "oru-pack --runtime-dir"
"$pack" --list "$work/dist/hello" | grep -qx "jvmdll runtime/lib/server/libjvm.so" ||
  fail "no jvmdll line for the runtime: $("$pack" --list "$work/dist/hello" | head -5)"
mkdir "$work/elsewhere"
out=$(cd "$work/elsewhere" && env PATH= JAVA_HOME= JRE_HOME= LC_ALL=C.UTF-8 ../dist/hello 2>&1) ||
  fail "the executable failed: $out"
grep -qx "Running on Java .* from $work/dist/runtime" <<<"$out" ||
  fail "not on the bundled runtime: $out"
grep -q "^Service sample.plugins.LoudGreeter from oru:libs.plugins.jar" <<<"$out" ||
  fail "the library folder was not packed: $out"
echo "ok: the sample ran on the runtime in dist/runtime"
