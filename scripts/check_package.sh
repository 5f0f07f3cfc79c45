#!/usr/bin/env bash
# The Debian package as a user has it: installs build/package/oru_<version>_amd64.deb
# (scripts/package.sh makes it), then, in a folder outside the source tree, packs the
# sample application with the installed oru-pack alone (no --launcher): the Linux
# executable runs on the real JVM; the Windows ones pass the Windows executable check,
# and the x86_64 one starts under wine and loads the stand-in runtime it is configured with.
# usage: scripts/check_package.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "FAIL: $*"; exit 1; }
deb=$(ls "$root"/build/package/oru_*_amd64.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no package in build/package (scripts/package.sh)"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
"$root"/scripts/apt-retry.sh $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" >/dev/null ||
  fail "apt-get install $deb"
pack=$(command -v oru-pack) || fail "oru-pack is not on PATH after the install"
echo "== installed: $pack ($(oru-pack --version))"
[ -f /usr/share/man/man1/oru-pack.1 ] || fail "no manual page"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/libs"
cp "$root"/build/linux/samples/hello-build/app.jar "$work/" || fail "no sample jars (scripts/build.sh linux)"
cp "$root"/build/linux/samples/hello-build/{greeting,plugins}.jar "$work/libs/"
cd "$work"
oru-pack --jar app.jar --lib libs --minjre 11 -o hello || fail "packing hello"
oru-pack --jar app.jar --lib libs -o hello.exe || fail "packing hello.exe"
oru-pack --target windows-x64 --jar app.jar --lib libs -o hello64.exe \
  --config "jvmdll Z:$root/build/win64/tests/stand_in_failing.dll" || fail "packing hello64.exe"

out=$(LC_ALL=C.UTF-8 ./hello "Grüße" 2>&1) || fail "hello failed: $out"
for expected in "Hello from a Java application packed into $work/hello" \
  "Class sample.Hello from oru:t.jar!sample/Hello.class" \
  "Service sample.plugins.LoudGreeter from oru:libs/plugins.jar!sample/plugins/LoudGreeter.class: HELLO, WORLD!" \
  "Argument 1: Grüße (U+00FC U+00DF)"; do
  grep -qxF -- "$expected" <<<"$out" || fail "hello did not print: $expected"$'\n'"$out"
done
echo "ok: the Linux executable ran the sample"

objdump=x86_64-w64-mingw32-objdump
ORU_NO_SIZE_LIMIT=1 bash "$root/tests/windows/check_windows_executable.sh" hello.exe "$objdump" PE32 ||
  fail "hello.exe (i686)"
bash "$root/tests/windows/check_windows_executable.sh" hello64.exe "$objdump" PE32+ || fail "hello64.exe"
WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d" \
  bash "$root/tests/windows/message_box_test.sh" hello64.exe "Java Virtual Machine starts failed." ||
  fail "hello64.exe under wine"
echo "ok: the installed oru-pack made a Linux and two Windows executables"
