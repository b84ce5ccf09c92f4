#!/usr/bin/env bash
# Cross-builds kiss2bmp.exe and the window kissconv.exe for 64-bit Windows (the app's optimised
# build, no tests) with the libraries built from Debian's sources (scripts/windows-deps.sh), and
# leaves dist/kiss2bmp-windows.zip: the two .exe files, each running without any DLL beside it
# (importing only the system's own), and README.txt (CRLF line ends, for Notepad).
#
# Usage: bash scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --windows
bash scripts/windows-deps.sh
cmake --preset windows-app >/dev/null
cmake --build --preset windows-app
package=build/windows-app/package
rm -rf "$package" && mkdir -p "$package" dist
cp build/windows-app/cli/kiss2bmp.exe build/windows-app/ui/win32/kissconv.exe "$package/"
# A UTF-8 mark first: Notepad then reads the Japanese messages right whatever the code page.
{ printf '\xEF\xBB\xBF' && sed 's/$/\r/' packaging/README-windows.txt; } >"$package/README.txt"
(cd "$package" && cmake -E tar cf kiss2bmp-windows.zip --format=zip kissconv.exe kiss2bmp.exe README.txt)
mv "$package/kiss2bmp-windows.zip" dist/
echo "dist/kiss2bmp-windows.zip is ready: kissconv.exe, kiss2bmp.exe and README.txt"
