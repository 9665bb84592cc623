#!/usr/bin/env bash
# The engine's results are exact only without fused multiply-add: a*b+c rounded once differs
# from the product rounded and then the sum. No instruction of the FMA families may appear in
# the programs, whatever instruction sets their vector loops are compiled for.
set -euo pipefail
found=0
for binary in "$@"; do
  [ -f "$binary" ] || { echo "no program $binary"; exit 1; }
  hits="$(objdump -d --no-show-raw-insn "$binary" |
    grep -E '^\s+[0-9a-f]+:\s+v?f(n)?m(add|sub|addsub|subadd)[0-9]*(p|s)(s|d|h)\b' || true)"
  if [ -n "$hits" ]; then
    echo "$binary: $(wc -l <<<"$hits") fused multiply-add instructions, the first:"
    head -n 5 <<<"$hits"
    found=1
  fi
done
# The check itself must see such an instruction where there is one.
probe="$(mktemp -d)"
trap 'rm -rf "$probe"' EXIT
printf 'double f(double a, double b, double c) { return __builtin_fma(a, b, c); }\n' >"$probe/f.c"
cc -O2 -mfma -c "$probe/f.c" -o "$probe/f.o"
objdump -d --no-show-raw-insn "$probe/f.o" |
  grep -qE '^\s+[0-9a-f]+:\s+v?f(n)?m(add|sub|addsub|subadd)[0-9]*(p|s)(s|d|h)\b' ||
  { echo "the check misses the fused multiply-add of a probe"; exit 1; }
[ "$found" -eq 0 ] && echo "no fused multiply-add in $# programs"
exit "$found"
