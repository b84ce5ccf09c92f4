#!/usr/bin/env bash
# Cross-builds kiss2bmp.exe for 64-bit Windows (the app's optimised build, no tests) and leaves it
# in dist/ with README-windows.txt: one file that runs without any DLL beside it.
#
# Usage: bash scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --windows
cmake --preset windows-app >/dev/null
cmake --build --preset windows-app
mkdir -p dist
cp build/windows-app/cli/kiss2bmp.exe dist/kiss2bmp.exe
cp packaging/README-windows.txt dist/README-windows.txt
echo "dist/kiss2bmp.exe and dist/README-windows.txt are ready"
