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
deps=$PWD/build/web-deps
key=$(cat scripts/web-deps.sh cmake/web-deps/* | sha256sum)
if [ "$(cat "$deps/prefix/built-by" 2>/dev/null)" = "$key" ]; then
  echo "web-deps: the libraries are in place ($deps/prefix)"
  exit 0
fi
cache=${KISS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kissconv}/web-deps-${key:0:16}
if [ "$(cat "$cache/built-by" 2>/dev/null)" = "$key" ]; then
  rm -rf "$deps" && mkdir -p "$deps" && cp -a "$cache" "$deps/prefix"
  sed -i "s|^prefix=.*|prefix=$deps/prefix|" "$deps/prefix"/lib/pkgconfig/*.pc # its own place, not the cache's
  echo "web-deps: the libraries built before are in place ($cache)"
  exit 0
fi
start=$SECONDS
rm -rf "$deps"
mkdir -p "$deps/apt/sources.list.d" "$deps/apt/lists/partial" "$deps/src"

if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
    >"$deps/apt/sources.list.d/debian-src.sources"
elif [ -f /etc/apt/sources.list ]; then
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$deps/apt/sources.list.d/debian-src.list"
else
  echo "web-deps: no Debian sources list here (/etc/apt/sources.list.d/debian.sources)" >&2
  exit 1
fi
apt=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$deps/apt/sources.list.d"
     -o "Dir::State::Lists=$deps/apt/lists" -o "Dir::Cache=$deps/apt/cache"
     -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o "APT::Sandbox::User=$(id -un)")
echo "web-deps: fetching the source packages zlib, lhasa, libarchive, libspng, libsndfile, giflib and libjpeg-turbo"
fetch_failed() {
  echo "web-deps: cannot fetch Debian's source packages (apt-get said why above)" >&2
  exit 1
}
apt-get "${apt[@]}" -qq update || fetch_failed
(cd "$deps/src" && apt-get "${apt[@]}" -qq source --download-only zlib/bookworm lhasa libarchive libspng libsndfile \
  giflib libjpeg-turbo >/dev/null) || fetch_failed
for dsc in "$deps"/src/*.dsc; do
  (cd "$deps/src" && dpkg-source --no-check -x "$dsc" >/dev/null)
done

echo "web-deps: building $(cd "$deps/src" && echo */ | tr -d /)"
source_of() { find "$deps/src" -maxdepth 1 -type d -name "$1-*"; }
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
cp "$deps/jpeg/libjpeg.a" "$deps/prefix/lib/"
cp "$(source_of libjpeg-turbo)"/{jpeglib.h,jmorecfg.h,jerror.h} "$deps/jpeg/jconfig.h" "$deps/prefix/include/"
sed -e 's|^exec_prefix=.*|exec_prefix=${prefix}|' -e 's|^libdir=.*|libdir=${prefix}/lib|' \
  -e 's|^includedir=.*|includedir=${prefix}/include|' "$deps/jpeg/pkgscripts/libjpeg.pc" \
  >"$deps/prefix/lib/pkgconfig/libjpeg.pc"
echo "$key" >"$deps/prefix/built-by"
if mkdir -p "$(dirname "$cache")" 2>/dev/null && cp -a "$deps/prefix" "$cache.$$" 2>/dev/null; then
  rm -rf "$cache" && mv -T "$cache.$$" "$cache" 2>/dev/null || rm -rf "$cache.$$"
fi
echo "web-deps: built in $((SECONDS - start)) s into $deps/prefix"
