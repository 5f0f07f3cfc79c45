#!/usr/bin/env bash
# Sets up, builds every target and runs every test: Linux unit and integration tests,
# the sanitizer build's unit tests, the Windows x86_64 tests under wine, the i686
# inspection, and a bounded fuzzing run of the archive reader.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export WINEDEBUG=-all
# A new wine prefix must not stop to offer its .NET and HTML add-ons.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
status=0
run() { echo "== $*"; "$@" || status=1; }
run ctest --test-dir build/linux --output-on-failure
run ctest --test-dir build/asan --output-on-failure
run ctest --test-dir build/win64 --output-on-failure
run ctest --test-dir build/win32 --output-on-failure
if [ -x scripts/fuzz.sh ]; then run scripts/fuzz.sh "${ORU_FUZZ_SECONDS:-60}"; fi
[ $status -eq 0 ] && echo "== all tests passed" || echo "== some tests FAILED"
exit $status
