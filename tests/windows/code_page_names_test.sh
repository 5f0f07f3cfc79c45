#!/usr/bin/env bash
# Class and resource names outside ASCII under the Chinese code pages, under wine (x86_64):
# the world probe's jar (its names marked UTF-8 by the JDK's jar tool) and a library named
# "庫 1.jar" packed with the recording stand-in, whose main looks world.Grüße, 中文.txt,
# the library's world/mr/Which.class and a missing 無.txt up through the executable's
# natives. Each row runs in a locale whose ANSI code page is the one named, shown by the
# stand-in's ANSI form of 中.
# usage: code_page_names_test.sh LAUNCHER.EXE ORU-PACK RECORDING-STAND-IN.DLL WORLD-JARS-DIR
set -u
launcher=$1 pack=$2 stand_in=$3 world=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
hex() { od -An -tx1 -v "$1" | tr -d ' \n'; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d" LOCPATH=$work/locales
mkdir -p "$LOCPATH" && cp "$stand_in" "$work/runtime.dll" && cp "$world/mr.jar" "$work/庫 1.jar"
"$pack" --launcher "$launcher" --jar "$world/app.jar" --lib "$work/庫 1.jar" -o "$work/app.exe" \
  --config "jvmdll Z:$work/runtime.dll" --config "jre_order c" || fail "oru-pack failed"
class=$(hex "$world/classes/world/Grüße.class")
text=$(hex "$(dirname "$0")/../java/world/中文.txt")
library_class=$(hex "$world/mr-base/world/mr/Which.class")
[ -n "$class" ] && [ -n "$text" ] && [ -n "$library_class" ] ||
  fail "the world probe's files are missing in $world"

# locale, its ANSI code page, 中 in that code page
for row in "zh_CN 936 d6d0" "zh_TW 950 a4a4"; do
  set -- $row
  localedef -i "$1" -f UTF-8 "$LOCPATH/$1.UTF-8" >/dev/null 2>&1
  rm -f "$work/report"
  LC_ALL=$1.UTF-8 ORU_STAND_IN_REPORT="Z:$work/report" timeout 120 wine "$work/app.exe" \
    >/dev/null 2>&1
  report=$(cat "$work/report" 2>&1)
  grep -qx "ansi $3" "$work/report" || fail "$1: not code page $2: $report"
  grep -qxF "define world.Grüße $class" "$work/report" || fail "$2: world.Grüße: $report"
  grep -qxF "resource 中文.txt oru:t.jar!%E4%B8%AD%E6%96%87.txt $text" "$work/report" ||
    fail "$2: 中文.txt: $report"
  grep -qxF "resource world/mr/Which.class oru:libs/%E5%BA%AB%201.jar!world/mr/Which.class \
$library_class" "$work/report" || fail "$2: the class in 庫 1.jar: $report"
  grep -qxF "resource 無.txt - " "$work/report" || fail "$2: 無.txt was found: $report"
done
echo "ok: world.Grüße defined, 中文.txt and a class of 庫 1.jar read through their URLs" \
  "under code pages 936 and 950"
