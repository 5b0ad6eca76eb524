#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs one of them.
# usage: scripts/fuzz.sh TARGET [SECONDS]
#   TARGET: fuzz_division_file, fuzz_paste_import, fuzz_xlsx, fuzz_xls,
#           fuzz_csv or fuzz_html
#   SECONDS: how long to run (default 600)
# The run starts from the seed files of fuzz/corpus/<name> (kept in the
# repository; each folder holds only files for the reader its target drives);
# new inputs go to build/fuzz/corpus-TARGET. A finding is written as
# crash-*/leak-* in the current folder and makes the script fail.
set -euo pipefail
target=${1:?usage: scripts/fuzz.sh TARGET [SECONDS]}
seconds=${2:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSALY_FUZZ=ON >/dev/null
cmake --build "$build" -j 2 --target "$target"

work="$build/corpus-$target"
mkdir -p "$work"
seeds="$root/fuzz/corpus/${target#fuzz_}"
[ -d "$seeds" ] || { echo "no seed folder $seeds" >&2; exit 2; }
"$build/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
  "$work" "$seeds"
