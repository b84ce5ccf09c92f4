#!/usr/bin/env bash
# Lines of tests and fuzz harnesses against lines of product code: non-blank lines of tracked .cpp, .h, .js and .mjs
# files (the page's script is product code, its tests are tests); fails when the ratio passes the limit of 0.33.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  git ls-files -- "$@" | grep -E '\.(cpp|h|js|mjs)$' | while read -r f; do [ -f "$f" ] && echo "$f"; done |
    xargs -r grep -cve '^\s*$' | awk -F: '{s += $NF} END {print s + 0}'
}
tests=$(count tests fuzz)
product=$(count platform imaging archives doll fkiss conversion web ui cli)
awk -v t="$tests" -v p="$product" 'BEGIN {
  r = t / p
  printf "tests and fuzz: %d lines, product: %d lines, ratio %.3f (limit 0.33)\n", t, p, r
  exit !(r <= 0.33)
}'
