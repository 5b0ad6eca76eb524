#!/usr/bin/env bash
# Demonstration on the sample cohort: what the division file holds.
# usage: scripts/demo.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: scripts/demo.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build/src/tessaly-cli"
[ -x "$cli" ] || { echo "demo: $cli not built" >&2; exit 1; }
sample="$root/data/sample.fb"
echo "== tessaly-cli info data/sample.fb"
"$cli" info "$sample"
