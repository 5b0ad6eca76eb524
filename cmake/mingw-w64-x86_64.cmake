# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, for std::thread). TESSALY_WIN_PREFIX is the folder the libraries of
# scripts/windows-toolchain.sh are installed in; only it and MinGW's own
# folder are searched for libraries and headers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TESSALY_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSALY_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSALY_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSALY_MINGW}-windres)
set(CMAKE_AR ${TESSALY_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TESSALY_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT TESSALY_WIN_PREFIX AND DEFINED ENV{TESSALY_WIN_PREFIX})
  set(TESSALY_WIN_PREFIX "$ENV{TESSALY_WIN_PREFIX}")
endif()
# Passed on to try_compile projects, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSALY_WIN_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${TESSALY_MINGW} ${TESSALY_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config looks only at the libraries built for Windows.
if(TESSALY_WIN_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${TESSALY_WIN_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
