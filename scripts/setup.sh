#!/usr/bin/env bash
# Installs what building and testing oru needs on Debian 12, when it is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config zlib1g-dev libgtest-dev googletest
  libbenchmark-dev openjdk-17-jdk-headless libasm-java
  ant junit4 libhamcrest-java clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb xauth xdotool icoutils
  x11-utils imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
