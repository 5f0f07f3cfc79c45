#!/usr/bin/env bash
# Installs the Debian packages named that are not installed yet (as root, or with sudo).
# usage: scripts/install-packages.sh PACKAGE...
set -euo pipefail
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
retry="$(dirname "$0")/apt-retry.sh"
"$retry" $sudo apt-get update -qq
"$retry" $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
