#!/usr/bin/env bash
# Sets up, builds every target and runs every test: the README's first command (the
# demo), Linux unit and integration tests, the same for the 32-bit Linux build under qemu
# on the 32-bit Java runtime, the sanitizer build's unit tests, the Windows x86_64 tests
# under wine, the i686 inspection, the Debian package installed and used, the Maven
# plugin building its sample offline, and a bounded run of the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export WINEDEBUG=-all
# A new wine prefix must not stop to offer its .NET and HTML add-ons.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
status=0
run() { echo "== $*"; "$@" || status=1; }
run scripts/check_format.sh
run scripts/check_layers.sh
run scripts/check_demo.sh
run ctest --test-dir build/linux --output-on-failure
# The tests on the newest Java need one of 24 or later under /usr/lib/jvm.
grep -qsE '^JAVA_VERSION="(2[4-9]|[3-9][0-9])' /usr/lib/jvm/*/release ||
  echo "skipped: no Java 24+ (the tests on the newest Java did not run)"
run ctest --test-dir build/linux32 --output-on-failure
run ctest --test-dir build/asan --output-on-failure
ORU_SKIP_SETUP=1 run scripts/windows-check.sh
run scripts/package.sh
run scripts/check_package.sh
run scripts/maven-sample.sh
if [ -x scripts/fuzz.sh ]; then run scripts/fuzz.sh "${ORU_FUZZ_SECONDS:-60}"; fi
[ $status -eq 0 ] && echo "== all tests passed" || echo "== some tests FAILED"
exit $status
