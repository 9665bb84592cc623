#!/usr/bin/env bash
# The example fractals: each loads and can be computed and is stored as the program writes it,
# and the tour finds every window's file beside it when opened from another folder.
set -euo pipefail
cli="$(realpath "$1")"
examples="$(cd "$(dirname "$0")/../../examples" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

count=0
for file in "$examples"/*.vlf; do
  "$cli" check "$file" >/dev/null
  "$cli" resave "$file" "$work/again.vlf"
  cmp -s "$file" "$work/again.vlf" ||
    { echo "$(basename "$file") is not as the program writes it"; exit 1; }
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "no examples in $examples"; exit 1; }

cd "$work"
"$cli" check "$examples/tour.tkp" >/dev/null
echo "$count examples and the tour check"
