#!/usr/bin/env bash
# Unpacks Debian's 32-bit Java runtime into build/jre32 for the linux32 tests, without
# installing it: nothing i386 is installed over the system's packages.
# usage: scripts/fetch-jre32.sh   (prints nothing when the runtime is already there)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD/build/jre32
home=$root/usr/lib/jvm/java-17-openjdk-i386
[ -e "$home/lib/client/libjvm.so" ] && [ ! -e "$home/lib/server" ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Unpacking the 32-bit Java runtime into $root"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
if ! apt-cache show openjdk-17-jre-headless:i386 >/dev/null 2>&1; then
  scripts/apt-retry.sh $sudo apt-get update -qq
fi
download=$(mktemp -d)
trap 'rm -rf "$download"' EXIT
# Its libraries need only the C and C++ runtimes and zlib at 32 bits, which the
# multilib packages (g++-multilib, lib32z1-dev) provide.
(cd "$download" && "$OLDPWD"/scripts/apt-retry.sh apt-get download -qq -o APT::Sandbox::User=root openjdk-17-jre-headless:i386)
rm -rf "$root"
mkdir -p "$root"
dpkg -x "$download"/openjdk-17-jre-headless_*_i386.deb "$root"
# The package's links into /etc/java-17-openjdk (jvm.cfg, conf/) point at the system's
# files, which belong to another version or are missing (jvm-i386.cfg): they are pointed
# at the copies unpacked beside the runtime.
find "$root/usr" -type l -lname '/etc/java-17-openjdk/*' -print0 |
  while IFS= read -r -d '' link; do
    ln -sfnr "$root$(readlink "$link")" "$link"
  done
# Under qemu the server VM may hang or stop on an internal error; the client VM runs.
# A search of the home takes the first of lib/client and lib/server that the file
# system lists, so only the client VM is kept.
rm -rf "$home/lib/server"
[ -e "$home/lib/client/libjvm.so" ] || { echo "no 32-bit runtime in $home" >&2; exit 1; }
