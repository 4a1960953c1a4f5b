#!/usr/bin/env python3
"""Plots the bench's CSV as SVG: the injected axis error and the correction
received at each point along the axis. Plain python3.

usage: demo_plot.py BENCH_CSV OUT_SVG
"""
import csv
import sys


def main():
    rows = list(csv.DictReader(open(sys.argv[1])))
    xs = [float(r["commanded_travel"]) for r in rows]
    err = [float(r["axis_error"]) for r in rows]
    rec = [float(r["received"]) for r in rows]
    w, h, m = 640, 360, 50
    x0, x1 = min(xs + [0]), max(xs + [1])
    vals = err + rec + [0]
    y0, y1 = min(vals), max(vals)
    if y1 - y0 < 1e-9:
        y0, y1 = y0 - 1e-3, y1 + 1e-3
    def px(x): return m + (x - x0) / ((x1 - x0) or 1) * (w - 2 * m)
    def py(y): return h - m - (y - y0) / (y1 - y0) * (h - 2 * m)
    def line(ys, colour):
        pts = " ".join("%.1f,%.1f" % (px(x), py(y)) for x, y in zip(xs, ys))
        dots = "".join('<circle cx="%.1f" cy="%.1f" r="3" fill="%s"/>' % (px(x), py(y), colour)
                       for x, y in zip(xs, ys))
        return '<polyline points="%s" fill="none" stroke="%s" stroke-width="2"/>%s' % (pts, colour, dots)
    svg = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d">' % (w, h),
           '<rect width="100%" height="100%" fill="white"/>',
           '<line x1="%d" y1="%.1f" x2="%d" y2="%.1f" stroke="#888"/>' % (m, py(0), w - m, py(0)),
           line(err, "#d9480f"), line(rec, "#1f4e79"),
           '<text x="%d" y="20" font-family="sans-serif" font-size="14">Axis error (orange) and '
           'correction sent (blue) along the axis; %.4g to %.4g on the vertical</text>' % (m, y0, y1),
           '<text x="%d" y="%d" font-family="sans-serif" font-size="12">commanded travel %.4g to %.4g</text>'
           % (m, h - 15, x0, x1), "</svg>"]
    open(sys.argv[2], "w").write("\n".join(svg) + "\n")


main()
