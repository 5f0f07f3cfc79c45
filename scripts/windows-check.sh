#!/usr/bin/env bash
# Every Windows check in one command: builds oru-pack for this machine (and the world
# probe's jars, which the code page test packs) and both Windows launchers, then runs the
# Windows tests: the executables' format, imports, exports, message tables, manifest and
# resources added by oru-pack (both targets); the unit tests, the message boxes, the
# splash window, the natives' binding and names under Chinese code pages under wine
# (x86_64). Ends with the size of both launchers.
# usage: scripts/windows-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[ -n "${ORU_SKIP_SETUP:-}" ] || scripts/setup.sh
cmake -S . -B build/linux -G Ninja >/dev/null
cmake --build build/linux --target oru-pack oru_world_jars
scripts/build.sh win64 win32
export WINEDEBUG=-all
# A new wine prefix must not stop to offer its .NET and HTML add-ons.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
status=0
ctest --test-dir build/win64 --output-on-failure || status=1
ctest --test-dir build/win32 --output-on-failure || status=1
for target in win32 win64; do
  echo "== $target launcher: $(stat -c %s build/$target/src/oru-launcher.exe) bytes"
done
exit $status
