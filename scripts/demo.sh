#!/usr/bin/env bash
# Sets up, builds oru for Linux, packs the sample application into one executable and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh linux
echo "== running build/linux/samples/hello (the sample application packed into the launcher)"
build/linux/samples/hello "$@"
