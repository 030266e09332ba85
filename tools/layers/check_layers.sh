#!/usr/bin/env bash
# Checks that the #include lines of the program's sources point one way:
#   platform <- data <- kit <- subsystems <- shell
# import (the Paradox import program) counts as a subsystem; it uses platform
# and data only.
# A folder may include its own layer and the layers below it, never one above.
# Subsystems may use one another (matching reads the request list), and the
# parts of platform/ may too, but never in a loop. Prints each offence and
# exits 1 when there is one.
#
# Usage: check_layers.sh [SRC_DIR]   (default: the src/ beside tools/)
set -u
src="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../src" && pwd)}"
[ -d "$src" ] || { echo "check_layers: no folder $src" >&2; exit 2; }

# Every include as "from-folder to-folder file:line"; platform's parts count as
# folders of their own so a loop between them shows as well.
edges=$(cd "$src" && grep -rn --include='*.h' --include='*.cpp' -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' . |
  sed -E 's#^\./##' |
  awk -F: '{
      file = $1; line = $2; text = $0
      sub(/^[^"]*"/, "", text); sub(/".*$/, "", text)
      n = split(file, f, "/"); m = split(text, t, "/")
      from = f[1]; to = t[1]
      if (from == "platform" && n > 2) from = "platform/" f[2]
      if (to == "platform" && m > 2) to = "platform/" t[2]
      if (from != to) print from, to, file ":" line
  }')

rank() {
  case "$1" in
    platform|platform/*) echo 0 ;;
    data) echo 1 ;;
    kit) echo 2 ;;
    shell) echo 4 ;;
    *) echo 3 ;;   # a subsystem
  esac
}

status=0
while read -r from to where; do
  [ -n "$from" ] || continue
  if [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
    echo "upward include: $where ($from uses $to, a higher layer)"
    status=1
  fi
done <<< "$edges"

# Loops among folders of one layer: repeatedly drop folders that use no other
# folder still left; whatever remains lies on a loop.
loops=$(printf '%s\n' "$edges" | awk 'NF >= 2 { print $1, $2 }' | sort -u | awk '
  { out[$1] = out[$1] " " $2; node[$1]; node[$2] }
  END {
    do {
      changed = 0
      for (n in node) {
        k = split(out[n], targets, " "); live = 0
        for (i = 1; i <= k; i++) if (targets[i] in node) live = 1
        if (!live) { delete node[n]; changed = 1 }
      }
    } while (changed)
    for (n in node) printf "%s ", n
  }')
if [ -n "$loops" ]; then
  echo "include loop among: $loops"
  status=1
fi

[ $status -eq 0 ] && echo "layers: every include points down or across without a loop"
exit $status
