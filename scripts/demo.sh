#!/usr/bin/env bash
# Sets up, builds oru for Linux, packs the sample application into one executable with
# oru-pack and runs it. Arguments reach the application; without any, two non-ASCII
# ones show that arguments arrive intact.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh linux
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
