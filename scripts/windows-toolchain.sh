#!/usr/bin/env bash
# Builds, once, the libraries the Windows build of Tessaly links, with Debian's
# MinGW-w64 from Debian's own source packages (apt-get source): zlib, libzip,
# pugixml, libxlsxwriter, Nettle, GoogleTest (for the tests) and Qt 6 (qtbase: Core, Gui, Widgets, PrintSupport,
# the Windows platform plugin and style). Qt's tools (moc, rcc, uic) are the
# host's, from Debian's qt6-base-dev of the same version.
#
# Everything goes into a cache folder outside the repository,
# TESSALY_WIN_CACHE (default ~/.cache/tessaly-win):
#   src/     the Debian source packages as downloaded
#   build/   the unpacked sources and their build folders
#   prefix/  the installed libraries (TESSALY_WIN_PREFIX of the CMake build)
#   stamps/  one file per finished library; a finished library is not built again
#   times.log  how long each library took
#
# Usage: scripts/windows-toolchain.sh [libs|qt|all]   (default: all)
# Prints the prefix on its last line.
set -euo pipefail
# A failure inside $(...) stops the script too (unpack runs in one).
shopt -s inherit_errexit

cache="${TESSALY_WIN_CACHE:-$HOME/.cache/tessaly-win}"
jobs="${JOBS:-$(nproc)}"
repo="$(cd "$(dirname "$0")/.." && pwd)"
prefix="$cache/prefix"
what="${1:-all}"
mkdir -p "$cache/src" "$cache/build" "$prefix" "$cache/stamps"
# The libraries' build folders remember the toolchain file by its path: a
# copy in the cache keeps them working when the clone that made them is gone.
# It is replaced only when it changes, so that an unchanged one rebuilds nothing.
toolchain="$cache/mingw-w64-x86_64.cmake"
cmp -s "$repo/cmake/mingw-w64-x86_64.cmake" "$toolchain" ||
  cp "$repo/cmake/mingw-w64-x86_64.cmake" "$toolchain"

# The versions of Debian 12 (bookworm); a stamp names its version, so that a
# new version is built afresh.
declare -A version=(
  [zlib]=1:1.2.13.dfsg-1
  [libzip]=1.7.3-1
  [pugixml]=1.13-0.2
  [libxlsxwriter]=1.1.4-2
  [nettle]=3.8.1-2
  [googletest]=1.12.1-0.2
  [qt6-base]=6.4.2+dfsg-10
)

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Qt builds with precompiled headers; ccache may use them only when told so.
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTESSALY_WIN_PREFIX="$prefix"
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}")

# The source package NAME unpacked (with Debian's patches) into build/NAME;
# prints that folder.
unpack() {
  # The file names leave out the version's epoch ("1:").
  local name="$1" dsc="$cache/src/${1}_${version[$1]#*:}.dsc"
  if [ ! -f "$dsc" ]; then
    (cd "$cache/src" && apt-get source --download-only "$name=${version[$name]}") >&2
  fi
  if [ ! -d "$cache/build/$name" ]; then
    dpkg-source --no-check -x "$dsc" "$cache/build/$name" >&2 || {
      rm -rf "${cache:?}/build/$name"
      return 1
    }
  fi
  echo "$cache/build/$name"
}

# Runs the build function of NAME unless its stamp is there, and times it.
stage() {
  local name="$1" stamp="$cache/stamps/$1-${version[$1]}"
  [ -f "$stamp" ] && return 0
  local start=$SECONDS
  echo "== $name ${version[$name]}" >&2
  "build_${name//-/_}"
  echo "$name ${version[$name]}: $((SECONDS - start)) s ($(date -u +%FT%TZ), $jobs jobs)" >>"$cache/times.log"
  touch "$stamp"
}

cmake_build() { # SOURCE BUILD [cmake options...]
  local src="$1" bld="$2"
  shift 2
  cmake -S "$src" -B "$bld" "${cross[@]}" "$@" >&2
  cmake --build "$bld" -j "$jobs" >&2
  cmake --install "$bld" >&2
}

build_zlib() {
  local src
  src="$(unpack zlib)"
  # Debian's source leaves out zlib's win32/ folder, whose version resource
  # zlib's CMake compiles into the DLL: a short one does.
  mkdir -p "$src/win32"
  [ -f "$src/win32/zlib1.rc" ] || printf '1 VERSIONINFO\nFILEVERSION 1,2,13,0\nBEGIN\nEND\n' >"$src/win32/zlib1.rc"
  cmake_build "$src" "$cache/build/zlib-build"
  # zlib's CMake names the import library libzlib.dll.a; libzip and
  # libxlsxwriter look for -lz.
  cp "$prefix/lib/libzlib.dll.a" "$prefix/lib/libz.dll.a"
  rm -f "$prefix/lib/libzlibstatic.a"
}

build_libzip() {
  local src
  src="$(unpack libzip)"
  cmake_build "$src" "$cache/build/libzip-build" -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF \
    -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_COMMONCRYPTO=OFF \
    -DENABLE_WINDOWS_CRYPTO=ON -DZLIB_ROOT="$prefix"
}

build_pugixml() {
  local src
  src="$(unpack pugixml)"
  cmake_build "$src" "$cache/build/pugixml-build" -DBUILD_SHARED_LIBS=ON -DPUGIXML_BUILD_TESTS=OFF
}

build_libxlsxwriter() {
  local src
  src="$(unpack libxlsxwriter)"
  # Its own copy of minizip (third_party/), as on Windows there is no other.
  cmake_build "$src" "$cache/build/libxlsxwriter-build" -DBUILD_SHARED_LIBS=ON \
    -DUSE_SYSTEM_MINIZIP=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DZLIB_ROOT="$prefix"
}

# MD5, SHA-1 and RC4 for workbooks encrypted with Excel's default password:
# only libnettle (no public-key half, which would need GMP).
build_nettle() {
  local src bld="$cache/build/nettle-build"
  src="$(unpack nettle)"
  mkdir -p "$bld"
  # The unpacked files' times would have make regenerate the configure
  # outputs with autotools; they are up to date as shipped.
  touch "$src/aclocal.m4" "$src/configure" "$src/config.h.in" "$src/stamp-h.in"
  local cc=x86_64-w64-mingw32-gcc-posix
  command -v ccache >/dev/null && cc="ccache $cc"
  (cd "$bld" && "$src/configure" --host=x86_64-w64-mingw32 --prefix="$prefix" CC="$cc" \
    --disable-public-key --disable-documentation --disable-static --enable-shared \
    --disable-openssl --disable-assembler >&2 && make -j "$jobs" >&2 && make install >&2)
}

# The test framework of the tests run under Wine (make windows-test).
build_googletest() {
  local src
  src="$(unpack googletest)"
  cmake_build "$src" "$cache/build/googletest-build" -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF
}

build_qt6_base() {
  local src
  src="$(unpack qt6-base)"
  # Only what the desktop program needs; Qt's own copies of its small
  # libraries (zlib, pcre2, libpng), which are in Debian's source package.
  # Two features stay off because this source cannot build them with MinGW:
  # - tabletevent: the Windows plugin's pen-tablet support includes wintab.h,
  #   which Debian's repacked source leaves out of src/3rdparty;
  # - directwrite: Gui compiles its DirectWrite font engine only together with
  #   direct2d (off: no Direct2D plugin is wanted), yet PrintSupport calls into
  #   it whenever directwrite is on, and its DLL then fails to link. Fonts are
  #   drawn through GDI, Qt's default font engine on Windows;
  # - dynamicgl: without OpenGL the Windows plugin still reads the dynamic
  #   OpenGL loader's classes when this is on.
  cmake -S "$src" -B "$cache/build/qt6-base-build" "${cross[@]}" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DQT_GENERATE_SBOM=OFF -DINPUT_optimize_size=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_testlib=OFF \
    -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF -DFEATURE_tabletevent=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_jpeg=OFF \
    -DFEATURE_gif=OFF -DFEATURE_freetype=OFF -DFEATURE_harfbuzz=OFF -DFEATURE_androiddeployqt=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_doubleconversion=OFF >&2
  cmake --build "$cache/build/qt6-base-build" -j "$jobs" >&2
  cmake --install "$cache/build/qt6-base-build" >&2
}

case "$what" in
  libs | all)
    stage zlib
    stage libzip
    stage pugixml
    stage libxlsxwriter
    stage nettle
    stage googletest
    ;;&
  qt | all) stage qt6-base ;;
  libs) ;;
  *)
    echo "usage: $0 [libs|qt|all]" >&2
    exit 2
    ;;
esac
echo "$prefix"
