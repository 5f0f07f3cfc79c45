#!/usr/bin/env bash
# Checks the include lines between the folders of src/ against their order: each folder
# may include itself and the folders after it, never one before it. The same order is
# the link order of their libraries (src/CMakeLists.txt) and the README's layout table.
set -euo pipefail
cd "$(dirname "$0")/.."
order="launcher bridge jvm splash archive platform support"

for folder in src/*/; do
  folder=$(basename "$folder")
  case " $order " in
    *" $folder "*) ;;
    *) echo "check_layers: src/$folder is in no layer of: $order" >&2; exit 1 ;;
  esac
done

grep -rn --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src |
  awk -v order="$order" '
    BEGIN { n = split(order, names, " "); for (i = 1; i <= n; i++) rank[names[i]] = i }
    {
      split($0, parts, ":"); file = parts[1]; line = parts[2]
      split(file, path, "/"); from = path[2]
      if (!match($0, /"[^"]*"/)) next
      included = substr($0, RSTART + 1, RLENGTH - 2)
      if (index(included, "/") == 0) next
      split(included, target, "/"); to = target[1]
      if (!(to in rank) || rank[to] >= rank[from]) next
      printf "%s:%s: %s includes %s, which is above it\n", file, line, from, included
      bad = 1
    }
    END { exit bad }' >&2 || { echo "check_layers: includes against the order: $order" >&2; exit 1; }
echo "check_layers: the includes follow $order"
