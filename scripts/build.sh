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
    linux32) args=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-i686.cmake) ;;
    asan)  args=(-DORU_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake) ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake) ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
  echo "== building $target"
  cmake -S . -B "build/$target" -G Ninja "${args[@]}" >/dev/null
  cmake --build "build/$target"
done
