#!/usr/bin/env bash
# Fails when a C or C++ source differs from what clang-format makes of it (.clang-format),
# naming the files; `scripts/check_format.sh --fix` rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=$(clang-format --dry-run "${files[@]}" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: .*/\1/p' | sort -u)
if [ -z "$bad" ]; then
  echo "format: ${#files[@]} files as clang-format makes them"
  exit 0
fi
echo "format: not as clang-format makes them (scripts/check_format.sh --fix):" $bad >&2
exit 1
