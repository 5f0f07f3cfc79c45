#!/usr/bin/env bash
# Configures and builds every target: Linux x86_64 and i686, Linux with sanitizers,
# Windows x86_64 and i686.
# usage: scripts/build.sh [linux|linux32|asan|win64|win32]...   (default: all five)
set -euo pipefail
cd "$(dirname "$0")/.."
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(linux linux32 asan win64 win32)
for target in "${targets[@]}"; do
  case $target in
    linux) args=() ;;
    # The integration tests run on the 32-bit runtime that scripts/setup.sh unpacks: its
    # client VM, since the server VM can hang under the emulator, and only its interpreter.
    # qemu's i386 emulation keeps one descriptor table for all threads, so a thread that
    # returns from a signal handler finds the thread-local storage of the thread created
    # last; compiled Java code takes a signal at every armed safepoint poll, and the
    # machine then fails on a thread that believes it is another.
    linux32) args=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-i686.cmake
                   -DORU_TEST_JDK_HOME="$PWD/build/jre32/usr/lib/jvm/java-17-openjdk-i386"
                   -DORU_TEST_JVM=lib/client/libjvm.so -DORU_TEST_VM_OPTIONS=-Xint) ;;
    asan)  args=(-DORU_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake) ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake) ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
  echo "== building $target"
  cmake -S . -B "build/$target" -G Ninja "${args[@]}" >/dev/null
  cmake --build "build/$target"
done
