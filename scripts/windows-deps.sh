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

deps=$PWD/build/windows-deps
key=$(cat scripts/windows-deps.sh cmake/windows-deps/* cmake/mingw-w64-x86_64.cmake | sha256sum)
if [ "$(cat "$deps/prefix/built-by" 2>/dev/null)" = "$key" ]; then
  echo "windows-deps: the libraries are in place ($deps/prefix)"
  exit 0
fi
cache=${KISS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kissconv}/windows-deps-${key:0:16}
if [ "$(cat "$cache/built-by" 2>/dev/null)" = "$key" ]; then
  rm -rf "$deps" && mkdir -p "$deps" && cp -a "$cache" "$deps/prefix"
  sed -i "s|^prefix=.*|prefix=$deps/prefix|" "$deps/prefix"/lib/pkgconfig/*.pc # its own place, not the cache's
  echo "windows-deps: the libraries built before are in place ($cache)"
  exit 0
fi
start=$SECONDS
rm -rf "$deps"
mkdir -p "$deps/apt/sources.list.d" "$deps/apt/lists/partial" "$deps/src"

# deb-src entries for what this machine's own list names (deb822 or one-line form).
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
    >"$deps/apt/sources.list.d/debian-src.sources"
elif [ -f /etc/apt/sources.list ]; then
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$deps/apt/sources.list.d/debian-src.list"
else
  echo "windows-deps: no Debian sources list here (/etc/apt/sources.list.d/debian.sources)" >&2
  exit 1
fi
apt=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$deps/apt/sources.list.d"
     -o "Dir::State::Lists=$deps/apt/lists" -o "Dir::Cache=$deps/apt/cache"
     -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o "APT::Sandbox::User=$(id -un)")
echo "windows-deps: fetching the source packages lhasa, libarchive, libspng, libsndfile, giflib and libjpeg-turbo"
fetch_failed() {
  echo "windows-deps: cannot fetch Debian's source packages (apt-get said why above)" >&2
  exit 1
}
apt-get "${apt[@]}" -qq update || fetch_failed
(cd "$deps/src" && apt-get "${apt[@]}" -qq source --download-only lhasa libarchive libspng libsndfile \
  giflib libjpeg-turbo >/dev/null) || fetch_failed
for dsc in "$deps"/src/*.dsc; do
  # apt has checked every file against the signed index: no keyring is needed here.
  (cd "$deps/src" && dpkg-source --no-check -x "$dsc" >/dev/null)
done

echo "windows-deps: building $(cd "$deps/src" && echo */ | tr -d /)"
source_of() { find "$deps/src" -maxdepth 1 -type d -name "$1-*"; }
cmake -S cmake/windows-deps -B "$deps/build" -G Ninja --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_INSTALL_PREFIX="$deps/prefix" \
  -DLHASA_SOURCE="$(source_of lhasa)" -DLIBARCHIVE_SOURCE="$(source_of libarchive)" \
  -DSPNG_SOURCE="$(source_of libspng)" -DSNDFILE_SOURCE="$(source_of libsndfile)" \
  -DGIF_SOURCE="$(source_of giflib)" >/dev/null
cmake --build "$deps/build" >"$deps/build.log" 2>&1 || { cat "$deps/build.log" >&2 && exit 1; }
cmake --install "$deps/build" >/dev/null
# libjpeg-turbo: the library alone, without its SIMD code (which needs nasm) or TurboJPEG API; its
# pkg-config file made relative to its prefix, as the others are, so that the cache can move it.
cmake -S "$(source_of libjpeg-turbo)" -B "$deps/jpeg" -G Ninja --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_INSTALL_PREFIX="$deps/prefix" \
  -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_INSTALL_INCLUDEDIR=include -DENABLE_SHARED=OFF -DWITH_SIMD=OFF \
  -DWITH_TURBOJPEG=OFF -DCMAKE_WARN_DEPRECATED=OFF -Wno-dev >/dev/null
cmake --build "$deps/jpeg" --target jpeg-static >"$deps/jpeg.log" 2>&1 || { cat "$deps/jpeg.log" >&2 && exit 1; }
cp "$deps/jpeg/libjpeg.a" "$deps/prefix/lib/"
cp "$(source_of libjpeg-turbo)"/{jpeglib.h,jmorecfg.h,jerror.h} "$deps/jpeg/jconfig.h" "$deps/prefix/include/"
sed -e 's|^exec_prefix=.*|exec_prefix=${prefix}|' -e 's|^libdir=.*|libdir=${prefix}/lib|' \
  -e 's|^includedir=.*|includedir=${prefix}/include|' "$deps/jpeg/pkgscripts/libjpeg.pc" \
  >"$deps/prefix/lib/pkgconfig/libjpeg.pc"
echo "$key" >"$deps/prefix/built-by"
# Into the cache whole or not at all: a copy under a name of its own, renamed once complete. A cache that
# cannot be written only costs the next checkout this build.
if mkdir -p "$(dirname "$cache")" 2>/dev/null && cp -a "$deps/prefix" "$cache.$$" 2>/dev/null; then
  rm -rf "$cache" && mv -T "$cache.$$" "$cache" 2>/dev/null || rm -rf "$cache.$$"
fi
echo "windows-deps: built in $((SECONDS - start)) s into $deps/prefix"
