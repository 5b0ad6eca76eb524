#!/usr/bin/env bash
# End-to-end runs of tessaly-cli. Every tests/cli/*.case file is a small
# bash script run with $CLI set to the program and $DATA to tests/data; it
# fails the run by exiting non-zero. Prints "N passed, N failed".
set -u
export CLI=$1
dir=$2
export DATA="$dir/../data"
pass=0
fail=0
# TESSALY_CLI_LEFT_OUT: names of cases a build cannot run (print without
# the PDF writer).
left_out=" ${TESSALY_CLI_LEFT_OUT:-} "
for case in "$dir"/*.case; do
  [ -e "$case" ] || continue
  case "$left_out" in *" $(basename "$case" .case) "*) continue ;; esac
  tmp=$(mktemp -d)
  if (cd "$tmp" && bash -euo pipefail "$case") >"$tmp/.log" 2>&1; then
    pass=$((pass + 1))
  else
    fail=$((fail + 1))
    echo "FAILED: $(basename "$case")"
    sed 's/^/    /' "$tmp/.log"
  fi
  rm -rf "$tmp"
done
echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
