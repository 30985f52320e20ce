#!/usr/bin/env python3
"""Renders the page that tessaly-sim printed as an SVG picture a person can look at.

Usage: tessaly-sim SCENARIO.json print | tools/report/render_page.py > page.svg

The page is drawn in its own device units, scaled to fit 850 pixels wide; texts are
placed by the top of their character cells in a fixed-width font whose characters are
H / 100 units wide and high, as the virtual printer measures them.
"""
import json
import sys
from xml.sax.saxutils import escape


def main():
    document = json.load(sys.stdin)
    pages = [step["page"] for step in document.get("steps", []) if step.get("page")]
    if not pages:
        sys.exit("render_page: no printed page in the input")
    page = pages[-1]
    width, height = max(page["width"], 1), max(page["height"], 1)
    scale = 850.0 / width
    cell = height / 100.0
    out = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
        % (round(width * scale), round(height * scale), width, height),
        '<rect x="0" y="0" width="%d" height="%d" fill="white" stroke="#bbb" stroke-width="%d"/>'
        % (width, height, max(1, width // 400)),
    ]
    for line in page["lines"]:
        out.append(
            '<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="black" stroke-width="%d"/>'
            % (line["x1"], line["y1"], line["x2"], line["y2"], max(1, line["width"])))
    for text in page["texts"]:
        out.append(
            '<text x="%d" y="%.1f" font-family="monospace" font-size="%.1f" '
            'textLength="%.1f" xml:space="preserve">%s</text>'
            % (text["x"], text["y"] + cell * 0.8, cell * 1.1, cell * len(text["text"]),
               escape(text["text"])))
    out.append("</svg>")
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
