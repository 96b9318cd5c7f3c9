"""Writes a contour drawing like a national map sheet's: 1 m contours over
rolling ground, 1.5 km square, as LWPOLYLINEs at their elevations, cut into
pieces of at most four segments as map tiles and layers leave them (the
pieces share their ends). About 12,700 segments and 16,000 vertices.
usage: make_contour_dxf.py OUT.dxf"""
import math, sys

SIZE, CELL = 1500.0, 18.0
N = int(SIZE / CELL)
X0, Y0 = 500000.0, 4000000.0


def ground(x, y):
    return (100.0 + 11.0 * math.sin(x / 190.0) + 8.0 * math.cos(y / 150.0)
            + 4.0 * math.sin((x + 2.0 * y) / 95.0) + 0.008 * x)


h = [[ground(i * CELL, j * CELL) for j in range(N + 1)] for i in range(N + 1)]
lo, hi = math.ceil(min(map(min, h))), math.floor(max(map(max, h)))


def crossing(level, a, b):
    """The place where the level crosses grid edge a-b (corner indices)."""
    (ia, ja), (ib, jb) = a, b
    ha, hb = h[ia][ja], h[ib][jb]
    t = (level - ha) / (hb - ha)
    return (X0 + CELL * (ia + t * (ib - ia)), Y0 + CELL * (ja + t * (jb - ja)))


def segments(level):
    """Marching squares: each segment joins two grid edges, named by their corners."""
    out = []
    for i in range(N):
        for j in range(N):
            corners = [(i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1)]
            above = [h[c[0]][c[1]] > level for c in corners]
            edges = [(corners[k], corners[(k + 1) % 4]) for k in range(4) if above[k] != above[(k + 1) % 4]]
            if len(edges) == 2:
                out.append((edges[0], edges[1]))
            elif len(edges) == 4:  # a saddle: always join each edge to its next one
                out.append((edges[0], edges[1]))
                out.append((edges[2], edges[3]))
    return out


def key(edge):
    return tuple(sorted(edge))


def chains(segs):
    """Joins segments sharing a grid edge into polylines of grid edges."""
    at = {}
    for n, (e, f) in enumerate(segs):
        at.setdefault(key(e), []).append(n)
        at.setdefault(key(f), []).append(n)
    used = [False] * len(segs)
    lines = []
    ends = sorted(range(len(segs)), key=lambda n: min(len(at[key(segs[n][0])]), len(at[key(segs[n][1])])))
    for start in ends:  # open chains begin at an edge only one segment uses
        if used[start]:
            continue
        used[start] = True
        e, f = segs[start]
        if len(at[key(f)]) == 1:
            e, f = f, e
        line = [e, f]
        while True:
            nxt = [n for n in at[key(line[-1])] if not used[n]]
            if not nxt:
                break
            used[nxt[0]] = True
            a, b = segs[nxt[0]]
            line.append(b if key(a) == key(line[-1]) else a)
        lines.append(line)
    return lines


def main():
    out = [f"0\nSECTION\n2\nENTITIES\n"]
    pieces = segs_total = verts = 0
    for level in range(lo, hi + 1):
        for line in chains(segments(level)):
            pts = [crossing(level, *e) for e in line]
            for s in range(0, len(pts) - 1, 4):
                piece = pts[s:s + 5]
                out.append(f"0\nLWPOLYLINE\n8\nCONTOUR\n90\n{len(piece)}\n70\n0\n38\n{level}\n")
                out.extend(f"10\n{x:.3f}\n20\n{y:.3f}\n" for x, y in piece)
                pieces += 1
                segs_total += len(piece) - 1
                verts += len(piece)
    out.append("0\nENDSEC\n0\nEOF\n")
    with open(sys.argv[1], "w") as f:
        f.write("".join(out))
    print(f"{pieces} polylines, {segs_total} segments, {verts} vertices, levels {lo}..{hi}", file=sys.stderr)


main()
