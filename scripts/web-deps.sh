#!/usr/bin/env bash
# Builds zlib, liblhasa, libarchive (its ZIP reader), libspng, libsndfile, giflib and libjpeg-turbo
# for WebAssembly, optimised for size (-Oz), with Debian's emscripten, from Debian's own source
# packages, statically, into build/web-deps/prefix, where the wasm preset finds them (emscripten's
# "ports" would download them from the internet: they are not used). The sources come as for the Windows libraries
# (scripts/windows-deps.sh: apt-get source through a private list of deb-src entries, checked against
# the archive's signed index); what is compiled is in cmake/web-deps/. With the result in place,
# built by these same files, it returns at once; a result this machine built before is taken from
# the same cache folder as the Windows libraries (KISS_CACHE, by default ~/.cache/kissconv). zlib
# is taken from the release (bookworm), as the mirror here keeps no source of its security update.
#
# Usage: bash scripts/web-deps.sh
set -euo pipefail
cd "$(dirname "$0")/.."

command -v emcmake >/dev/null || { echo "web-deps: emscripten is not installed (apt-get install emscripten)" >&2; exit 1; }
# Debian's emcc runs its JavaScript optimiser with Debian's node-acorn.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
key=$(cat scripts/web-deps.sh cmake/web-deps/* scripts/debian-sources.sh | sha256sum)
name=web-deps
. scripts/debian-sources.sh
libraries_in_place && exit 0
start=$SECONDS
fetch_sources zlib/bookworm lhasa libarchive libspng libsndfile giflib libjpeg-turbo
emcmake cmake -S cmake/web-deps -B "$deps/build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-Oz -DNDEBUG" -DCMAKE_INSTALL_PREFIX="$deps/prefix" \
  -DZLIB_SOURCE="$(source_of zlib)" \
  -DLHASA_SOURCE="$(source_of lhasa)" -DLIBARCHIVE_SOURCE="$(source_of libarchive)" \
  -DSPNG_SOURCE="$(source_of libspng)" -DSNDFILE_SOURCE="$(source_of libsndfile)" \
  -DGIF_SOURCE="$(source_of giflib)" >"$deps/configure.log" 2>&1 || { cat "$deps/configure.log" >&2 && exit 1; }
cmake --build "$deps/build" >"$deps/build.log" 2>&1 || { tail -n 60 "$deps/build.log" >&2 && exit 1; }
cmake --install "$deps/build" >/dev/null
# libjpeg-turbo: the library alone, without SIMD code or the TurboJPEG API; the sizes of its types
# given, as its build cannot read them from a WebAssembly object.
emcmake cmake -S "$(source_of libjpeg-turbo)" -B "$deps/jpeg" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-Oz -DNDEBUG" -DCMAKE_INSTALL_PREFIX="$deps/prefix" \
  -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_INSTALL_INCLUDEDIR=include -DENABLE_SHARED=OFF -DWITH_SIMD=OFF \
  -DWITH_TURBOJPEG=OFF -DCMAKE_WARN_DEPRECATED=OFF -Wno-dev -DHAVE_SIZE_T=TRUE -DSIZE_T=4 \
  -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 >"$deps/jpeg-configure.log" 2>&1 ||
  { cat "$deps/jpeg-configure.log" >&2 && exit 1; }
cmake --build "$deps/jpeg" --target jpeg-static >"$deps/jpeg.log" 2>&1 || { tail -n 60 "$deps/jpeg.log" >&2 && exit 1; }
install_libjpeg
keep_libraries
echo "web-deps: built in $((SECONDS - start)) s into $deps/prefix"
