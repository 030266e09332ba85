#!/usr/bin/env bash
# The program's own sources keep their layers, and the check does notice a
# tree that does not (an upward include, a loop between two subsystems).
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
check="$root/tools/layers/check_layers.sh"
failed=0

bash "$check" "$root/src" || { echo "FAIL: the program's sources break the layers"; failed=1; }

bad=$(mktemp -d)
trap 'rm -rf "$bad"' EXIT
mkdir -p "$bad/platform/engine" "$bad/kit" "$bad/search" "$bad/matching"
echo '#include "kit/screen.h"' > "$bad/platform/engine/table.cpp"
echo '#include "matching/rules.h"' > "$bad/search/list.cpp"
echo '#include "search/list.h"' > "$bad/matching/rules.cpp"
out=$(bash "$check" "$bad") && { echo "FAIL: a broken tree passed"; failed=1; }
grep -q 'upward include: platform/engine/table.cpp' <<< "$out" || { echo "FAIL: upward include not named"; failed=1; }
grep -q 'include loop among: .*matching' <<< "$out" || { echo "FAIL: loop not named"; failed=1; }

[ $failed -eq 0 ] && echo "layer check: all cases passed"
exit $failed
