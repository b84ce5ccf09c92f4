# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix-threads variant, which
# std::thread needs), every runtime linked in: the .exe files run without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests and test discovery run the .exe files under Wine, which sees the host's / as drive Z:.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(KISS_HOST_ROOT "Z:" CACHE STRING "How the programs under test name the host's root folder")
# liblhasa, libarchive and libspng as scripts/windows-deps.sh builds them from Debian's sources,
# found through pkg-config as on Linux: its files for this system, never the build machine's.
get_filename_component(KISS_WINDOWS_LIBRARIES "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/prefix"
                       ABSOLUTE)
list(APPEND CMAKE_FIND_ROOT_PATH "${KISS_WINDOWS_LIBRARIES}")
set(ENV{PKG_CONFIG_LIBDIR} "${KISS_WINDOWS_LIBRARIES}/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig")
