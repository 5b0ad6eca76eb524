#!/usr/bin/env bash
# How even the deep optimiser leaves every range of the generated cohorts, at
# the default budget and at FACTOR times it (the long run the default is
# measured against), with the time of each run: one line per range with the
# spread of the average total, the widest subject and the widest headcount,
# and the widest subject's ratio to the long run's.
# usage: scripts/deep-quality.sh BUILD_DIR [FACTOR] [FILTER]
#   FACTOR: default 100; FILTER: a regular expression on the cohorts'
#   benchmark names (students:3000/ranges:3/classes:20 ...), default all.
set -euo pipefail
build=${1:?usage: scripts/deep-quality.sh BUILD_DIR [FACTOR] [FILTER]}
factor=${2:-100}
filter=${3:-.}
bench="$build/bench/tessaly-bench"
[ -x "$bench" ] || { echo "deep-quality: $bench not built" >&2; exit 1; }

cohorts=(students:3000/ranges:3/classes:20/groups:0 students:3000/ranges:3/classes:20/groups:20
  students:3600/ranges:3/classes:12/groups:0 students:3000/ranges:3/classes:10/groups:0
  students:1800/ranges:3/classes:6/groups:0 students:1200/ranges:3/classes:4/groups:0)
# The default budget of these cohorts (3,000 students or fewer): 2 seconds.
long=$(awk -v f="$factor" 'BEGIN { print 2 * f }')
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
printf '%-44s %5s | %-25s | %-25s | %s\n' cohort range "default: total subject heads" \
  "x$factor: total subject heads" "subject ratio"
for cohort in "${cohorts[@]}"; do
  [[ "$cohort" =~ $filter ]] || continue
  for run in default long; do
    seconds=2
    [ "$run" = long ] && seconds=$long
    DEEP_SECONDS=$seconds DEEP_RANGES=1 "$bench" --benchmark_filter="^BM_DeepOptimise/$cohort/" \
      >"$out/$run.txt" 2>"$out/$run.ranges"
    awk '/^BM_DeepOptimise/ { print $2 / 1000 }' "$out/$run.txt" >"$out/$run.time"
  done
  paste -d'|' <(grep '^range' "$out/default.ranges") <(grep '^range' "$out/long.ranges") |
    awk -F'|' -v cohort="$cohort" -v t1="$(cat "$out/default.time")" -v t2="$(cat "$out/long.time")" '
      { split($2, a, " "); split($3, b, " "); split($4, c, " ")
        split($6, d, " "); split($7, e, " "); split($8, f, " ")
        printf "%-44s %5d | %7.4f %7.4f %3d      | %7.4f %7.4f %3d      | %.2f\n",
          cohort, NR, a[2], b[3], c[3], d[2], e[3], f[3], (e[3] > 0 ? b[3] / e[3] : 1) }
      END { printf "%-44s       | %6.2f s                  | %6.1f s\n", cohort " time", t1, t2 }'
done
