#!/usr/bin/env bash
# Builds the convertor for the browser: kiss2bmp compiled to WebAssembly with Debian's emscripten
# (preset wasm, the libraries from Debian's sources by scripts/web-deps.sh), and leaves dist/web/:
# index.html, one file holding the app, the module (its .wasm embedded, so that the page works
# opened from disk) and its strict Content-Security-Policy; and dist/kissconv-web.zip. Also keeps
# build/wasm/cli/kiss.js and kiss.wasm, which the node tests load.
#
# Usage: bash scripts/build-web.sh
set -euo pipefail
cd "$(dirname "$0")/.."

command -v emcc >/dev/null || { echo "build-web: emscripten is not installed (apt-get install emscripten)" >&2; exit 1; }
# Debian's emcc runs its JavaScript optimiser with Debian's node-acorn.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
bash scripts/web-deps.sh
# The Shift-JIS table, from this machine's glibc (platform/make_cp932_table.cpp).
tools=build/wasm-tools
mkdir -p "$tools"
if [ ! -s "$tools/Cp932Table.inc" ] || [ platform/make_cp932_table.cpp -nt "$tools/Cp932Table.inc" ]; then
  c++ -O1 -o "$tools/make_cp932_table" platform/make_cp932_table.cpp
  "$tools/make_cp932_table" "$tools/Cp932Table.inc"
fi
cmake --preset wasm -DKISS_CP932_TABLE_DIR="$PWD/$tools" >/dev/null
cmake --build --preset wasm
node web/app/assemble.mjs build/wasm/cli/kiss.js build/wasm/cli/kiss.wasm dist/web/index.html
rm -f dist/kissconv-web.zip
(cd dist && cmake -E tar cf kissconv-web.zip --format=zip web/index.html)
wasm=$(stat -c %s build/wasm/cli/kiss.wasm)
gz=$(gzip -9c build/wasm/cli/kiss.wasm | wc -c)
echo "build-web: dist/web/index.html ($(stat -c %s dist/web/index.html) bytes) and dist/kissconv-web.zip are ready;" \
  "the module is $wasm bytes ($gz gzipped)"
