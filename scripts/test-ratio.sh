#!/usr/bin/env bash
# Lines of tests and fuzz harnesses against lines of product code (non-blank lines of tracked
# .cpp and .h files); fails when the ratio passes the project's limit of 0.40.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  git ls-files -- "$@" | grep -E '\.(cpp|h)$' | while read -r f; do [ -f "$f" ] && echo "$f"; done |
    xargs -r grep -cve '^\s*$' | awk -F: '{s += $NF} END {print s + 0}'
}
tests=$(count tests fuzz)
product=$(count platform imaging archives conversion web ui cli)
awk -v t="$tests" -v p="$product" 'BEGIN {
  r = t / p
  printf "tests and fuzz: %d lines, product: %d lines, ratio %.2f (limit 0.40)\n", t, p, r
  exit !(r <= 0.40)
}'
