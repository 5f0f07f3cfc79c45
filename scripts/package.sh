#!/usr/bin/env bash
# Makes the Debian package, build/package/oru_<version>_amd64.deb (oru-pack, its manual
# page and the three launchers, installed under /usr), and the Windows zip,
# build/package/oru-<version>-windows-x64.zip (oru-pack.exe with the launchers beside
# it). Installs the packages it needs when missing and builds only what the two hold,
# reusing builds already there.
# usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh build-essential cmake ninja-build pkg-config zlib1g-dev \
  libgtest-dev googletest openjdk-17-jdk-headless libasm-java file \
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
configure() {  # configure TARGET CMAKE-ARGUMENT...: a build folder as scripts/build.sh makes it
  local dir=build/$1
  shift
  [ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
configure linux
configure win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
configure win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
echo "== building oru-pack and the launchers"
cmake --build build/linux --target oru-pack oru-launcher
cmake --build build/win32 --target oru-launcher
cmake --build build/win64 --target oru-pack oru-launcher

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/linux/CMakeCache.txt)
mkdir -p build/package
rm -f build/package/oru_*.deb build/package/oru-*-windows-x64.zip
echo "== the Debian package"
(cd build/linux && cpack -G DEB -B "$PWD/../package" >/dev/null)
rm -rf build/package/_CPack_Packages
dpkg-deb --info "build/package/oru_${version}_amd64.deb" | sed -n 's/^ \(Depends\|Version\):/  \1:/p'

echo "== the Windows zip"
name=oru-$version-windows-x64
stage=build/package/$name
rm -rf "$stage"
mkdir -p "$stage"
cp build/win64/tools/oru-pack.exe "$stage/"
cp build/win32/src/oru-launcher.exe "$stage/oru-launcher-windows-x86.exe"
cp build/win64/src/oru-launcher.exe "$stage/oru-launcher-windows-x64.exe"
cp build/linux/src/oru-launcher "$stage/oru-launcher-linux-x64"
strip "$stage/oru-launcher-linux-x64"
(cd build/package && cmake -E tar cf "$name.zip" --format=zip "$name")
rm -rf "$stage"
ls -l build/package/oru_"${version}"_amd64.deb "build/package/$name.zip"
