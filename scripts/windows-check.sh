#!/usr/bin/env bash
# The Windows build against the Linux build, under Wine:
#   scripts/windows-check.sh WINDOWS_BUILD LINUX_BUILD PREFIX
# 1. Divisions: the sample and generated cohorts (made by both builds'
#    tessaly-make-cohort, which must agree byte for byte) divided with the same
#    seeds, optimised in every mode (the deep optimiser too) and balanced by
#    both command lines: the printed scores, the division files and the
#    averages tables must be identical.
# 2. The desktop program: tessaly.exe from the zip, started on the sample under
#    Wine in a virtual screen (Xvfb); the picture of its main window is saved
#    as WINDOWS_BUILD/windows-main-window.png.
set -euo pipefail

win=$(cd "$1" && pwd)
lin=$(cd "$2" && pwd)
prefix=$3
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wine_run() { "$repo/scripts/wine-run.sh" "$prefix" "$@"; }

# Runs one command line with both builds (in their own folders) and compares
# what they print and write.
both() {
  local label=$1
  shift
  mkdir -p "$work/lin" "$work/win"
  (cd "$work/lin" && "$lin/src/tessaly-cli" "$@" >out.txt)
  (cd "$work/win" && wine_run "$win/src/tessaly-cli.exe" "$@" >out.txt)
  if ! cmp -s "$work/lin/out.txt" "$work/win/out.txt"; then
    echo "DIFFERENT output: $label"
    diff "$work/lin/out.txt" "$work/win/out.txt" | head -20
    return 1
  fi
}

# The files both builds wrote under NAME are identical.
same_file() {
  if ! cmp -s "$work/lin/$1" "$work/win/$1"; then
    echo "DIFFERENT file: $1"
    return 1
  fi
}

checked=0
divide_all() { # FILE.fb (inside both work folders) LABEL SEEDS...
  local file=$1 label=$2
  shift 2
  for seed in "$@"; do
    both "$label divide --seed $seed" divide "$file" --seed "$seed" -o "d$seed.fb"
    same_file "d$seed.fb"
    both "$label averages $seed" table "d$seed.fb" averages
    for mode in 0 1 2; do
      both "$label optimise --mode $mode" optimise "d$seed.fb" --mode "$mode" -o "o$seed-$mode.fb"
      same_file "o$seed-$mode.fb"
    done
    both "$label balance" balance "d$seed.fb" --total 3 -o "b$seed.fb"
    same_file "b$seed.fb"
    # The deep optimiser: equal seeds and budgets give equal results on any
    # machine (a short budget, which Wine keeps well within its safety net).
    both "$label optimise --deep" optimise "d$seed.fb" --deep --seconds 0.3 --seed "$seed" \
      -o "e$seed.fb"
    same_file "e$seed.fb"
    checked=$((checked + 1))
  done
  echo "$label: seeds $* identical"
}

mkdir -p "$work/lin" "$work/win"
cp "$repo/data/sample.fb" "$work/lin/"
cp "$repo/data/sample.fb" "$work/win/"
divide_all sample.fb "sample" 2026 1 77

# Generated cohorts of several sizes and shapes.
for spec in "300 1 4 5" "1500 3 2,6,8 11" "2400 4 6,10 29" "800 2 3,7 404"; do
  read -r students ranges classes seed <<<"$spec"
  opts=(--students "$students" --ranges "$ranges" --classes "$classes" --seed "$seed")
  (cd "$work/lin" && "$lin/tools/tessaly-make-cohort" "${opts[@]}" -o c.fb >/dev/null)
  (cd "$work/win" && wine_run "$win/tools/tessaly-make-cohort.exe" "${opts[@]}" -o c.fb >/dev/null)
  same_file c.fb
  divide_all c.fb "cohort ${opts[*]}" "$seed" 9
done
echo "divisions identical on Linux and under Wine: $checked"

# The desktop program's window.
zip=$(ls "$win"/Tessaly-*-win64.zip 2>/dev/null | head -1)
if [ -z "$zip" ] || ! unzip -l "$zip" | grep -q 'tessaly\.exe$'; then
  echo "no desktop program in the zip ($win): run make windows first" >&2
  exit 1
fi
unzip -q "$zip" -d "$work/zip"
folder=$(ls -d "$work"/zip/Tessaly-*)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
sleep 2
(cd "$folder" && DISPLAY=$display LANG=zh_CN.UTF-8 wine_run ./tessaly.exe sample.fb >"$work/gui.log" 2>&1) &
gui=$!
shown=0
for _ in $(seq 1 60); do
  sleep 2
  if DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q 'Tessaly\|分班'; then
    shown=1
    break
  fi
done
if [ "$shown" != 1 ]; then
  echo "tessaly.exe showed no window under Wine within two minutes:" >&2
  tail -20 "$work/gui.log" >&2
  exit 1
fi
sleep 5
DISPLAY=$display import -window root "$win/windows-main-window.png"
kill "$gui" 2>/dev/null || true
WINEPREFIX="${TESSALY_WINEPREFIX:-$HOME/.cache/tessaly-win/wine}" wineserver -k 2>/dev/null || true
echo "the main window under Wine: $win/windows-main-window.png"
