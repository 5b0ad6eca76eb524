#!/bin/sh
# Screenshots of the division page: every inner page after a division of the
# sample cohort, at 1366 and 1920 pixels wide, under Xvfb with the CJK fonts.
# Usage: scripts/screenshots-division.sh [BUILD_DIR] [OUT_DIR]
set -eu
build=${1:-build/debug}
out=${2:-screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
TESSALY_SCREENSHOTS="$out" QT_QPA_PLATFORM=xcb LSAN_OPTIONS=detect_leaks=0 \
  xvfb-run -a -s "-screen 0 1920x1080x24" \
  "$build/tests/ui/division/test_ui_division" Screenshots
ls "$out"/division-*.png
