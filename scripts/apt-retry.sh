#!/usr/bin/env bash
# Runs one apt step, and once more after a short wait when it fails: a Debian mirror in
# the middle of a sync serves index files of the wrong size, or drops the package files
# its old index named, for a minute or so. Before repeating an install or a download the
# index is read again. The second failure ends with the package manager's own lines.
# usage: scripts/apt-retry.sh [sudo] [env VAR=VALUE...] apt-get ARGUMENT...
set -uo pipefail
"$@" && exit 0
echo "apt step failed; retrying in 20 seconds: $*" >&2
sleep 20
case " $* " in
  *" update "*) ;;
  *) sudo=""
     [ "$(id -u)" -ne 0 ] && sudo=sudo
     $sudo apt-get update -qq || true ;;
esac
exec "$@"
