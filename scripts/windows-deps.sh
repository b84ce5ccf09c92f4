#!/usr/bin/env bash
# Builds liblhasa, libarchive, libspng, libsndfile, giflib and libjpeg-turbo for 64-bit Windows
# from Debian's own source packages, statically with MinGW-w64 (zlib from libz-mingw-w64-dev), into
# build/windows-deps/prefix, where the windows presets find them. The sources come through apt-get
# source with a private list of deb-src entries for the archives and suites of this machine's own
# sources; apt checks them against the archive's signed index as for any package. What is
# compiled is in cmake/windows-deps/, but libjpeg-turbo, built by its own CMake build. With the result in place, built by these same files, it
# returns at once; a result this machine built before, for any checkout, is taken from the cache
# folder (KISS_CACHE, by default ~/.cache/kissconv), kept there by the files it was built by.
#
# Usage: bash scripts/windows-deps.sh
set -euo pipefail
cd "$(dirname "$0")/.."

key=$(cat scripts/windows-deps.sh cmake/windows-deps/* cmake/mingw-w64-x86_64.cmake scripts/debian-sources.sh | sha256sum)
name=windows-deps
. scripts/debian-sources.sh
libraries_in_place && exit 0
start=$SECONDS
fetch_sources lhasa libarchive libspng libsndfile giflib libjpeg-turbo
cmake -S cmake/windows-deps -B "$deps/build" -G Ninja --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_INSTALL_PREFIX="$deps/prefix" \
  -DLHASA_SOURCE="$(source_of lhasa)" -DLIBARCHIVE_SOURCE="$(source_of libarchive)" \
  -DSPNG_SOURCE="$(source_of libspng)" -DSNDFILE_SOURCE="$(source_of libsndfile)" \
  -DGIF_SOURCE="$(source_of giflib)" >/dev/null
cmake --build "$deps/build" >"$deps/build.log" 2>&1 || { cat "$deps/build.log" >&2 && exit 1; }
cmake --install "$deps/build" >/dev/null
# libjpeg-turbo: the library alone, without its SIMD code (which needs nasm) or TurboJPEG API.
cmake -S "$(source_of libjpeg-turbo)" -B "$deps/jpeg" -G Ninja --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_INSTALL_PREFIX="$deps/prefix" \
  -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_INSTALL_INCLUDEDIR=include -DENABLE_SHARED=OFF -DWITH_SIMD=OFF \
  -DWITH_TURBOJPEG=OFF -DCMAKE_WARN_DEPRECATED=OFF -Wno-dev >/dev/null
cmake --build "$deps/jpeg" --target jpeg-static >"$deps/jpeg.log" 2>&1 || { cat "$deps/jpeg.log" >&2 && exit 1; }
install_libjpeg
keep_libraries
echo "windows-deps: built in $((SECONDS - start)) s into $deps/prefix"
