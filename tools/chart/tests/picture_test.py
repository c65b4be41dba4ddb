#!/usr/bin/env python3
"""The chart as a reader sees it: pictures drawn by dicestat-chart, rendered
by headless Chromium to PNG, and judged by their pixels. Where to look comes
from the SVG (a cell's or a bar's rectangle); what is seen there comes from
the browser alone.

picture_test.py DICESTAT DICESTAT-CHART
"""
import os
import random
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from concurrent.futures import ThreadPoolExecutor

from PIL import Image

SVG = "{http://www.w3.org/2000/svg}"
MORE = (0xB2, 0x18, 0x2B)  # the scale's full red: far more than expected
FEWER = (0x21, 0x66, 0xAC)  # its full blue
MAX_BYTES = 200 * 1024
failures = []


def check(ok, what):
    print(("ok      " if ok else "FAILED  ") + what)
    if not ok:
        failures.append(what)


def run(args, cwd, stdin=b""):
    return subprocess.run(args, cwd=cwd, input=stdin, stdout=subprocess.PIPE, check=True).stdout


def render(svg_path, png_path, profile):
    """Chromium's screenshot of the picture at its own size."""
    root = ET.parse(svg_path).getroot()
    size = "%s,%s" % (root.get("width"), root.get("height"))
    subprocess.run(
        ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--hide-scrollbars", "--force-device-scale-factor=1",
         "--user-data-dir=" + profile, "--screenshot=" + png_path, "--window-size=" + size,
         "file://" + os.path.abspath(svg_path)],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=60)
    return root, Image.open(png_path).convert("RGB")


def distance(a, b):
    return sum((x - y) ** 2 for x, y in zip(a, b)) ** 0.5


def reddish(px):
    return px[0] - px[2] > 50


def box(rect):
    return [int(rect.get(k)) for k in ("x", "y", "width", "height")]


def chart(chart_bin, tmp, name, args, stdin=b""):
    path = os.path.join(tmp, name + ".svg")
    with open(path, "wb") as out:
        out.write(run([chart_bin] + args, tmp, stdin))
    check(os.path.getsize(path) < MAX_BYTES, "%s: under %d bytes" % (name, MAX_BYTES))
    return path


def main(dicestat, chart_bin):
    with tempfile.TemporaryDirectory() as tmp:
        for rolls in ("200", "1000000"):
            os.mkdir(os.path.join(tmp, rolls))
            run([dicestat], os.path.join(tmp, rolls), ("%s\n42\n" % rolls).encode())
        # Dice that stick: each roll repeats the one before on a coin flip.
        draw = random.Random(7)
        sticky = [draw.randrange(36)]
        for _ in range(99999):
            sticky.append(sticky[-1] if draw.random() < 0.5 else draw.randrange(36))
        with open(os.path.join(tmp, "sticky.txt"), "w") as f:
            f.write(" ".join("%d%d" % (o // 6 + 1, o % 6 + 1) for o in sticky))
        with open(os.path.join(tmp, "1000000", "statfile.txt"), "rb") as f:
            report = f.read()
        paths = {
            "200": chart(chart_bin, tmp, "200", ["200/statfile.txt"]),
            "million": chart(chart_bin, tmp, "million", ["1000000/statfile.txt"]),
            "sticky": chart(chart_bin, tmp, "sticky", ["sticky.txt"]),
            "no-log": chart(chart_bin, tmp, "no-log", ["-"], report),
        }
        with ThreadPoolExecutor(max_workers=len(paths)) as pool:
            jobs = {name: pool.submit(render, path, path + ".png",
                                      os.path.join(tmp, "profile-" + name))
                    for name, path in paths.items()}
            seen = {name: job.result() for name, job in jobs.items()}

        root, png = seen["200"]
        cells = [r for r in root.iter(SVG + "rect") if (r.get("class") or "").startswith("cell")]
        check(len(cells) == 36, "200 rolls: 36 cells")
        for r in cells:
            x, y, w, h = box(r)
            px = png.getpixel((x + 8, y + h - 8))  # inside the frame, clear of the text
            check(min(distance(px, MORE), distance(px, FEWER)) > 60,
                  "200 rolls: cell at %d,%d not saturated, %s (z %s)" % (x, y, px, r.get("data-z")))

        root, png = seen["million"]
        bars = {r.get("data-lag"): r for r in root.iter(SVG + "rect") if r.get("data-lag")}
        plot = next(r for r in root.iter(SVG + "rect") if r.get("id") == "lag-plot")
        line = next(e for e in root.iter(SVG + "line") if e.get("id") == "reject-line")
        top, line_y = int(plot.get("y")), int(line.get("y1"))
        for lag in ("65536", "1"):
            check(lag in bars, "10^6 rolls: a bar for lag " + lag)
        x, _, w, _ = box(bars["65536"])
        check(distance(png.getpixel((x + w // 2, top + 2)), MORE) < 40,
              "10^6 rolls: lag 65536's bar reaches the top in the 'more' colour")
        x, _, w, _ = box(bars["1"])
        for y in (line_y - 3, line_y + 3):
            check(min(png.getpixel((x + w // 2, y))) > 240,
                  "10^6 rolls: nothing of lag 1's bar at y %d, by the line" % y)

        root, png = seen["sticky"]
        group = next(g for g in root.iter(SVG + "g") if g.get("id") == "pair-map")
        dx, dy = (int(v) for v in group.get("transform")[len("translate("):-1].split())
        cells = list(group.iter(SVG + "rect"))
        check(len(cells) == 36 * 36, "dice that stick: 1296 cells in the map")
        wrong = []
        for r in cells:
            x, y, w, h = box(r)
            diagonal = r.get("data-first") == r.get("data-second")
            px = png.getpixel((dx + x + w // 2, dy + y + h // 2))
            if reddish(px) != diagonal:
                wrong.append((r.get("data-first"), r.get("data-second"), px))
        check(not wrong, "dice that stick: the map's diagonal red and no other cell, "
              "wrong: %s" % wrong[:5])

        root, png = seen["no-log"]
        ids = {e.get("id") for e in root.iter()}
        check("lags" not in ids and "pair-map" not in ids, "no log: no panel and no map")
        check(png.height < seen["million"][1].height - 500, "no log: the picture ends sooner")
    return not failures


if __name__ == "__main__":
    sys.exit(0 if main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])) else 1)
