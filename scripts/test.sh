#!/usr/bin/env bash
# Sets up, builds and runs every test: the whole suite once under the sanitizers, what differs in
# the optimised build (kiss2bmp's process and its golden output), then short fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/test-ratio.sh

for preset in asan default; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== fuzz: short runs"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
