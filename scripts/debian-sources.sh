# What scripts/windows-deps.sh and scripts/web-deps.sh share, sourced by both after setting
# `name` (windows-deps or web-deps) and `key` (the hash of the files the libraries are built by):
# the result kept in build/NAME/prefix and in the cache folder (KISS_CACHE, by default
# ~/.cache/kissconv), and Debian's source packages fetched with apt-get source through a private
# list of deb-src entries for the archives and suites of this machine's own sources (apt checks
# them against the archive's signed index as for any package).
deps=$PWD/build/$name
cache=${KISS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kissconv}/$name-${key:0:16}

# Whether the libraries built by these files are in place, taken from the cache if built before.
libraries_in_place() {
  if [ "$(cat "$deps/prefix/built-by" 2>/dev/null)" = "$key" ]; then
    echo "$name: the libraries are in place ($deps/prefix)"
    return 0
  fi
  [ "$(cat "$cache/built-by" 2>/dev/null)" = "$key" ] || return 1
  rm -rf "$deps" && mkdir -p "$deps" && cp -a "$cache" "$deps/prefix" || return 1 # else built anew
  sed -i "s|^prefix=.*|prefix=$deps/prefix|" "$deps/prefix"/lib/pkgconfig/*.pc # its own place, not the cache's
  echo "$name: the libraries built before are in place ($cache)"
}

# Fetches the source packages named and unpacks each into $deps/src.
fetch_sources() {
  rm -rf "$deps"
  mkdir -p "$deps/apt/sources.list.d" "$deps/apt/lists/partial" "$deps/src"
  # deb-src entries for what this machine's own list names (deb822 or one-line form).
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      >"$deps/apt/sources.list.d/debian-src.sources"
  elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$deps/apt/sources.list.d/debian-src.list"
  else
    echo "$name: no Debian sources list here (/etc/apt/sources.list.d/debian.sources)" >&2
    exit 1
  fi
  local apt=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$deps/apt/sources.list.d"
    -o "Dir::State::Lists=$deps/apt/lists" -o "Dir::Cache=$deps/apt/cache"
    -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o "APT::Sandbox::User=$(id -un)")
  echo "$name: fetching the source packages $*"
  if ! apt-get "${apt[@]}" -qq update ||
    ! (cd "$deps/src" && apt-get "${apt[@]}" -qq source --download-only "$@" >/dev/null); then
    echo "$name: cannot fetch Debian's source packages (apt-get said why above)" >&2
    exit 1
  fi
  for dsc in "$deps"/src/*.dsc; do
    # apt has checked every file against the signed index: no keyring is needed here.
    (cd "$deps/src" && dpkg-source --no-check -x "$dsc" >/dev/null)
  done
  echo "$name: building $(cd "$deps/src" && echo */ | tr -d /)"
}

source_of() { find "$deps/src" -maxdepth 1 -type d -name "$1-*"; }

# libjpeg-turbo's static library as built in $deps/jpeg into the prefix, with its headers and its
# pkg-config file made relative to the prefix, as the others are, so that the cache can move it.
install_libjpeg() {
  cp "$deps/jpeg/libjpeg.a" "$deps/prefix/lib/"
  cp "$(source_of libjpeg-turbo)"/{jpeglib.h,jmorecfg.h,jerror.h} "$deps/jpeg/jconfig.h" "$deps/prefix/include/"
  sed -e 's|^exec_prefix=.*|exec_prefix=${prefix}|' -e 's|^libdir=.*|libdir=${prefix}/lib|' \
    -e 's|^includedir=.*|includedir=${prefix}/include|' "$deps/jpeg/pkgscripts/libjpeg.pc" \
    >"$deps/prefix/lib/pkgconfig/libjpeg.pc"
}

# Marks the prefix as built by these files and keeps it in the cache: whole or not at all, a copy
# under a name of its own renamed once complete. A cache that cannot be written only costs the next
# checkout this build.
keep_libraries() {
  echo "$key" >"$deps/prefix/built-by"
  if mkdir -p "$(dirname "$cache")" 2>/dev/null && cp -a "$deps/prefix" "$cache.$$" 2>/dev/null; then
    rm -rf "$cache" && mv -T "$cache.$$" "$cache" 2>/dev/null || rm -rf "$cache.$$"
  fi
}
