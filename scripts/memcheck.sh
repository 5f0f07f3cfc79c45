#!/usr/bin/env bash
# Runs the Linux launcher under Valgrind's memcheck: a launch that runs an application
# (the packed sample) and each failed launch (runtime not found, minjre too low, main
# class missing), with the virtual machine's own doings suppressed (tests/valgrind/jvm.supp).
# Prints one line a launch and keeps the full reports in build/memcheck/. Exits non-zero
# when memcheck reports an invalid access or a leak, or a launch ends otherwise than expected.
# Slow: a virtual machine under memcheck takes about a minute to start.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/linux"
[ -x "$build/samples/hello" ] || "$root/scripts/build.sh" linux
out="$root/build/memcheck"
mkdir -p "$out"
jdk_include="$(sed -n 's/^ORU_JDK_INCLUDE_DIR:PATH=//p' "$build/CMakeCache.txt")"
jvm="$(readlink -f "$jdk_include/..")/lib/server/libjvm.so"

pack() {  # pack NAME CONFIG-LINE...: the launcher with the sample class and those lines
  local name=$1 args=()
  shift
  for line in "$@"; do args+=(--config "$line"); done
  "$build/tools/oru-pack" --launcher "$build/src/oru-launcher" --output "$out/$name" \
      "${args[@]}" sample/Hello.class="$build/samples/hello-classes/sample/Hello.class" >/dev/null
}
cp "$build/samples/hello" "$out/runs"
pack not-found "jre_order c" "mainclass sample.Hello"
pack minjre-too-low "jvmdll $jvm" "jre_order c" "minjre 999.0" "mainclass sample.Hello"
pack main-class-missing "jvmdll $jvm" "jre_order c" "mainclass sample.Missing"

status=0
check() {  # check NAME EXPECTED-START-OF-LAST-LINE: runs launch NAME under memcheck
  local name=$1 expected=$2 code=0
  LANG=C valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible \
      --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=99 --num-callers=40 \
      --smc-check=all-non-file --suppressions="$root/tests/valgrind/jvm.supp" \
      --log-file="$out/$name.log" "$out/$name" one two >"$out/$name.out" 2>"$out/$name.err" \
      || code=$?
  local last errors leaks
  last="$(cat "$out/$name.out" "$out/$name.err" | tail -n 1)"
  errors="$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*(suppressed: \([0-9]*\).*/\1 errors (\2 of the machine suppressed)/p' "$out/$name.log")"
  leaks="$(sed -n 's/.* \(definitely\|indirectly\|possibly\) lost: \([0-9,]*\) bytes.*/\1 \2/p' \
           "$out/$name.log" | paste -sd ';' - | sed 's/;/, /g')"
  echo "$name: exit $code, $errors; lost: ${leaks:-nothing}; last line: $last"
  if [ "$code" -ne 0 ] || [[ "$last" != "$expected"* ]]; then status=1; fi
}
check runs "Arguments: one | two"
check not-found "Error: Java Runtime Environment not found."
check minjre-too-low "Error: Java virtual machine version "
check main-class-missing "Error: The main startup class could not be found."
exit $status
