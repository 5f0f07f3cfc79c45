#!/usr/bin/env bash
# The resources of a Windows launcher, read back with wrestool: its manifest; and, once
# oru-pack has added them, the splash bitmap 100, the icon and the version resource with
# its numeric block, while the message tables and exports stay intact. A file that is
# not a BMP or an icon is refused with one line and no output. Every executable written,
# with resources, plain and as a console twin (--console: only the subsystem differs),
# carries the checksum that Debian's python3-pefile computes over the whole file.
# usage: resources_test.sh LAUNCHER.EXE ORU-PACK OBJDUMP PE32|PE32+
set -u
launcher=$1 pack=$2 objdump=$3 format=$4
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
[ -x "$pack" ] || fail "no oru-pack for this machine at $pack (build the linux target first)"

manifest=$(wrestool -x --raw --type=24 --name=1 "$launcher" 2>/dev/null)
for needle in 'level="asInvoker"' e2011457-1546-43c5-a5fe-008deee3d3f0 \
  35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
  1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a \
  'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'; do
  grep -qF "$needle" <<<"$manifest" || fail "the manifest lacks $needle"
done
grep -qi dpiaware <<<"$manifest" && fail "the manifest declares DPI awareness"
grep -q REDOZUZAZ "$launcher" || fail "the splash window code is not linked"

convert -size 400x300 gradient:'#ff0000-#0000ff' -type TrueColor BMP3:"$work/splash.bmp"
convert -size 48x48 xc:'#3060c0' \( +clone -resize 32x32 \) \( -clone 0 -resize 16x16 \) \
  "$work/app.ico"
"$pack" --launcher "$launcher" --main-class Main -o "$work/app.exe" --splash "$work/splash.bmp" \
  --icon "$work/app.ico" --version-info "FileDescription=Demo application" \
  --version-info "ProductName=Démo" --version-info "CompanyName=Example" \
  --version-info "FileVersion=1.2.3.4" --version-info "ProductVersion=5.6.7" \
  --version-info "LegalCopyright=(c) Example" || fail "oru-pack with resources failed"

hex() { od -An -tx1 -v | tr -d ' \n'; }
[ "$(wrestool -x --raw --type=2 --name=100 "$work/app.exe" | hex)" = \
  "$(tail -c +15 "$work/splash.bmp" | hex)" ] || fail "bitmap 100 differs from the BMP"
# wrestool rebuilds the ICO file from the group and its images (and pads its end).
wrestool -x --type=14 --name=1 "$work/app.exe" 2>/dev/null | head -c "$(stat -c %s "$work/app.ico")" \
  | cmp -s - "$work/app.ico" || fail "the icon read back differs from app.ico"
version=$(wrestool -x --raw --type=16 --name=1 "$work/app.exe" | hex)
# The numeric block: signature, structure version, file 1.2.3.4, product 5.6.7.0.
grep -q 'bd04effe0000010002000100040003000600050000000700' <<<"$version" \
  || fail "the version's numeric block is not 1.2.3.4 / 5.6.7.0"
for text in "Demo application" "Démo" "Example" "1.2.3.4" "5.6.7" "(c) Example" \
  FileDescription ProductName CompanyName LegalCopyright VarFileInfo; do
  grep -q "$(printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE | hex)" <<<"$version" \
    || fail "the version resource lacks \"$text\""
done
ORU_NO_SIZE_LIMIT=1 bash "$here/check_windows_executable.sh" "$work/app.exe" "$objdump" "$format" >/dev/null \
  || fail "the launcher with resources no longer passes the executable check"

"$pack" --launcher "$launcher" --main-class Main -o "$work/gui.exe" || fail "oru-pack failed"
"$pack" --launcher "$launcher" --main-class Main -o "$work/console.exe" --console \
  || fail "oru-pack --console failed"
for exe in app gui console; do
  /usr/bin/python3 -c 'import pefile, sys; sys.exit(0 if pefile.PE(sys.argv[1]).verify_checksum() else 1)' \
    "$work/$exe.exe" || fail "$exe.exe: the checksum is not the file's"
done
"$objdump" -p "$work/gui.exe" | grep -q 'Subsystem.*(Windows GUI)' || fail "gui.exe: not GUI"
"$objdump" -p "$work/console.exe" | grep -q 'Subsystem.*(Windows CUI)' \
  || fail "console.exe: not a console program"
# Beside the subsystem and the checksum (bytes 64 to 71 of the optional header), and the
# configuration line that says so, the twin is the GUI executable.
optional=$(( $(od -An -tu4 -j60 -N4 "$launcher") + 24 ))
cmp -l "$work/gui.exe" "$work/console.exe" | awk -v lo=$((optional + 65)) -v hi=$((optional + 72)) \
  -v end=$(stat -c %s "$launcher") '$1 < lo || ($1 > hi && $1 <= end) {bad = 1} END {exit bad}' \
  || fail "the console twin differs from the GUI executable beyond its header fields"

echo "not a picture" >"$work/text.bmp"
for option in --splash --icon; do
  "$pack" --launcher "$launcher" --main-class Main -o "$work/bad.exe" "$option" "$work/text.bmp" \
    2>"$work/error" && fail "$option accepted a text file"
  [ "$(wc -l <"$work/error")" = 1 ] || fail "$option: not one line: $(cat "$work/error")"
  [ -e "$work/bad.exe" ] && fail "$option left an output behind"
done
# Strings whose version resource would pass the 16-bit lengths of its nodes.
"$pack" --launcher "$launcher" --main-class Main -o "$work/bad.exe" \
  --version-info "Comments=$(head -c 40000 /dev/zero | tr '\0' c)" 2>"$work/error" \
  && fail "a version resource past 64 KiB was accepted"
grep -q "it holds at most 65535" "$work/error" || fail "long version strings: $(cat "$work/error")"
[ -e "$work/bad.exe" ] && fail "long version strings left an output behind"
echo "ok: manifest; bitmap 100, icon and version 1.2.3.4 added; bad files refused;"\
  "version strings past 64 KiB refused; checksums over whole files; the console twin differs only in its subsystem"
