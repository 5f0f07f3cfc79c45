#!/usr/bin/env bash
# Folder names and arguments outside the ANSI code page, under wine (x86_64): the same
# packed executable, started from each folder of the table (and under a name outside the
# code page), reads its archive comment and its .cfg, and
# the recording stand-in runtime gets a class path and -Doru.app.path= that it opens
# and main's arguments as their exact UTF-16; a runtime home in such a folder loads.
# Then the console twin (--console): a
# failed launch prints its message on standard error and exits with 1.
# usage: paths_test.sh LAUNCHER.EXE ORU-PACK RECORDING-STAND-IN.DLL
set -u
launcher=$1 pack=$2 stand_in=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
cp "$stand_in" "$work/runtime.dll"
"$pack" --launcher "$launcher" --main-class probe.Main -o "$work/app.exe" \
  --config "jvmdll Z:$work/runtime.dll" --config "jre_order c" || fail "oru-pack failed"

# A folder whose full Windows path (Z: and the Unix path) is 250 characters long.
long=$work/long
while [ $(( ${#long} + 2 )) -lt 240 ]; do long=$long/abcdefghij; done
long=$long/$(printf 'x%.0s' $(seq $(( 250 - ${#long} - 3 ))))
for exe in "$work/ascii/app.exe" "$work/Zoë/app.exe" "$work/日本語/app.exe" "$work/😀/app.exe" \
  "$long/app.exe" "$work/ascii/日本.exe"; do
  mkdir -p "$(dirname "$exe")" && cp "$work/app.exe" "$exe"
  printf 'property from.file=1\r\n' >"${exe%.exe}.cfg"
  rm -f "$work/report" "$work/trace"
  ORU_STAND_IN_REPORT="Z:$work/report" ORU_TRACE="Z:$work/trace" \
    timeout 120 wine "$exe" "Grüße" "日本" "😀" >/dev/null 2>&1
  what="${exe#"$work/"}"
  LC_ALL=C grep -q 'config: archive comment: [1-9]' "$work/trace" 2>/dev/null ||
    fail "$what: the configuration was not read: $(cat "$work/trace" 2>&1)"
  LC_ALL=C grep -q 'config: file .*: 22 bytes' "$work/trace" || fail "$what: the .cfg was not read"
  grep -q '^app-path opens ' "$work/report" || fail "$what: oru.app.path: $(cat "$work/report")"
  grep -q '^classpath opens ' "$work/report" && ! grep -q '^classpath cannot' "$work/report" ||
    fail "$what: class path: $(cat "$work/report")"
  [ "$(sed -n 's/^string //p' "$work/report" | tail -3 | tr '\n' ' ')" = "Grüße 日本 😀 " ] ||
    fail "$what: the arguments arrived as: $(sed -n 's/^string //p' "$work/report")"
  grep -q '^main called' "$work/report" || fail "$what: main was not called"
done

# A runtime found through JAVA_HOME in such a folder is loaded by its short form.
mkdir -p "$work/😀/jdk/bin/server" && cp "$stand_in" "$work/😀/jdk/bin/server/jvm.dll"
"$pack" --launcher "$launcher" --main-class probe.Main -o "$work/ascii/home.exe" \
  --config "jre_order e" || fail "oru-pack failed"
rm -f "$work/report"
JAVA_HOME="Z:$work/😀/jdk" ORU_STAND_IN_REPORT="Z:$work/report" \
  timeout 120 wine "$work/ascii/home.exe" >/dev/null 2>&1
grep -q '^main called' "$work/report" || fail "no start through JAVA_HOME in a folder named 😀"

"$pack" --launcher "$launcher" --main-class probe.Main -o "$work/tool.exe" --console \
  --config "jre_order c" || fail "oru-pack --console failed"
timeout 120 wine "$work/tool.exe" >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" = 1 ] || fail "the console twin's failed launch exited with $rc"
grep -q 'Error: Java Runtime Environment not found\.' "$work/err" ||
  fail "the failure is not on standard error: $(cat "$work/err")"
echo "ok: folders ascii, Zoë, 日本語, 😀 and 250 characters, and 日本.exe; arguments exact;" \
  "JAVA_HOME in 😀; the console twin's failure on standard error with exit code 1"
