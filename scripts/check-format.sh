#!/usr/bin/env bash
# Fails when a C++ source of the project is not formatted with .clang-format.
set -euo pipefail
cf=${1:-clang-format}
files=$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'tools/*.cpp' 'fuzz/*.cpp' 2>/dev/null \
  | grep -v '_table\.cpp$' || true)
[ -n "$files" ] || exit 0
# shellcheck disable=SC2086
"$cf" --dry-run --Werror $files
