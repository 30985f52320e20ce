#!/bin/sh
# Compares two printed pages of the same report made at different printer resolutions
# (tessaly.exe under Wine on PostScript printers of 600 and 300 dpi): every text line must
# keep its size and place relative to the page. Ghostscript's txtwrite gives each run of
# text with its box and font size in points, whatever the resolution it was printed at;
# the two pages must hold the same lines, each starting within TOLERANCE points (default 2)
# of the other's start (down the page within 2 % more: the layout's steps are whole device
# units), as wide within 5 % (so are glyph advances) and in font sizes within 5 % of each
# other.
#
#   check-print-scale.sh PAGE-A.ps PAGE-B.ps
set -eu
[ $# = 2 ] || { echo "usage: $0 PAGE-A.ps PAGE-B.ps" >&2; exit 2; }
for page in "$1" "$2"; do
  [ -s "$page" ] || { echo "no printed page in $page" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=txtwrite -dTextFormat=0 -o "$tmp/a.xml" "$1"
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=txtwrite -dTextFormat=0 -o "$tmp/b.xml" "$2"
TOLERANCE=${TESSALY_PRINT_SCALE_TOLERANCE:-2} python3 - "$tmp/a.xml" "$tmp/b.xml" "$1" "$2" <<'PY'
import html
import os
import re
import sys

SPAN = re.compile(r'<span bbox="([-\d. ]+)" font="[^"]*" size="([\d.]+)">(.*?)</span>', re.S)
CHAR = re.compile(r'<char bbox="[^"]*" c="([^"]*)"/>')


def lines(path):
    """The page's lines, top to bottom: text, left, right, baseline (points), font sizes."""
    with open(path, encoding="utf-8", errors="replace") as f:
        data = f.read()
    rows = {}
    for box, size, body in SPAN.findall(data):
        text = "".join(html.unescape(c) for c in CHAR.findall(body))
        x0, y0, x1, _ = (float(v) for v in box.split())
        if text.strip():
            rows.setdefault(round(y0), []).append((x0, x1, text, float(size)))
    result = []
    for y in sorted(rows):
        runs = sorted(rows[y])
        result.append({"text": "".join(r[2] for r in runs), "left": runs[0][0],
                       "right": max(r[1] for r in runs), "y": y,
                       "sizes": {r[3] for r in runs}})
    return result


tolerance = float(os.environ["TOLERANCE"])
a, b = lines(sys.argv[1]), lines(sys.argv[2])
names = sys.argv[3], sys.argv[4]
faults = []
if len(a) < 10:
    faults.append(f"{names[0]}: only {len(a)} lines of text")
if [line["text"] for line in a] != [line["text"] for line in b]:
    faults.append("the pages hold different lines:\n  " + repr([l["text"] for l in a]) +
                  "\n  " + repr([l["text"] for l in b]))
else:
    for la, lb in zip(a, b):
        where = repr(la["text"])
        # The layout's steps are whole device units too: a line far down the page may lie
        # a point or two higher at the lower resolution.
        if (abs(la["y"] - lb["y"]) > tolerance + 0.02 * max(la["y"], lb["y"]) or
                abs(la["left"] - lb["left"]) > tolerance):
            faults.append(f"{where}: starts at ({la['left']}, {la['y']}) against "
                          f"({lb['left']}, {lb['y']})")
        # Glyph advances are whole device units, so a long line at the lower resolution
        # may come out a few per cent shorter or longer.
        width_a, width_b = la["right"] - la["left"], lb["right"] - lb["left"]
        if abs(width_a - width_b) > tolerance + 0.05 * max(width_a, width_b):
            faults.append(f"{where}: {width_a:.0f} pt wide against {width_b:.0f} pt")
        for sa in la["sizes"]:
            if all(abs(sa - sb) > 0.05 * max(sa, sb) for sb in lb["sizes"]):
                faults.append(f"{where}: font size {sorted(la['sizes'])} pt against "
                              f"{sorted(lb['sizes'])} pt")
                break
if faults:
    print("the pages differ in scale:", *faults, sep="\n", file=sys.stderr)
    sys.exit(1)
sizes = sorted(set().union(*(line["sizes"] for line in a)))
print(f"same scale: {len(a)} lines, font sizes {sizes} pt, lines start within {tolerance} pt")
PY
