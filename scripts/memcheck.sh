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

# The failed launches are the packed sample in other surroundings: a configuration file
# beside it (read before the archive comment), or a main class that does not exist
# (named only in the comment, so changed there, to a name of the same length).
for name in runs not-found minjre-too-low main-class-missing; do
  cp "$build/samples/hello" "$out/$name"
  rm -f "$out/$name.cfg"
done
printf 'jre_order c\r\n' >"$out/not-found.cfg"
printf 'minjre 999.0\r\n' >"$out/minjre-too-low.cfg"
perl -0777 -pi -e 's/mainclass sample\.Hello\r\n/mainclass sample.Missi\r\n/' "$out/main-class-missing"

status=0
check() {  # check NAME PATTERN: runs launch NAME under memcheck; PATTERN must match its output
  local name=$1 pattern=$2 code=0
  LANG=C valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible \
      --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=99 --num-callers=40 \
      --smc-check=all-non-file --suppressions="$root/tests/valgrind/jvm.supp" \
      --log-file="$out/$name.log" "$out/$name" one two >"$out/$name.out" 2>&1 || code=$?
  local errors leaks last
  errors="$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*(suppressed: \([0-9]*\).*/\1 errors (\2 of the machine suppressed)/p' "$out/$name.log")"
  leaks="$(sed -n 's/.* \(definitely\|indirectly\|possibly\) lost: \([0-9,]*\) bytes.*/\1 \2/p' \
           "$out/$name.log" | paste -sd ';' - | sed 's/;/, /g')"
  last="$(tail -n 1 "$out/$name.out")"
  echo "$name: exit $code, $errors; lost: ${leaks:-nothing}; last line: $last"
  if [ "$code" -ne 0 ] || ! grep -qE "$pattern" "$out/$name.out"; then status=1; fi
}
check runs "^Hello from a Java application"
check not-found "^Error: Java Runtime Environment not found\.$"
check minjre-too-low "^Error: Java virtual machine version .* is too low, require 999\.0 or higher\.$"
check main-class-missing "^Error: The main startup class could not be found\.$"
exit $status
