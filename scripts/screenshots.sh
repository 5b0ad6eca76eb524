#!/usr/bin/env bash
# Pictures of every page and window of the desktop program on the sample
# division, under Xvfb with Debian's CJK fonts, at two screen sizes.
#   scripts/screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
# Writes OUTPUT_DIR/1366x768/*.png and OUTPUT_DIR/1920x1080/*.png.
set -euo pipefail
build=${1:-build/debug}
out=${2:-build/screenshots}
root=$(cd "$(dirname "$0")/.." && pwd)
shots="$build/src/ui/tessaly-shots"
[ -x "$shots" ] || { echo "build tessaly-shots first ($shots)" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "needs xvfb-run: scripts/setup.sh tools" >&2; exit 1; }
export ASAN_OPTIONS=detect_leaks=0
for size in 1366x768 1920x1080; do
  mkdir -p "$out/$size"
  xvfb-run -a -s "-screen 0 ${size}x24" "$shots" "$root/data/sample.fb" "$out/$size"
  echo "$out/$size: $(ls "$out/$size" | wc -l) pictures"
done

# The versions window, the chart of the class averages and the print window
# (names with "versions" and "chart"), at the same sizes.
shots_versions="$build/src/ui/tessaly-shots-versions"
if [ -x "$shots_versions" ]; then
  for size in 1366x768 1920x1080; do
    xvfb-run -a -s "-screen 0 ${size}x24" "$shots_versions" "$root/data/sample.fb" "$out/$size"
  done
fi
