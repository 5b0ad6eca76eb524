#!/usr/bin/env bash
# Pictures of the windows that keep the teacher's work, under Xvfb with
# openbox: the unsaved mark in the title after a division, the question
# when the window is closed (Alt+F4), and the recovery offer when the
# program starts again after it was killed.
#   scripts/screenshots-work.sh [BUILD_DIR] [OUTPUT_DIR]
# Needs `scripts/setup.sh tools` (Xvfb, openbox, xdotool, ImageMagick, fonts).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/debug}
out=${2:-$root/build/screenshots/work}
divider="$build/tests/ui/work/test_ui_work"
program="$build/src/ui/tessaly"
[ -x "$divider" ] && [ -x "$program" ] || { echo "build test_ui_work and tessaly in $build" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp &
pids+=($!)
export DISPLAY=$display QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox &
pids+=($!)
sleep 1
shot() { sleep 1.5; import -window root "$out/$1.png"; echo "$out/$1.png"; }

# A program folder with the skin and the sample; the program divides it.
cp -r "$root/data/skin" "$root/data/fbhelp" "$root/data/sample.fb" "$work/"
"$divider" --divide-and-wait "$work" > "$work/ready" &
divider_pid=$!
pids+=("$divider_pid")
for _ in $(seq 600); do grep -q ready "$work/ready" 2>/dev/null && break; sleep 0.2; done
shot 01-title-unsaved-mark
xdotool key alt+F4
shot 02-close-question
kill -9 "$divider_pid"
sleep 0.5

"$program" &
pids+=($!)
sleep 6  # the program starts, then asks
shot 03-recovery-offer
