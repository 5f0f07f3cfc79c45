#!/usr/bin/env bash
# Installs what building and testing oru needs on Debian 12, when it is missing, and
# unpacks the 32-bit Java runtime that the linux32 tests run on.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(
  build-essential cmake ninja-build pkg-config zlib1g-dev libgtest-dev googletest
  libbenchmark-dev openjdk-17-jdk-headless libasm-java
  ant junit4 libhamcrest-java clang clang-format libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  g++-multilib lib32z1-dev qemu-user-static
  wine wine64 xvfb xauth xdotool icoutils locales valgrind osslsigncode openssl
  x11-utils imagemagick file python3 python3-pefile
  # OpenJFX, whose modules the test of a JavaFX application without main starts it with
  openjfx
  # the Maven plugin and the Maven sample, built offline from Debian's Maven repository
  maven libmaven-plugin-tools-java libmaven3-core-java libmaven-compiler-plugin-java
  libmaven-resources-plugin-java libmaven-jar-plugin-java libmaven-install-plugin-java
  libsurefire-java
)
# wine64 is named on purpose: Debian's wine accepts wine32 instead, and the 32-bit
# loader, once installed, takes over the wine command for every program.
scripts/install-packages.sh "${packages[@]}"
scripts/fetch-jre32.sh
