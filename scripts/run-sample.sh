#!/usr/bin/env bash
# Sets up, builds kiss2bmp and converts set 0 of the bundled sample doll into out/pip, then
# prints the report.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset app >/dev/null
cmake --build --preset app --target kiss2bmp
mkdir -p out/pip
./build/app/cli/kiss2bmp --set "${1:-0}" samples/pip/pip.cnf out/pip
echo "== out/pip/pip.txt"
cat out/pip/pip.txt
