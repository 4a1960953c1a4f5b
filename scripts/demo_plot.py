#!/usr/bin/env python3
"""Plots the bench's CSV as SVG along the axis: the injected axis error, the
correction the controller received at each point, and the residual (error
plus correction: what is left of the error once the table is applied).
Prints the residual's summary. Plain python3, no plotting library.

usage: demo_plot.py BENCH_CSV OUT_SVG
"""
import csv
import sys

WIDTH, HEIGHT = 720, 400
LEFT, RIGHT, TOP, BOTTOM = 80, 20, 40, 60
SERIES = [("axis error", "#d9480f"), ("correction received", "#1f4e79"),
          ("residual", "#2b8a3e")]


def read_rows(path):
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    # The last run is the one to show.
    last = rows[-1]["run"] if rows else None
    return [r for r in rows if r["run"] == last]


def ticks(low, high, count=5):
    step = (high - low) / count
    return [low + i * step for i in range(count + 1)]


def plot(rows):
    xs = [float(r["commanded_travel"]) for r in rows]
    error = [float(r["axis_error"]) for r in rows]
    received = [float(r["received"]) for r in rows]
    residual = [e + c for e, c in zip(error, received)]
    x0, x1 = min(xs), max(xs)
    if x1 - x0 < 1e-9:
        x0, x1 = x0 - 1, x1 + 1
    values = error + received + residual + [0.0]
    y0, y1 = min(values), max(values)
    if y1 - y0 < 1e-9:
        y0, y1 = y0 - 1e-3, y1 + 1e-3

    def px(x):
        return LEFT + (x - x0) / (x1 - x0) * (WIDTH - LEFT - RIGHT)

    def py(y):
        return HEIGHT - BOTTOM - (y - y0) / (y1 - y0) * (HEIGHT - TOP - BOTTOM)

    svg = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
           'font-family="sans-serif" font-size="12">' % (WIDTH, HEIGHT),
           '<rect width="100%" height="100%" fill="white"/>',
           '<text x="%d" y="22" font-size="15">Pitch error along the axis, and the '
           'mapping table that corrects it</text>' % LEFT]
    for x in ticks(x0, x1):
        svg.append('<line x1="%.1f" y1="%d" x2="%.1f" y2="%d" stroke="#eee"/>'
                   % (px(x), TOP, px(x), HEIGHT - BOTTOM))
        svg.append('<text x="%.1f" y="%d" text-anchor="middle">%.4g</text>'
                   % (px(x), HEIGHT - BOTTOM + 16, x))
    for y in ticks(y0, y1):
        svg.append('<line x1="%d" y1="%.1f" x2="%d" y2="%.1f" stroke="#eee"/>'
                   % (LEFT, py(y), WIDTH - RIGHT, py(y)))
        svg.append('<text x="%d" y="%.1f" text-anchor="end">%.4f</text>'
                   % (LEFT - 6, py(y) + 4, y))
    svg.append('<line x1="%d" y1="%.1f" x2="%d" y2="%.1f" stroke="#888"/>'
               % (LEFT, py(0), WIDTH - RIGHT, py(0)))
    svg.append('<text x="%d" y="%d" text-anchor="middle">commanded travel from the '
               'start position</text>' % ((LEFT + WIDTH - RIGHT) // 2, HEIGHT - 22))
    for (name, colour), ys in zip(SERIES, (error, received, residual)):
        points = " ".join("%.1f,%.1f" % (px(x), py(y)) for x, y in zip(xs, ys))
        svg.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="2"/>'
                   % (points, colour))
        svg.extend('<circle cx="%.1f" cy="%.1f" r="3" fill="%s"/>' % (px(x), py(y), colour)
                   for x, y in zip(xs, ys))
    for i, (name, colour) in enumerate(SERIES):
        x = LEFT + i * 190
        svg.append('<rect x="%d" y="%d" width="14" height="4" fill="%s"/>'
                   % (x, HEIGHT - 10, colour))
        svg.append('<text x="%d" y="%d">%s</text>' % (x + 20, HEIGHT - 5, name))
    svg.append("</svg>")
    return "\n".join(svg) + "\n", error, residual


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    rows = read_rows(sys.argv[1])
    if not rows:
        sys.exit("demo_plot: %s has no rows" % sys.argv[1])
    text, error, residual = plot(rows)
    with open(sys.argv[2], "w") as f:
        f.write(text)
    print("residual: largest |error + correction| %.5f over %d points "
          "(the error itself up to %.5f)"
          % (max(abs(r) for r in residual), len(rows), max(abs(e) for e in error)))


main()
