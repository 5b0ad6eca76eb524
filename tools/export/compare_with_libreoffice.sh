#!/usr/bin/env bash
# Checks the exported workbook with a real spreadsheet program: divides the
# sample cohort, exports it with `tessaly-cli export`, has LibreOffice Calc
# (headless) write every sheet as CSV, and compares cell by cell what Calc
# shows with what the program means to show: the first sheet with the
# all-data text (`table all`), every class sheet with its roster
# (`table roster --class K`), the chart sheet's averages with the averages
# table. Prints every difference and a summary; exits 1 on any difference.
# usage: tools/export/compare_with_libreoffice.sh BUILD_DIR [DIVISION.fb]
# (without DIVISION.fb: data/sample.fb divided with seed 2026)
set -euo pipefail
build=${1:?usage: tools/export/compare_with_libreoffice.sh BUILD_DIR [DIVISION.fb]}
root=$(cd "$(dirname "$0")/../.." && pwd)
cli="$build/src/tessaly-cli"
[ -x "$cli" ] || { echo "compare: $cli not built" >&2; exit 1; }
command -v soffice >/dev/null || { echo "compare: LibreOffice (soffice) not installed; scripts/setup.sh tools installs it" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ $# -ge 2 ]; then
  cp "$2" "$work/divided.fb"
else
  "$cli" divide "$root/data/sample.fb" --seed 2026 -o "$work/divided.fb" >/dev/null
fi
"$cli" table "$work/divided.fb" all >"$work/all.txt"
"$cli" table "$work/divided.fb" averages >"$work/averages.txt"
"$cli" export "$work/divided.fb" -o "$work/export.xlsx"
mkdir "$work/csv" "$work/rosters"
# Tab-separated, quoted with ", UTF-8, cells as shown, every sheet into its own file.
HOME="$work/home" soffice --headless --norestore \
  --convert-to 'csv:Text - txt - csv (StarCalc):9,34,76,1,,0,false,true,true,false,false,-1' \
  --outdir "$work/csv" "$work/export.xlsx" >"$work/soffice.log" 2>&1 ||
  { cat "$work/soffice.log" >&2; exit 1; }
# The first sheet again with every text cell quoted: unquoted cells are numbers.
mkdir "$work/typed"
HOME="$work/home" soffice --headless --norestore \
  --convert-to 'csv:Text - txt - csv (StarCalc):9,34,76,1,,0,true,true,true,false,false,1' \
  --outdir "$work/typed" "$work/export.xlsx" >"$work/soffice.log" 2>&1 ||
  { cat "$work/soffice.log" >&2; exit 1; }
for f in "$work"/csv/export-*" 班.csv"; do
  [ -e "$f" ] || continue
  k=${f##*/export-}
  k=${k%% 班.csv}
  "$cli" table "$work/divided.fb" roster --class "$k" >"$work/rosters/$k.txt"
done

python3 - "$work" <<'PY'
import csv, glob, os, re, sys

work = sys.argv[1]

def table_text(path):
    """Rows of cells as a paste of table text gives them."""
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    rows = []
    for line in text.split("\r\n")[:-1] if text.endswith("\r\n") else text.split("\r\n"):
        cells = line.split("\t")
        if cells and cells[-1] == "":
            cells.pop()
        rows.append(cells)
    return rows

def shown(path):
    with open(path, encoding="utf-8", newline="") as f:
        return [row for row in csv.reader(f, delimiter="\t", quotechar='"')]

def trimmed(rows):
    out = [list(r) for r in rows]
    for r in out:
        while r and r[-1] == "":
            r.pop()
    while out and not out[-1]:
        out.pop()
    return out

def compare(name, want, got, limit=20):
    want, got = trimmed(want), trimmed(got)
    diffs = 0
    for r in range(max(len(want), len(got))):
        a = want[r] if r < len(want) else []
        b = got[r] if r < len(got) else []
        for c in range(max(len(a), len(b))):
            x = a[c] if c < len(a) else ""
            y = b[c] if c < len(b) else ""
            if x != y:
                diffs += 1
                if diffs <= limit:
                    print(f"{name}: row {r + 1} column {c + 1}: expected {x!r}, Calc shows {y!r}")
    cells = sum(len(r) for r in want)
    print(f"{name}: {len(want)} rows, {cells} cells, {diffs} differences")
    return diffs

def is_number_text(t):
    """A text stored as a number: the export's rule (sign, digits without a
    leading zero, optional decimals; at most 15 significant digits; a "+"
    needs decimals; no signed zero)."""
    m = re.fullmatch(r"([+-]?)(0|[1-9][0-9]*)(?:\.([0-9]+))?", t)
    if not m:
        return False
    sign, whole, frac = m.group(1), m.group(2), m.group(3) or ""
    if sign == "+" and not frac:
        return False
    digits = (whole + frac).lstrip("0")
    if len(digits) > 15:
        return False
    return not (sign and float(t) == 0)

def check_types(name, want, typed_path, limit=20):
    with open(typed_path, encoding="utf-8", newline="") as f:
        lines = f.read().splitlines()
    diffs = numbers = 0
    for r, row in enumerate(trimmed(want)):
        fields = lines[r].split("\t") if r < len(lines) else []
        for c, text in enumerate(row):
            if text == "":
                continue
            raw = fields[c] if c < len(fields) else ""
            stored_number = not raw.startswith('"')
            numbers += stored_number
            if stored_number != is_number_text(text):
                diffs += 1
                if diffs <= limit:
                    kind = "a number" if stored_number else "text"
                    print(f"{name}: row {r + 1} column {c + 1}: {text!r} is stored as {kind}")
    print(f"{name}: {numbers} cells stored as numbers, {diffs} cells of the wrong type")
    return diffs

total = 0
sheets = 0
first = os.path.join(work, "csv", "export-全部数据.csv")
all_rows = table_text(os.path.join(work, "all.txt"))
total += compare("全部数据", all_rows, shown(first))
total += check_types("全部数据", all_rows, os.path.join(work, "typed", "export-全部数据.csv"))
sheets += 1
classes = sorted(glob.glob(os.path.join(work, "csv", "export-* 班.csv")),
                 key=lambda p: int(os.path.basename(p)[7:-6]))
for path in classes:
    k = os.path.basename(path)[7:-6]
    total += compare(f"{k} 班", table_text(os.path.join(work, "rosters", k + ".txt")), shown(path))
    sheets += 1

# The chart sheet: per range a title row, a heading row and one row per
# class (label, class average total, range average total), which must be
# the averages table's class rows and range row ("0.000").
averages = table_text(os.path.join(work, "averages.txt"))
chart_path = os.path.join(work, "csv", "export-平均分图.csv")
if os.path.exists(chart_path):
    chart_rows = trimmed(shown(chart_path))
    want = {}
    block = None
    for row in averages:
        if row and row[0].endswith(" 该段整体平均分"):
            block = row[0][: -len(" 该段整体平均分")]
            want[block] = {"range": row[-1], "classes": []}
        elif block and row and row[0].endswith(" 班") and len(want[block]["classes"]) < 1000:
            if not any(r[0] == row[0] for r in want[block]["classes"]):
                want[block]["classes"].append((row[0], row[-1]))
            else:
                block = None  # the gap rows follow
        elif row and row[0].startswith("均差值"):
            block = None
    got = {}
    current = None
    for row in chart_rows:
        if len(row) == 1 and row[0].endswith(" 班级平均总分"):
            current = row[0][: -len(" 班级平均总分")]
            got[current] = {"range": None, "classes": []}
        elif current and len(row) >= 3 and row[0].endswith(" 班"):
            got[current]["classes"].append((row[0], row[1]))
            got[current]["range"] = row[2]
    diffs = 0
    for key, w in want.items():
        g = got.get(key)
        if g is None or g["classes"] != w["classes"] or g["range"] != w["range"]:
            diffs += 1
            print(f"平均分图: range {key}: expected {w}, Calc shows {g}")
    if set(got) - set(want):
        diffs += 1
        print(f"平均分图: ranges not in the averages table: {sorted(set(got) - set(want))}")
    print(f"平均分图: {len(want)} charts' data, {diffs} differences")
    total += diffs
    sheets += 1
print(f"{sheets} sheets compared, {total} differences")
sys.exit(1 if total else 0)
PY
