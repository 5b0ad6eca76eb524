#!/usr/bin/env bash
# Kills saves at random moments and checks that nothing is lost: the target
# is always the old file or the new one, complete, and no temporary file is
# left in its folder.
# usage: scripts/kill_save_test.sh [BUILD_DIR] [KILLS] [STUDENTS]
#   BUILD_DIR: where tessaly-cli and tessaly-make-cohort were built
#              (default build/release, else build/debug)
#   KILLS: number of saves killed (default 200)
#   STUDENTS: size of the division saved (default 20000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-}
if [ -z "$build" ]; then
  build="$root/build/release"
  [ -x "$build/src/tessaly-cli" ] || build="$root/build/debug"
fi
kills=${2:-200}
students=${3:-20000}
cli="$build/src/tessaly-cli"
make_cohort="$build/tools/tessaly-make-cohort"
[ -x "$cli" ] && [ -x "$make_cohort" ] || { echo "build tessaly-cli and tessaly-make-cohort in $build" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/target"
target="$work/target/division.fb"

# Two different divisions of the same size: the old file and the new one.
"$make_cohort" --students "$students" --seed 1 -o "$work/old-source.fb"
"$make_cohort" --students "$students" --seed 2 -o "$work/new-source.fb"
"$cli" resave "$work/old-source.fb" "$work/old.fb"
start=$(date +%s.%N)
"$cli" resave "$work/new-source.fb" "$work/new.fb"
end=$(date +%s.%N)
span=$(echo "$end - $start" | bc)
echo "one save of $students students takes ${span}s; killing $kills saves at random moments"

old=0 new=0 bad=0 debris=0
for ((i = 1; i <= kills; i++)); do
  # Start from the old file, or from the new one now and then.
  if ((i % 4 == 0)); then cp "$work/new.fb" "$target"; else cp "$work/old.fb" "$target"; fi
  delay=$(awk -v s="$span" -v r="$RANDOM" 'BEGIN { printf "%.4f", s * 1.1 * r / 32767 }')
  "$cli" resave "$work/new-source.fb" "$target" 2>/dev/null &
  pid=$!
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if cmp -s "$target" "$work/old.fb"; then
    old=$((old + 1))
  elif cmp -s "$target" "$work/new.fb"; then
    new=$((new + 1))
  else
    bad=$((bad + 1))
    echo "kill $i after ${delay}s: the target is neither the old nor the new file" >&2
  fi
  left=$(find "$work/target" -mindepth 1 ! -name division.fb | wc -l)
  if [ "$left" -ne 0 ]; then
    debris=$((debris + 1))
    echo "kill $i after ${delay}s: $left other file(s) left:" $(ls -A "$work/target") >&2
  fi
done
echo "$kills kills: $old left the old file, $new the new file, $bad neither; $debris left debris"
[ "$bad" -eq 0 ] && [ "$debris" -eq 0 ]
