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
# Each program imports only the system's own DLLs: no compiler runtime or library DLL to ship beside it.
for program in build/windows-app/cli/kiss2bmp.exe build/windows-app/ui/win32/kissconv.exe; do
  foreign=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(kernel32|user32|gdi32|advapi32|comctl32|comdlg32|mpr|shell32|ole32|bcrypt|ws2_32|msvcrt)\.dll$' || true)
  [ -z "$foreign" ] || { echo "build-windows: $program imports $foreign" >&2 && exit 1; }
done
package=build/windows-app/package
rm -rf "$package" && mkdir -p "$package" dist
cp build/windows-app/cli/kiss2bmp.exe build/windows-app/ui/win32/kissconv.exe "$package/"
# A UTF-8 mark first: Notepad then reads the Japanese messages right whatever the code page.
{ printf '\xEF\xBB\xBF' && sed 's/$/\r/' packaging/README-windows.txt; } >"$package/README.txt"
(cd "$package" && cmake -E tar cf kiss2bmp-windows.zip --format=zip kissconv.exe kiss2bmp.exe README.txt)
mv "$package/kiss2bmp-windows.zip" dist/
echo "dist/kiss2bmp-windows.zip is ready: kissconv.exe, kiss2bmp.exe and README.txt"
