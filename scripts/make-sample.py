#!/usr/bin/env python3
"""Writes samples/sample-site.txt: a made-up survey of a small building site in
PNEZD with CR LF line ends. Rolling ground falling to the south-east, a level
building pad with a retaining wall, an access road with curbs and edges of
pavement, a drainage ditch, and a closed depression that holds water."""
import math
import random

random.seed(7)
E0, N0 = 10000.0, 5000.0
SIZE = 300.0
points = []


def ground(e, n):
    x, y = e - E0, n - N0
    z = 112.0 - 0.025 * x - 0.018 * y + 1.2 * math.sin(x / 41.0) * math.cos(y / 57.0)
    # depression south-west of the pad
    d = math.hypot(x - 70.0, y - 80.0)
    if d < 38.0:
        z -= 2.6 * (1 + math.cos(math.pi * d / 38.0)) / 2
    # ditch along the east side, running south
    dd = abs(x - 262.0)
    if dd < 6.0:
        z -= 1.4 * (1 - dd / 6.0)
    return z


def add(e, n, z, code):
    points.append((n, e, z, code))


# Road: a gentle curve from the west edge to the pad, 7.2 m wide with curbs.
def road_centre(t):
    e = E0 + 5 + t * 170
    n = N0 + 215 - 40 * math.sin(t * math.pi / 2)
    return e, n


steps = 60
for i in range(steps + 1):
    t = i / steps
    e, n = road_centre(t)
    e2, n2 = road_centre(min(1, t + 0.001))
    de, dn = e2 - e, n2 - n
    length = math.hypot(de, dn) or 1
    ne, nn = -dn / length, de / length
    zc = ground(e, n) + 0.25
    add(e, n, zc + 0.08, "CL")
    for side in (-1, 1):
        for off, dz, code in ((3.6, 0.0, "EP"), (3.7, 0.0, "BC"), (3.85, 0.15, "TC"), (5.5, 0.12, "BW")):
            pe, pn = e + side * off * ne, n + side * off * nn
            add(pe, pn, zc + dz, code)

# Building pad: a level rectangle, retaining wall on its low side.
pad_e, pad_n, pad_w, pad_h = E0 + 175, N0 + 150, 80.0, 55.0
pad_z = round(ground(pad_e + pad_w / 2, pad_n + pad_h / 2), 1)
for i in range(21):
    for j in range(15):
        e = pad_e + pad_w * i / 20
        n = pad_n + pad_h * j / 14
        edge = i in (0, 20) or j in (0, 14)
        add(e, n, pad_z, "PAD" if not edge else "TOE")
for i in range(21):
    e = pad_e + pad_w * i / 20
    add(e, pad_n - 0.3, pad_z, "TW 2.5")
    add(e, pad_n - 0.6, pad_z - 2.5, "BW")

# Ditch: flow line and both top edges.
for i in range(41):
    n = N0 + 10 + i * 7
    e = E0 + 262
    add(e, n, ground(e, n), "DITCH")
    for side in (-1, 1):
        add(e + side * 6, n, ground(e + side * 6, n), "TOB")

# Depression: rings round the low point.
for r in (0.0, 6, 12, 20, 30):
    count = 1 if r == 0 else int(r * 1.2)
    for k in range(count):
        a = 2 * math.pi * k / count
        e, n = E0 + 70 + r * math.cos(a), N0 + 80 + r * math.sin(a)
        add(e, n, ground(e, n), "POND" if r < 25 else "TOPO")

# Topography shots over the rest of the site, jittered like a real field crew.
def on_pad_or_road(e, n):
    if pad_e - 3 <= e <= pad_e + pad_w + 3 and pad_n - 3 <= n <= pad_n + pad_h + 3:
        return True
    for i in range(steps + 1):
        ce, cn = road_centre(i / steps)
        if math.hypot(e - ce, n - cn) < 7:
            return True
    return False


spacing = 7.0
k = 0
y = 0.0
while y <= SIZE:
    x = 0.0
    while x <= SIZE:
        e = E0 + x + random.uniform(-1.5, 1.5)
        n = N0 + y + random.uniform(-1.5, 1.5)
        if not on_pad_or_road(e, n):
            add(e, n, ground(e, n) + random.uniform(-0.03, 0.03), random.choice(["TOPO", "TOPO", "TOPO", "GS"]))
        x += spacing
    y += spacing

# A few trees and a manhole, and two control points.
for i in range(12):
    e, n = E0 + random.uniform(10, 290), N0 + random.uniform(10, 120)
    add(e, n, ground(e, n), "TREE")
add(E0 + 120, N0 + 190, ground(E0 + 120, N0 + 190) + 0.2, "MH")
add(E0 + 2, N0 + 2, ground(E0 + 2, N0 + 2), "CP1")
add(E0 + 298, N0 + 298, ground(E0 + 298, N0 + 298), "CP2")

with open("samples/sample-site.txt", "w", newline="") as f:
    for i, (n, e, z, code) in enumerate(points, start=1):
        f.write(f"{i},{n:.3f},{e:.3f},{z:.3f},{code}\r\n")
print(len(points), "points")
