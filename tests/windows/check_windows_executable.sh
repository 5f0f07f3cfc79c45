#!/usr/bin/env bash
# Checks a Windows launcher: PE format, GUI subsystem, system-DLL imports only, exactly
# the launcher's natives exported under the names the Java side binds, and the message tables
# in English, traditional and simplified Chinese. Prints the size; the 32-bit launcher
# may take at most 288 KiB, since every packed application carries it (256 KiB before
# the registry search for today's installers and the wide-path handling, 272 KiB before
# ZIP64 jars, UTF-8 names as the JDK reads them and the checks of runtime images).
# usage: check_windows_executable.sh EXE OBJDUMP PE32|PE32+
set -u
exe=$1 objdump=$2 format=$3
fail() { echo "FAIL: $*"; exit 1; }

headers=$("$objdump" -p "$exe") || fail "objdump cannot read $exe"
magic=$(grep -E '^Magic' <<<"$headers")
case $format in
  PE32)  grep -q '(PE32)' <<<"$magic" || fail "not PE32: $magic" ;;
  PE32+) grep -q '(PE32+)' <<<"$magic" || fail "not PE32+: $magic" ;;
esac
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI-subsystem program"

allowed='^(kernel32|user32|gdi32|advapi32|msvcrt|shell32|ole32|ws2_32|comctl32)\.dll$'
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  [[ $lower =~ $allowed ]] || fail "imports a non-system DLL: $dll"
done < <(grep 'DLL Name:' <<<"$headers" | awk '{print $3}')

natives="KestrunClassLoader_findClass@12 KestrunClassLoader_findResource@12
KestrunClassLoader_findResources@12 Handler_loadResourceData@12 Handler_loadResourceInfo@12
Handler_openResourceStream@12 Handler_readResourceStream@28 Handler_closeResourceStream@16
SplashScreen_nativeGetSplashScreen@8 SplashScreen_nativeAutoClose@12 SplashScreen_nativeClose@8"
expected=$(for native in $natives; do
  # 32-bit names carry the stdcall decoration; 64-bit names are the plain JNI names.
  if [ "$format" = PE32 ]; then echo "_Java_com_vostrand_oru_$native"; else echo "Java_com_vostrand_oru_${native%@*}"; fi
done | sort)
exported=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | awk '$1 == "[" && $2 ~ /\]$/ {print $3; next} $1 ~ /^\[/ && $1 ~ /\]$/ {print $2}' | sort)
[ "$exported" = "$expected" ] || fail "exports differ: expected
$expected
got
$exported"

for entry in "1033 Error" "1028 錯誤" "2052 错误"; do
  read -r language caption <<<"$entry"
  block=$(mktemp)
  wrestool -x --raw --type=6 --name=1 --language="$language" "$exe" >"$block" 2>/dev/null
  [ -s "$block" ] || fail "no string table for language $language"
  needle=$(printf '%s' "$caption" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n')
  od -An -tx1 "$block" | tr -d ' \n' | grep -q "$needle" || fail "language $language lacks its caption"
  rm -f "$block"
done
size=$(stat -c %s "$exe")
# A launcher that carries added resources (ORU_NO_SIZE_LIMIT set) is an application.
[ "$format" = PE32 ] && [ -z "${ORU_NO_SIZE_LIMIT:-}" ] && [ "$size" -gt 294912 ] \
  && fail "$size bytes, more than 288 KiB"
echo "ok: $exe ($size bytes)"
