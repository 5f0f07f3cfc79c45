#!/usr/bin/env bash
# Runtimes as today's installers leave them, under wine: registry keys (imported with
# `wine reg import`) and PATH entries (WINEPATH) lead the launcher to a stand-in runtime
# library, laid out below a runtime home as bin\server\jvm.dll, whose start fails; each
# launch must end in that start ("Java Virtual Machine starts failed.", the library
# traced). A library of the wrong machine type (the stand-in with its PE machine field
# set to x86), or one that is no whole library (empty, cut short, a text), is passed over
# with a trace line; with nothing else left the launch ends in "Java Runtime Environment
# not found.". So are values that are no strings, versions that overflow, and relative
# PATH elements, though the current directory holds a runtime where they point.
# usage: installed_runtimes_test.sh LAUNCHER.EXE STAND-IN.DLL
set -u
# One X server for every launch.
if [ -z "${ORU_XVFB:-}" ]; then ORU_XVFB=1 exec xvfb-run -a bash "$0" "$@"; fi
source_exe=$1 stand_in=$2
work=$(mktemp -d)
fail() { echo "FAIL: $*"; exit 1; }
exe="$work/tool.exe"
cp "$source_exe" "$exe"
windows() { echo "Z:$1" | tr / '\\'; }

# Every key the test writes lies below one of these: each scenario starts without them,
# and they go when the test ends.
written='HKEY_LOCAL_MACHINE\SOFTWARE\Eclipse Adoptium
HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Eclipse Adoptium
HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\JDK
HKEY_LOCAL_MACHINE\SOFTWARE\Azul Systems
HKEY_CURRENT_USER\SOFTWARE\Eclipse Adoptium'
# Replaces those keys with the given ones, in one import; DATA in hex(N):... form is
# written as it is (N: the value's type), any other as a string.
# usage: keys [KEY VALUE DATA]...
keys() {
  { echo REGEDIT4
    while read -r key; do printf '[-%s]\n' "$key"; done <<<"$written"
    while [ $# -ge 3 ]; do
      case $3 in
        hex\(*) printf '[%s]\n"%s"=%s\n' "$1" "$2" "$3" ;;
        *) printf '[%s]\n"%s"="%s"\n' "$1" "$2" "${3//\\/\\\\}" ;;
      esac
      shift 3
    done; } >"$work/keys.reg"
  wine reg import "$(windows "$work/keys.reg")" >/dev/null 2>&1 || fail "reg import: $(cat "$work/keys.reg")"
}
trap 'keys; rm -rf "$work"' EXIT

# A runtime home below $work: bin\java.exe and bin\server\jvm.dll (the stand-in).
for home in temurin oracle zulu user zip x86 empty cut text; do
  mkdir -p "$work/$home/bin/server"
  cp "$stand_in" "$work/$home/bin/server/jvm.dll"
  : >"$work/$home/bin/java.exe"
done
# The x86 home's library claims the x86 machine type (0x14c) in its PE header.
pe=$(od -An -tu4 -j60 -N4 "$work/x86/bin/server/jvm.dll" | tr -d ' ')
printf '\x4c\x01' | dd of="$work/x86/bin/server/jvm.dll" bs=1 seek=$((pe + 4)) conv=notrunc 2>/dev/null
# What an interrupted update leaves: an empty library, its first half, a text.
: >"$work/empty/bin/server/jvm.dll"
truncate -s $(($(stat -c %s "$stand_in") / 2)) "$work/cut/bin/server/jvm.dll"
echo "jvm.dll, version 21" >"$work/text/bin/server/jvm.dll"

# Starts the launcher, dismisses its message box, and checks the box's text and the trace.
# usage: launch NAME "EXPECTED TEXT" TRACE-PATTERN [WINEPATH]
# Starts in the folder $from, when set.
launch() {
  local name=$1 expected=$2 pattern=$3 window=
  rm -f "$work/trace.txt"
  (cd "${from:-$work}" && ORU_TRACE="$(windows "$work/trace.txt")" WINEPATH="${4:-}" \
    WINEDEBUG=trace+msgbox exec env -u JAVA_HOME -u JRE_HOME wine "$exe") >/dev/null 2>"$work/err" &
  local pid=$!
  for _ in $(seq 1 120); do
    window=$(xdotool search --name '^Error$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] && xdotool key --window "$window" Return
  wait $pid
  local rc=$?
  grep -qF "MSGBOX_OnInit L\"$expected\"" "$work/err" ||
    fail "$name: no message box \"$expected\": $(grep -a MSGBOX_OnInit "$work/err")"
  [ "$rc" = 0 ] || fail "$name: exit code $rc"
  grep -aqE "$pattern" "$work/trace.txt" ||
    fail "$name: the trace lacks /$pattern/: $(grep -a 'runtime' "$work/trace.txt")"
  echo "ok: $name"
}
started="Java Virtual Machine starts failed."
notFound="Java Runtime Environment not found."
library() { echo "runtime library Z:.*\\\\$1\\\\bin\\\\server\\\\jvm\.dll"; }
passedOver="a 32-bit library, this launcher loads 64-bit ones: passed over"
temurin21='HKEY_LOCAL_MACHINE\SOFTWARE\Eclipse Adoptium\JDK\21.0.1.12\hotspot\MSI'

keys "$temurin21" Path "$(windows "$work/temurin")"
launch "Temurin MSI (HKLM, Adoptium's key)" "$started" "$(library temurin)"
keys "$temurin21" Path "$(windows "$work/temurin")" \
  'HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\JDK\22.0.1' JavaHome "$(windows "$work/oracle")"
launch "Oracle JDK 22 beside Temurin 21: the higher version" "$started" "$(library oracle)"
keys 'HKEY_LOCAL_MACHINE\SOFTWARE\Azul Systems\Zulu\zulu-17' InstallationPath "$(windows "$work/zulu")"
launch "Zulu" "$started" "$(library zulu)"
keys 'HKEY_CURRENT_USER\SOFTWARE\Eclipse Adoptium\JRE\17.0.9.9\hotspot\MSI' Path "$(windows "$work/user")"
launch "per-user install (HKCU)" "$started" "$(library user)"
# In the 32-bit programs' view only: the x86_64 launcher does not look there.
keys 'HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Eclipse Adoptium\JDK\21.0.1.12\hotspot\MSI' Path \
  "$(windows "$work/temurin")"
launch "a key of 32-bit programs, unseen by the x86_64 launcher" "$notFound" "no runtime library found"
keys

launch "java.exe on PATH only" "$started" "$(library zip)" "$(windows "$work/zip/bin")"
launch "a PATH runtime of the wrong machine type, then a usable one" "$started" "$passedOver" \
  "$(windows "$work/x86/bin");$(windows "$work/zip/bin")"
grep -aqE "$(library zip)" "$work/trace.txt" || fail "the usable PATH runtime was not taken"
launch "only a PATH runtime of the wrong machine type" "$notFound" "x86.*$passedOver" \
  "$(windows "$work/x86/bin")"

for broken in empty cut text; do
  launch "a PATH runtime whose jvm.dll is $broken, then a whole one" "$started" \
    "$broken.*not a complete library for this machine: passed over" \
    "$(windows "$work/$broken/bin");$(windows "$work/zip/bin")"
  grep -aqE "$(library zip)" "$work/trace.txt" || fail "the whole PATH runtime was not taken"
done
relative="is relative: skipped"
from="$work/zip" launch "PATH element .\\bin, the current folder holding a runtime" "$notFound" \
  "PATH element \\.\\\\bin $relative" '.\bin'
from="$work" launch "PATH element zip\\bin, below the current folder" "$notFound" \
  "PATH element zip\\\\bin $relative" 'zip\bin'

# A number is no path, whatever its bytes spell; a version that overflows is none.
keys "$temurin21" Path "hex(4):$(printf '%s\0' "$(windows "$work/temurin")" | od -An -v -tx1 |
  tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
launch "a REG_DWORD value whose bytes spell a home" "$notFound" "no runtime library found"
keys "$temurin21" Path "$(windows "$work/temurin")" \
  'HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\JDK\99999999999999999999' JavaHome "$(windows "$work/oracle")"
launch "a version key that overflows beside Temurin 21" "$started" "$(library temurin)"
keys
