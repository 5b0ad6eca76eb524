#!/usr/bin/env bash
# Demonstration on the sample cohort: what the division file holds, then the
# division "开始分班" with a fixed coin seed (the same result on every run), its
# score and the averages table of every range; then one optimiser run in each
# mode and the headcount statistics of the first range.
# usage: scripts/demo.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: scripts/demo.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build/src/tessaly-cli"
[ -x "$cli" ] || { echo "demo: $cli not built" >&2; exit 1; }
sample="$root/data/sample.fb"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== tessaly-cli info data/sample.fb"
"$cli" info "$sample"
echo
echo "== tessaly-cli divide data/sample.fb --seed 2026 -o divided.fb"
"$cli" divide "$sample" --seed 2026 -o "$work/divided.fb"
echo
echo "== tessaly-cli table divided.fb averages"
"$cli" table "$work/divided.fb" averages | tr -d '\r' | sed -E 's/\t+$//'
echo
for mode in 0 1 2; do
  echo "== tessaly-cli optimise divided.fb --mode $mode -o optimised$mode.fb"
  "$cli" optimise "$work/divided.fb" --mode "$mode" -o "$work/optimised$mode.fb"
done
echo
echo "== tessaly-cli table divided.fb counts (the first range)"
"$cli" table "$work/divided.fb" counts | tr -d '\r' | sed -E 's/\t+$//' | sed '/^$/q' | sed '/^$/d'
