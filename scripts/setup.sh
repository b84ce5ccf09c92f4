#!/usr/bin/env bash
# Installs the Debian packages that are missing: by default what building and running the tool
# needs (compiler, CMake, Qt, the archive, PNG, GIF, JPEG and sound libraries, esbuild that minifies
# the page, fonts for the Japanese messages, xdg-open for the report); with --tests also the test
# tools (GoogleTest, Google Benchmark, the sanitizer runtime, clang and libFuzzer, valgrind, zip, the
# desktop-entry checker, lintian, Chromium, Firefox ESR and Node.js for the web page, and the Windows
# cross compiler, Wine, its fonts and the Japanese locale's sources for the Windows tests and the
# window's screenshot, with Xvfb and the IPA fonts, and emscripten that compiles kiss2bmp for the
# browser app); with --windows only
# what cross-building kiss2bmp.exe and its libraries needs (MinGW-w64, its zlib, dpkg-dev to
# unpack Debian's sources, esbuild).
#
# Usage: bash scripts/setup.sh [--tests | --windows]
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev
          fonts-noto-cjk fonts-ipafont-gothic liblhasa-dev libarchive-dev libspng-dev libgif-dev
          libjpeg62-turbo-dev zlib1g-dev libsndfile1-dev esbuild xdg-utils)
windows=(cmake ninja-build pkg-config g++-mingw-w64-x86-64 libz-mingw-w64-dev dpkg-dev esbuild)
case "${1:-}" in
  --tests)
    packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev xvfb xauth time
               valgrind zip desktop-file-utils lintian man-db chromium firefox-esr nodejs googletest
               "${windows[@]}" wine wine64 fonts-wine locales emscripten) ;;
  --windows) packages=("${windows[@]}") ;;
  '') ;;
  *) echo "setup: unknown argument '$1'" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "setup: missing packages (${missing[*]}) and neither root nor sudo is available" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
