#!/usr/bin/env python3
"""The chart as a reader sees it: pictures drawn by dicestat-chart, rendered
by headless Chromium to PNG and judged by their pixels. Where to look comes
from the SVG (a cell's or a bar's rectangle); what is seen there, from the
browser alone.   picture_test.py DICESTAT DICESTAT-CHART"""
import os
import random
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from concurrent.futures import ThreadPoolExecutor

from PIL import Image

SVG = "{http://www.w3.org/2000/svg}"
MORE, FEWER = (0xB2, 0x18, 0x2B), (0x21, 0x66, 0xAC)  # the scale's full red and blue
MAX_BYTES = 200 * 1024
CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--hide-scrollbars", "--force-device-scale-factor=1"]
failures = []


def check(ok, what):
    print(("ok      " if ok else "FAILED  ") + what)
    failures.extend([] if ok else [what])


def render(svg_path):
    """The picture's tree, and Chromium's screenshot of it at its own size."""
    root = ET.parse(svg_path).getroot()
    subprocess.run(CHROMIUM + ["--user-data-dir=" + svg_path + ".profile",
                               "--screenshot=" + svg_path + ".png",
                               "--window-size=%s,%s" % (root.get("width"), root.get("height")),
                               "file://" + svg_path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=60)
    return root, Image.open(svg_path + ".png").convert("RGB")


def distance(a, b):
    return sum((x - y) ** 2 for x, y in zip(a, b)) ** 0.5


def box(rect):
    return [int(rect.get(k)) for k in ("x", "y", "width", "height")]


def by_id(root, tag, name):
    return next(e for e in root.iter(SVG + tag) if e.get("id") == name)


def main(dicestat, chart_bin, tmp):
    def chart(name, args, stdin=b""):
        path = os.path.join(tmp, name + ".svg")
        with open(path, "wb") as out:
            out.write(subprocess.run([chart_bin] + args, cwd=tmp, input=stdin, check=True,
                                     stdout=subprocess.PIPE).stdout)
        check(os.path.getsize(path) < MAX_BYTES, "%s: under %d bytes" % (name, MAX_BYTES))
        return path

    for rolls in ("200", "1000000"):
        os.mkdir(os.path.join(tmp, rolls))
        subprocess.run([dicestat], cwd=os.path.join(tmp, rolls), stdout=subprocess.DEVNULL,
                       input=b"%s\n42\n" % rolls.encode(), check=True)
    draw = random.Random(7)  # dice that stick: each roll the one before on a coin flip
    sticky = [draw.randrange(36)]
    for _ in range(99999):
        sticky.append(sticky[-1] if draw.random() < 0.5 else draw.randrange(36))
    with open(os.path.join(tmp, "sticky.txt"), "w") as f:
        f.write(" ".join("%d%d" % (o // 6 + 1, o % 6 + 1) for o in sticky))
    with open(os.path.join(tmp, "1000000", "statfile.txt"), "rb") as f:
        paths = [chart("200", ["200/statfile.txt"]), chart("million", ["1000000/statfile.txt"]),
                 chart("sticky", ["sticky.txt"]), chart("alone", ["-"], f.read())]
    # A d20 whose 20 comes up one roll in ten, and a pair whose second die
    # copies the first one roll in four.
    d20 = [20 if draw.random() < 0.1 else draw.randint(1, 20) for _ in range(5000)]
    pair = [(a, a if draw.random() < 0.25 else draw.randint(1, 6))
            for a in (draw.randint(1, 6) for _ in range(5000))]
    paths += [chart("d20", ["-"], "\n".join(map(str, d20)).encode()),
              chart("pair", ["--dice", "2", "-"], "".join("%d %d\n" % p for p in pair).encode())]
    with ThreadPoolExecutor(max_workers=2) as pool:
        few, million, stuck, alone, d20_picture, pair_picture = pool.map(render, paths)

    root, png = few
    cells = [r for r in root.iter(SVG + "rect") if (r.get("class") or "").startswith("cell")]
    saturated = [r.get("data-z") for r in cells for x, y, w, h in [box(r)]
                 if min(distance(png.getpixel((x + 8, y + h - 8)), c) for c in (MORE, FEWER)) < 60]
    check(len(cells) == 36 and not saturated, "200 rolls: 36 cells, none saturated: %s" % saturated)

    root, png = million
    bars = {r.get("data-lag"): box(r) for r in root.iter(SVG + "rect") if r.get("data-lag")}
    top = int(by_id(root, "rect", "lag-plot").get("y"))
    line_y = int(by_id(root, "line", "reject-line").get("y1"))
    x, _, w, _ = bars["65536"]
    check(distance(png.getpixel((x + w // 2, top + 2)), MORE) < 40,
          "10^6 rolls: lag 65536's bar reaches the top in the 'more' colour")
    x, bar_y, w, _ = bars["1"]
    check(all(min(png.getpixel((x + w // 2, y))) > 240 for y in (line_y - 3, line_y + 3))
          and distance(png.getpixel((x + w // 2, bar_y)), MORE) > 100,
          "10^6 rolls: lag 1's bar stays under the line, not in the 'more' colour")

    root, png = stuck
    group = by_id(root, "g", "pair-map")
    dx, dy = (int(v) for v in group.get("transform")[len("translate("):-1].split())
    wrong = [(r.get("data-first"), r.get("data-second"), px) for r in group.iter(SVG + "rect")
             for x, y, w, h in [box(r)] for px in [png.getpixel((dx + x + w // 2, dy + y + h // 2))]
             if (px[0] - px[2] > 50) != (r.get("data-first") == r.get("data-second"))]
    check(len(list(group)) == 36 * 36 and not wrong,
          "dice that stick: of the map's 1296 cells the diagonal red, no other: %s" % wrong[:5])

    root, png = alone
    ids = {e.get("id") for e in root.iter()}
    check("lags" in ids and "pair-map" in ids and abs(png.height - million[1].height) < 100,
          "a report alone is replayed: its panel and map are drawn as with its log")

    root, png = d20_picture
    faces = list(by_id(root, "g", "faces"))
    colours = {r.get("data-face"): png.getpixel((x + w // 2, y + h - 3))
               for r in faces for x, y, w, h in [box(r)]}
    wrong = [f for f, px in colours.items() if (distance(px, MORE) < 60) != (f == "20")]
    check(len(faces) == 20 and faces[19].get("data-off") == "high" and not wrong,
          "d20: 20 bars, face 20 flagged high and alone in the 'more' colour: %s" % wrong)

    root, png = pair_picture
    cells = list(by_id(root, "g", "grid").iter(SVG + "rect"))
    wrong = [(r.get("data-first"), r.get("data-second")) for r in cells for x, y, w, h in [box(r)]
             if (distance(png.getpixel((x + 4, y + 4)), MORE) < 60)
             != (r.get("data-first") == r.get("data-second"))]
    check(len(cells) == 36 and len(list(by_id(root, "g", "faces"))) == 12 and not wrong,
          "pair: 12 bars, and of the grid's 36 cells the diagonal red, no other: %s" % wrong)


if __name__ == "__main__":
    with tempfile.TemporaryDirectory() as scratch:
        main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), scratch)
    sys.exit(1 if failures else 0)
