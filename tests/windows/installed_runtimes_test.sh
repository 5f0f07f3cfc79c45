#!/usr/bin/env bash
# Runtimes as today's installers leave them, under wine: registry keys written with
# `wine reg add` and PATH entries (WINEPATH) lead the launcher to a stand-in runtime
# library, laid out below a runtime home as bin\server\jvm.dll, whose start fails; each
# launch must end in that start ("Java Virtual Machine starts failed.", the library
# traced). A library of the wrong machine type (the stand-in with its PE machine field
# set to x86) is passed over with a trace line; with nothing else left the launch ends
# in "Java Runtime Environment not found.".
# usage: installed_runtimes_test.sh LAUNCHER.EXE STAND-IN.DLL
set -u
source_exe=$1 stand_in=$2
work=$(mktemp -d)
# Every key the test writes lies below one of these; they go when it ends.
written=('HKLM\SOFTWARE\Eclipse Adoptium' 'HKLM\SOFTWARE\JavaSoft\JDK' 'HKLM\SOFTWARE\Azul Systems'
         'HKCU\SOFTWARE\Eclipse Adoptium')
remove_keys() {
  for key in "${written[@]}"; do wine reg delete "$key" /f >/dev/null 2>&1; done
  wine reg delete "${written[0]}" /f /reg:32 >/dev/null 2>&1
}
cleanup() {
  remove_keys
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
exe="$work/tool.exe"
cp "$source_exe" "$exe"
windows() { echo "Z:$1" | tr / '\\'; }

# A runtime home below $work: bin\java.exe and bin\server\jvm.dll (the stand-in).
plant() {
  mkdir -p "$work/$1/bin/server"
  cp "$stand_in" "$work/$1/bin/server/jvm.dll"
  : >"$work/$1/bin/java.exe"
}
plant temurin
plant oracle
plant zulu
plant user
plant zip
plant x86
# The x86 home's library claims the x86 machine type (0x14c) in its PE header.
pe=$(od -An -tu4 -j60 -N4 "$work/x86/bin/server/jvm.dll" | tr -d ' ')
printf '\x4c\x01' | dd of="$work/x86/bin/server/jvm.dll" bs=1 seek=$((pe + 4)) conv=notrunc 2>/dev/null

add_key() {  # KEY VALUE DATA [reg options]
  wine reg add "$1" /v "$2" /d "$3" /f "${@:4}" >/dev/null 2>&1 || fail "reg add $1"
}

# Starts the launcher, dismisses its message box, and checks the box's text and the trace.
# usage: launch NAME "EXPECTED TEXT" TRACE-PATTERN [WINEPATH]
launch() {
  local name=$1 expected=$2 pattern=$3 winepath=${4:-}
  rm -f "$work/trace.txt" "$work/err"
  cat >"$work/run.sh" <<'INNER'
exe=$1 work=$2
ORU_TRACE="Z:$work/trace.txt" WINEDEBUG=trace+msgbox wine "$exe" >/dev/null 2>"$work/err" &
pid=$!
window=
for _ in $(seq 1 120); do
  window=$(xdotool search --name '^Error$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] && xdotool key --window "$window" Return
wait $pid
echo $? >"$work/rc"
INNER
  WINEPATH="$winepath" env -u JAVA_HOME -u JRE_HOME xvfb-run -a bash "$work/run.sh" "$exe" "$work"
  grep -qF "MSGBOX_OnInit L\"$expected\"" "$work/err" ||
    fail "$name: no message box \"$expected\": $(grep -a MSGBOX_OnInit "$work/err")"
  [ "$(cat "$work/rc")" = 0 ] || fail "$name: exit code $(cat "$work/rc")"
  grep -aqE "$pattern" "$work/trace.txt" ||
    fail "$name: the trace lacks /$pattern/: $(grep -a 'runtime' "$work/trace.txt")"
  echo "ok: $name"
}
started="Java Virtual Machine starts failed."
notFound="Java Runtime Environment not found."
library() { echo "runtime library Z:.*\\\\$1\\\\bin\\\\server\\\\jvm\.dll"; }

add_key 'HKLM\SOFTWARE\Eclipse Adoptium\JDK\21.0.1.12\hotspot\MSI' Path "$(windows "$work/temurin")"
launch "Temurin MSI (HKLM, Adoptium's key)" "$started" "$(library temurin)"
add_key 'HKLM\SOFTWARE\JavaSoft\JDK\22.0.1' JavaHome "$(windows "$work/oracle")"
launch "Oracle JDK 22 beside Temurin 21: the higher version" "$started" "$(library oracle)"
remove_keys
add_key 'HKLM\SOFTWARE\Azul Systems\Zulu\zulu-17' InstallationPath "$(windows "$work/zulu")"
launch "Zulu" "$started" "$(library zulu)"
remove_keys
add_key 'HKCU\SOFTWARE\Eclipse Adoptium\JRE\17.0.9.9\hotspot\MSI' Path "$(windows "$work/user")"
launch "per-user install (HKCU)" "$started" "$(library user)"
remove_keys
# Written in the 32-bit view only: the x86_64 launcher does not look there.
add_key 'HKLM\SOFTWARE\Eclipse Adoptium\JDK\21.0.1.12\hotspot\MSI' Path "$(windows "$work/temurin")" /reg:32
launch "a key of 32-bit programs, unseen by the x86_64 launcher" "$notFound" "no runtime library found"
remove_keys

launch "java.exe on PATH only" "$started" "$(library zip)" "$(windows "$work/zip/bin")"
launch "a PATH runtime of the wrong machine type, then a usable one" "$started" \
  "a 32-bit library, this launcher loads 64-bit ones: passed over" \
  "$(windows "$work/x86/bin");$(windows "$work/zip/bin")"
grep -aqE "$(library zip)" "$work/trace.txt" || fail "the usable PATH runtime was not taken"
launch "only a PATH runtime of the wrong machine type" "$notFound" \
  "x86.*a 32-bit library, this launcher loads 64-bit ones: passed over" "$(windows "$work/x86/bin")"
