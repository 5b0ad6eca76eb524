#!/bin/sh
# Runs a program of the Windows build under Wine, finding the DLLs of the
# toolchain (scripts/windows-toolchain.sh) and of MinGW-w64 (the C++ runtime).
# The CMake build's CROSSCOMPILING_EMULATOR.
#   scripts/wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# PREFIX is the toolchain's prefix folder. Wine's own settings live in
# TESSALY_WINEPREFIX (default ~/.cache/tessaly-win/wine), made on first use.
set -eu
prefix=$1
shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEPREFIX="${TESSALY_WINEPREFIX:-$HOME/.cache/tessaly-win/wine}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
WINEPATH="$(winpath "$prefix/bin");$(winpath "$runtime");$(winpath /usr/x86_64-w64-mingw32/lib)"
export WINEPATH
exec wine "$@"
