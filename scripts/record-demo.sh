#!/usr/bin/env bash
# Records the demonstration video data/fbhelp/fbys.webm: tessaly-tour walks
# through one whole division of the sample in the real window (new division,
# pasted import, rules, "开始分班", the inner pages, deep optimisation, saving
# and the Excel export) with Chinese captions, under Xvfb with openbox, while
# ffmpeg films the screen.
#   scripts/record-demo.sh [BUILD_DIR] [OUTPUT]
# Needs `scripts/setup.sh tools` (Xvfb, openbox, ffmpeg, the CJK fonts).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
[ -x "$build/src/ui/tessaly-tour" ] || build="$root/build/debug"
out=${2:-$root/data/fbhelp/fbys.webm}
tour="$build/src/ui/tessaly-tour"
[ -x "$tour" ] || { echo "build tessaly-tour first ($tour)" >&2; exit 1; }
for tool in Xvfb openbox ffmpeg; do
  command -v "$tool" >/dev/null || { echo "needs $tool: scripts/setup.sh tools" >&2; exit 1; }
done

size=1280x720
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, and a window manager so the window has its frame.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox &
pids+=($!)
sleep 1

# Recovery copies and settings of the walk stay in the temporary folder.
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb LANG=C.UTF-8

# Filmed losslessly and fast, so that the recorder never slows the walk.
ffmpeg -loglevel error -y -f x11grab -video_size "$size" -framerate 8 -i "$display" \
  -c:v libx264 -preset ultrafast -qp 0 -an "$work/raw.mkv" &
recorder=$!
pids+=("$recorder")
"$tour" "$root/data/sample.fb" "$work/files"
sleep 1
kill -INT "$recorder"
wait "$recorder" || true

# Then made small: VP9 at a constant quality, a few hundred kB.
ffmpeg -loglevel error -y -i "$work/raw.mkv" -c:v libvpx-vp9 -crf 55 -b:v 0 -row-mt 1 \
  -threads 2 -deadline good -cpu-used 4 -an "$out"
echo "$out: $(du -k "$out" | cut -f1) kB, $(ffprobe -v error -show_entries format=duration \
  -of default=noprint_wrappers=1:nokey=1 "$out") s"
