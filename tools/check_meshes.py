#!/usr/bin/env python3
"""Reads data/*.dax back the way the game does and checks them.

Usage:  python3 tools/check_meshes.py [DATADIR]

For each mesh it prints the triangle count and the bounding box in scene
units (after the placement the game applies), and checks the windings:
  * no degenerate triangles (zero flat normal);
  * solid parts (connected pieces whose every edge is used once in each
    direction) must enclose a positive volume with N = (v1-v0) x (v2-v0),
    and a convex part must have every face centroid on the outer side of the
    part's centre: (centroid - centre) . N > 0;
  * open sheets must face the side they are seen from (given per mesh).
Exits non-zero when something is off.
"""

import math
import os
import sys

# name: (scale xyz, translation after scale, frame origin)
PLACEMENT = {
    "table.dax":    ((0.5, 0.5, 0.5),    (0, 0, 0),        (0, -0.5, 0)),
    "bonus.dax":    ((0.08, 0.08, 0.08), (0, 0.05, -79.2), (0, -0.5, 0)),
    "extra.dax":    ((0.08, 0.08, 0.08), (0, 0.3, -79.2),  (0, -0.5, 0)),
    "fb.dax":       ((0.03, 0.03, 0.03), (0, 0, 0),        (0, 0, 0)),
    "dir.dax":      ((0.05, 0.05, 0.05), (0, 0, 5),        (0, 0, 0)),
    "goal.dax":     ((0.3, 0.3, 0.3),    (0, 0, 0),        (0, 20, -95)),
    "stadium4.dax": ((1.6, 1.2, 1.6),    (0, 0, 0),        (0, 10, 0)),
    "lines.dax":    ((0.43, 0.43, 0.43), (0, -10, 9),      (0, 10, 0)),
}


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def load(path):
    verts, tris = [], []
    with open(path) as fh:
        for line in fh:
            parts = line.split()
            if not parts or parts[0].startswith("#"):
                continue
            if parts[0] == "v":
                verts.append(tuple(float(c) for c in parts[1:4]))
            elif parts[0] == "f":
                idx = [int(p.split("/")[0]) - 1 for p in parts[1:]]
                for k in range(1, len(idx) - 1):
                    tris.append((idx[0], idx[k], idx[k + 1]))
    return verts, tris


def components(nverts, tris):
    parent = list(range(nverts))

    def find(a):
        while parent[a] != a:
            parent[a] = parent[parent[a]]
            a = parent[a]
        return a

    for t in tris:
        for k in (1, 2):
            ra, rb = find(t[0]), find(t[k])
            if ra != rb:
                parent[ra] = rb
    groups = {}
    for ti, t in enumerate(tris):
        groups.setdefault(find(t[0]), []).append(ti)
    return list(groups.values())


def open_sheet_rule(name, centroid, n):
    """How an open (non-solid) sheet must face; returns True when fine."""
    if name == "stadium4.dax":
        # toward the table horizontally, never downward
        horiz = -(centroid[0] * n[0] + centroid[2] * n[2])
        return n[1] >= -1e-9 and (horiz > 1e-9 or (abs(n[0]) + abs(n[2]) < 1e-9 and n[1] > 0))
    # table markings (lines, marker ring): face up
    return n[1] > 0 and abs(n[0]) + abs(n[2]) < 1e-9 * max(1.0, n[1])


def check(path):
    name = os.path.basename(path)
    scale, trans, frame = PLACEMENT[name]
    verts, tris = load(path)
    scene = [tuple(v[i] * scale[i] + trans[i] + frame[i] for i in range(3)) for v in verts]
    lo = [min(v[i] for v in scene) for i in range(3)]
    hi = [max(v[i] for v in scene) for i in range(3)]
    problems = []
    normals = []
    for t in tris:
        a, b, c = (verts[i] for i in t)
        n = cross(sub(b, a), sub(c, a))
        if math.sqrt(dot(n, n)) < 1e-9:
            problems.append("degenerate triangle %r" % (t,))
        normals.append(n)

    report = []
    for comp in components(len(verts), tris):
        edges = {}
        for ti in comp:
            t = tris[ti]
            for k in range(3):
                e = (t[k], t[(k + 1) % 3])
                edges[e] = edges.get(e, 0) + 1
        closed = all(cnt == 1 and edges.get((e[1], e[0]), 0) == 1 for e, cnt in edges.items())
        cverts = sorted({i for ti in comp for i in tris[ti]})
        centre = tuple(sum(verts[i][k] for i in cverts) / len(cverts) for k in range(3))
        vol = sum(dot(verts[tris[ti][0]], cross(verts[tris[ti][1]], verts[tris[ti][2]]))
                  for ti in comp) / 6.0
        if closed and abs(vol) < 1e-6:
            # a two-sided sheet: every triangle has a reversed twin
            keyset = {tuple(sorted(tris[ti])) for ti in comp}
            twins = all(tuple(sorted(tris[ti])) in keyset for ti in comp)
            report.append("two-sided sheet (%d tris)%s" % (len(comp), "" if twins else " ?"))
            continue
        if closed:
            convex = True
            for ti in comp:
                a = verts[tris[ti][0]]
                n = normals[ti]
                ln = math.sqrt(dot(n, n))
                if any(dot(sub(verts[i], a), n) / ln > 1e-3 for i in cverts):
                    convex = False
                    break
            bad = 0
            if convex:
                for ti in comp:
                    cen = tuple(sum(verts[i][k] for i in tris[ti]) / 3 for k in range(3))
                    if dot(sub(cen, centre), normals[ti]) <= 0:
                        bad += 1
            if vol <= 0:
                problems.append("closed part with inward winding (volume %.3f)" % vol)
            if bad:
                problems.append("%d faces of a convex part point inward" % bad)
            report.append("%s solid (%d tris, vol %.1f)" % ("convex" if convex else "concave",
                                                             len(comp), vol))
        else:
            twice = sum(1 for cnt in edges.values() if cnt > 1)
            if twice:
                problems.append("%d edges run the same way in two faces (mis-wound face)" % twice)
            bad = 0
            for ti in comp:
                cen = tuple(sum(verts[i][k] for i in tris[ti]) / 3 for k in range(3))
                if not open_sheet_rule(name, cen, normals[ti]):
                    bad += 1
            if bad:
                problems.append("%d faces of an open sheet face the wrong way" % bad)
            report.append("open sheet (%d tris)" % len(comp))

    print("%-13s %5d tris  scene x %8.3f..%8.3f  y %8.3f..%8.3f  z %8.3f..%8.3f"
          % (name, len(tris), lo[0], hi[0], lo[1], hi[1], lo[2], hi[2]))
    summary = {}
    for r in report:
        key = r.split(" (")[0]
        summary[key] = summary.get(key, 0) + 1
    print("              parts: " + ", ".join("%d x %s" % (v, k) for k, v in sorted(summary.items())))
    for p in problems:
        print("              PROBLEM: " + p)
    return not problems


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    data = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    ok = True
    for name in PLACEMENT:
        ok = check(os.path.join(data, name)) and ok
    print("all meshes OK" if ok else "some meshes have problems")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
