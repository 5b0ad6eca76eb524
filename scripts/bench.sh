#!/usr/bin/env bash
# Runs the benchmarks of a Release build, then measures the peak memory of one
# division at every benchmarked size (the whole benchmark process: cohort,
# input and divided state).
# usage: scripts/bench.sh BUILD_DIR [FILTER]
#   FILTER: a benchmark name filter (regular expression), default every one.
set -euo pipefail
build=${1:?usage: scripts/bench.sh BUILD_DIR [FILTER]}
filter=${2:-.}
bench="$build/bench/tessaly-bench"
if [ ! -x "$bench" ]; then
  echo "bench: $bench not built (cmake -DCMAKE_BUILD_TYPE=Release, target tessaly-bench)" >&2
  exit 1
fi
if grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" 2>/dev/null; then :; else
  echo "bench: warning: $build is not a Release build; figures are not representative" >&2
fi

"$bench" --benchmark_filter="$filter"

echo
echo "== peak memory of one division (maximum resident set size of the process)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for size in students:1000/ranges:1/classes:20 students:3000/ranges:3/classes:20 \
  students:20000/ranges:20/classes:20 students:20000/ranges:1/classes:400; do
  /usr/bin/time -v "$bench" --benchmark_filter="^BM_Divide/$size/" --benchmark_min_time=0 \
    >/dev/null 2>"$log"
  awk -F': ' -v size="$size" \
    '/Maximum resident set size/ { printf "  %-40s %8.1f MB\n", size, $2 / 1024 }' "$log"
done
