#!/usr/bin/env bash
# Sets up, builds and runs every test: the default and the sanitizer presets, then short fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

for preset in default asan; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" --timeout 600
done

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzz: short runs"
  bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
fi
