# The WebAssembly build (preset wasm): Debian's emscripten, with the libraries built from Debian's
# sources by scripts/web-deps.sh into build/web-deps/prefix, found through their pkg-config files
# only (never the build machine's own libraries); the Shift-JIS table made by scripts/build-web.sh.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
get_filename_component(KISS_WEB_LIBRARIES "${CMAKE_CURRENT_LIST_DIR}/../build/web-deps/prefix" ABSOLUTE)
list(APPEND CMAKE_FIND_ROOT_PATH "${KISS_WEB_LIBRARIES}")
set(ENV{PKG_CONFIG_LIBDIR} "${KISS_WEB_LIBRARIES}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(ZLIB_INCLUDE_DIR "${KISS_WEB_LIBRARIES}/include" CACHE PATH "zlib for WebAssembly")
set(ZLIB_LIBRARY "${KISS_WEB_LIBRARIES}/lib/libz.a" CACHE FILEPATH "zlib for WebAssembly")
