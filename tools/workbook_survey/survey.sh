#!/usr/bin/env bash
# Runs tessaly-workbook-survey on every spreadsheet-like file under the
# given folders, one file per run (30 s and 4 GB at most each, so a file that
# would fill memory shows as "limit" instead of stopping the survey), writes
# the lines to OUT, whatever the runs wrote to standard error (sanitizer
# reports) to OUT.stderr, and prints the count of each outcome per
# extension. A binary built with AddressSanitizer is bounded by its own
# hard_rss_limit_mb instead of the address-space limit it cannot run under.
# usage: tools/workbook_survey/survey.sh SURVEY_BINARY OUT FOLDER...
set -uo pipefail
bin=${1:?usage: survey.sh SURVEY_BINARY OUT FOLDER...}
out=${2:?usage: survey.sh SURVEY_BINARY OUT FOLDER...}
shift 2
: > "$out.stderr"
export ASAN_OPTIONS=${ASAN_OPTIONS:-hard_rss_limit_mb=4000}
asan=0
# (grep reads all of nm's output: with -q it could stop early and nm's broken
# pipe would fail the pipeline under pipefail)
nm -D "$bin" 2>/dev/null | grep __asan_init > /dev/null && asan=1
find "$@" -type f -iregex '.*\.\(xls\|xlsx\|xlsm\|xlsb\|ods\|csv\)' -print0 | sort -z |
  xargs -0 -n 1 -P 2 sh -c '
    bin=$0 err=$1 asan=$2 file=$3
    line=$( ([ "$asan" = 1 ] || ulimit -v 4000000; timeout 30 "$bin" "$file") 2>>"$err")
    [ -n "$line" ] || line=$(printf "%s\tlimit\tno answer within 30 s and 4 GB" "$file")
    printf "%s\n" "$line"' "$bin" "$out.stderr" "$asan" > "$out"
awk -F'\t' '{ n = split($1, p, "."); ext = tolower(p[n]); key = ext "\t" $2; c[key]++ }
  END { for (k in c) print c[k] "\t" k }' "$out" | sort -k2,2 -k3,3
