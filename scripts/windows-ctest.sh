#!/usr/bin/env bash
# Runs the tests of the Windows build (ctest, each program through
# scripts/wine-run.sh) under one Wine server kept up for the whole run.
#   scripts/windows-ctest.sh WINDOWS_BUILD PREFIX
# A Wine server that quits after each program is now and then still quitting
# when the next one starts, which then fails with "wine client error:
# recvmsg: Connection reset by peer". Wine's own background programs are
# started once here, away from the tests' output, which ctest would
# otherwise wait on.
set -euo pipefail
build=$1
prefix=$2
repo=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${TESSALY_WINEPREFIX:-$HOME/.cache/tessaly-win/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
"$repo/scripts/wine-run.sh" "$prefix" cmd /c exit </dev/null >/dev/null 2>&1 || true
cd "$build"
ctest --output-on-failure -j "${JOBS:-$(nproc)}"
