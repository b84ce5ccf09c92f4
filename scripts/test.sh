#!/usr/bin/env bash
# Sets up, builds and runs every test: the whole suite once under the sanitizers, what differs in
# the optimised build (kiss2bmp's process and its golden output), the portable tests and the
# sample doll built for Windows and run under Wine, then short fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --tests
bash scripts/test-ratio.sh

for preset in asan default; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== desktop entry, manual page, Debian package"
desktop-file-validate ui/kissconv.desktop
if man --warnings -l cli/kiss2bmp.1 2>&1 >/dev/null | grep .; then echo "kiss2bmp.1 has warnings" >&2; exit 1; fi
rm -f build/default/kissconv_*.deb
(cd build/default && cpack -G DEB >/dev/null && lintian --fail-on error kissconv_*.deb)

bash scripts/test-windows.sh

echo "== fuzz: short runs"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
