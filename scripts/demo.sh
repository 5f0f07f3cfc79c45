#!/usr/bin/env bash
# Installs what the demo needs (compilers, CMake, zlib, GoogleTest, a JDK, ASM), builds
# oru-pack and the Linux launcher, packs the sample application into one executable with
# oru-pack and runs it. Arguments reach the application; without any, two non-ASCII
# ones show that arguments arrive intact.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh build-essential cmake ninja-build pkg-config zlib1g-dev \
  libgtest-dev googletest openjdk-17-jdk-headless libasm-java
[ -f build/linux/CMakeCache.txt ] || cmake -S . -B build/linux -G Ninja >/dev/null
cmake --build build/linux --target sample-hello
# The sample prints non-ASCII text: give Java a UTF-8 locale when the current one is not.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8*|*utf8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
[ $# -eq 0 ] && set -- "Grüße" "世界"
echo "== packed with: build/linux/tools/oru-pack --launcher build/linux/src/oru-launcher \\"
echo "     --jar app.jar --lib greeting.jar --lib plugins.jar --minjre 11 -o build/linux/samples/hello"
build/linux/tools/oru-pack --list build/linux/samples/hello
echo "== running build/linux/samples/hello $*"
build/linux/samples/hello "$@"
