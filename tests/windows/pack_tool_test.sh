#!/usr/bin/env bash
# oru-pack for Windows, under wine, from a folder laid out as the Windows zip (oru-pack.exe
# with the launchers beside it): packs the sample into an i686 executable (the default
# for *.exe) and an x86_64 one (--target), lists them, adds resources, and fails with one
# line and no output. The executables pass the Windows executable check.
# usage: pack_tool_test.sh ORU-PACK.EXE LAUNCHER-X86.EXE LAUNCHER-X64.EXE SAMPLE-JARS OBJDUMP
set -u
pack=$(realpath -m "$1") x86=$(realpath -m "$2") x64=$(realpath -m "$3") jars=$(realpath -m "$4") objdump=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
for file in "$x86" "$jars/app.jar"; do
  [ -f "$file" ] || fail "no $file (scripts/build.sh linux win32 first)"
done
export WINEDEBUG=-all
mkdir -p "$work/oru" "$work/app/libs" "$work/app/empty"
cp "$pack" "$work/oru/oru-pack.exe"
cp "$x86" "$work/oru/oru-launcher-windows-x86.exe"
cp "$x64" "$work/oru/oru-launcher-windows-x64.exe"
cp "$jars/app.jar" "$work/app/"
cp "$jars/greeting.jar" "$jars/plugins.jar" "$work/app/libs/"
echo "notes" >"$work/app/libs/notes.txt"
cd "$work/app"
# Runs oru-pack.exe; its output, without the CR of the Windows line ends, in out and err.
run() {
  wine "$work/oru/oru-pack.exe" "$@" >out.raw 2>err.raw
  local status=$?
  tr -d '\r' <out.raw >out
  tr -d '\r' <err.raw >err
  return $status
}

run --version || fail "--version: $(cat err)"
grep -qx "oru-pack [0-9.]*" out || fail "--version printed: $(cat out)"
run --jar app.jar --lib libs --minjre 11 -o hello.exe || fail "packing hello.exe: $(cat err)"
run --target windows-x64 --jar app.jar --lib libs -o hello64.exe || fail "packing hello64.exe: $(cat err)"
# Whether packed executable $2 starts with launcher $1, but for the PE checksum, which
# covers the whole packed file.
starts_with() {
  local lfanew sum
  lfanew=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  sum=$((lfanew + 4 + 20 + 64 + 1))  # cmp counts bytes from 1
  cmp -l -n "$(stat -c %s "$1")" "$1" "$2" 2>/dev/null |
    awk -v lo=$sum -v hi=$((sum + 3)) '$1 < lo || $1 > hi { bad = 1 } END { exit bad }'
}
starts_with "$x86" hello.exe || fail "hello.exe is not the i686 launcher"
starts_with "$x64" hello64.exe || fail "hello64.exe is not the x86_64 launcher"
ORU_NO_SIZE_LIMIT=1 bash "$here/check_windows_executable.sh" hello.exe "$objdump" PE32 >/dev/null ||
  fail "hello.exe fails the executable check"
bash "$here/check_windows_executable.sh" hello64.exe "$objdump" PE32+ >/dev/null ||
  fail "hello64.exe fails the executable check"

run --list hello.exe || fail "--list: $(cat err)"
for line in "mainclass sample.Hello" "minjre 11"; do
  grep -qx "$line" out || fail "--list lacks \"$line\": $(cat out)"
done
entries=$(grep -oE '	(t\.jar|libs/.*)$' out | tr -d '\t' | paste -sd ' ')
[ "$entries" = "t.jar libs/greeting.jar libs/plugins.jar" ] || fail "entries: $entries"

convert -size 64x48 xc:'#c03060' -type TrueColor BMP3:splash.bmp
convert -size 32x32 xc:'#3060c0' app.ico
run --jar app.jar --lib libs -o res.exe --splash splash.bmp --icon app.ico \
  --version-info "ProductVersion=1.2.3.4" || fail "packing with resources: $(cat err)"
[ "$(wrestool -x --raw --type=2 --name=100 res.exe | od -An -tx1 | tr -d ' \n')" = \
  "$(tail -c +15 splash.bmp | od -An -tx1 | tr -d ' \n')" ] || fail "bitmap 100 differs"
wrestool -l res.exe | grep -q -- "--type=14" || fail "no icon group"
wrestool -x --raw --type=16 res.exe | iconv -f UTF-16LE -t UTF-8 2>/dev/null | grep -qa "1.2.3.4" ||
  fail "no version 1.2.3.4"

while IFS='|' read -r args expected; do
  read -ra words <<<"$args"
  run "${words[@]}" -o bad.exe && fail "$args: accepted"
  [ "$(cat err)" = "oru-pack: $expected" ] || fail "$args: printed $(cat err)"
  [ -e bad.exe ] && fail "$args: left an output behind"
done <<'CASES'
--jar missing.jar|cannot read missing.jar
--jar app.jar --lib empty|the folder empty holds no .jar
--target windows-arm --jar app.jar|unknown target windows-arm (known: windows-x86, windows-x64, linux-x64)
--jar libs/notes.txt|libs/notes.txt is not a jar (no ZIP archive in it)
CASES
echo "ok: oru-pack.exe packed i686 and x86_64 executables, listed them, added resources, refused bad input"
