#!/usr/bin/env python3
"""Builds Kwinta's mesh files (data/*.dax).

Usage:  python3 tools/make_meshes.py [OUTDIR]     (default OUTDIR: data/ next to tools/)

A .dax file is a small subset of Wavefront OBJ: `v x y z`, `vt u v` and
`f i/t j/t k/t ...` (1-based, polygons are fan-triangulated by the loader).
The game computes one flat normal per triangle as N = (v1 - v0) x (v2 - v0)
and culls triangles whose N points away from the eye, so every face below is
wound so that N points to the side meant to be seen (outward for solids).

All numbers here are in FILE units. Each builder notes how the game places
the file in the scene (scale, translation, frame) so the scene-space sizes
can be read off directly. The output is fully deterministic.
"""

import math
import os
import sys


# ----------------------------------------------------------------------------
# small vector helpers

def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def mul(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1],
            a[2] * b[0] - a[0] * b[2],
            a[0] * b[1] - a[1] * b[0])


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


# ----------------------------------------------------------------------------
# mesh container

class Mesh:
    """Collects vertices and faces; shares identical vertices so that
    neighbouring faces are stitched edge to edge."""

    def __init__(self, title):
        self.title = title
        self.verts = []
        self.vindex = {}
        self.uvs = []
        self.uvindex = {}
        self.faces = []   # list of [(vi, ti or None), ...]
        self.notes = []

    def note(self, text):
        self.notes.append(text)

    def _v(self, p):
        key = tuple(round(c, 4) + 0.0 for c in p)
        i = self.vindex.get(key)
        if i is None:
            self.verts.append(key)
            i = len(self.verts)
            self.vindex[key] = i
        return i

    def _t(self, uv):
        key = (round(uv[0], 4) + 0.0, round(uv[1], 4) + 0.0)
        i = self.uvindex.get(key)
        if i is None:
            self.uvs.append(key)
            i = len(self.uvs)
            self.uvindex[key] = i
        return i

    def face(self, pts, facing, uvs=None):
        """Adds a convex planar polygon. `facing` is a direction the visible
        side should point to; the winding is flipped if needed so that
        (v1 - v0) x (v2 - v0) agrees with it."""
        n = cross(sub(pts[1], pts[0]), sub(pts[2], pts[0]))
        if dot(n, n) < 1e-12:
            raise ValueError("degenerate leading triangle in %s: %r" % (self.title, pts))
        order = list(range(len(pts)))
        if dot(n, facing) < 0:
            order = [0] + order[:0:-1]      # keep v0, reverse the rest
        entry = []
        for k in order:
            vi = self._v(pts[k])
            ti = self._t(uvs[k]) if uvs is not None else None
            entry.append((vi, ti))
        self.faces.append(entry)

    def triangles(self):
        return sum(len(f) - 2 for f in self.faces)

    def write(self, path):
        def num(x):
            s = ("%.4f" % x).rstrip("0").rstrip(".")
            return "0" if s in ("-0", "") else s

        lines = ["# Kwinta mesh: " + self.title]
        lines += ["# " + t for t in self.notes]
        lines.append("# %d vertices, %d faces, %d triangles"
                     % (len(self.verts), len(self.faces), self.triangles()))
        for v in self.verts:
            lines.append("v %s %s %s" % tuple(num(c) for c in v))
        for t in self.uvs:
            lines.append("vt %s %s" % tuple(num(c) for c in t))
        for f in self.faces:
            parts = []
            for vi, ti in f:
                parts.append(str(vi) if ti is None else "%d/%d" % (vi, ti))
            lines.append("f " + " ".join(parts))
        with open(path, "w") as fh:
            fh.write("\n".join(lines) + "\n")


# ----------------------------------------------------------------------------
# shared building blocks

def gridded_box(m, x0, x1, y0, y1, z0, z1, nx, ny, nz, uvscale):
    """Closed axis-aligned box. Every face is split on the same nx/ny/nz grid
    so the surface is watertight (no T-junctions between faces)."""
    xs = [x0 + (x1 - x0) * i / nx for i in range(nx + 1)]
    ys = [y0 + (y1 - y0) * i / ny for i in range(ny + 1)]
    zs = [z0 + (z1 - z0) * i / nz for i in range(nz + 1)]

    def sheet(us, ws, make, facing, uvmap):
        for i in range(len(us) - 1):
            for j in range(len(ws) - 1):
                a = make(us[i], ws[j])
                b = make(us[i + 1], ws[j])
                c = make(us[i + 1], ws[j + 1])
                d = make(us[i], ws[j + 1])
                m.face([a, b, c, d], facing, [uvmap(p) for p in (a, b, c, d)])

    s = uvscale
    sheet(xs, zs, lambda x, z: (x, y1, z), (0, 1, 0), lambda p: (p[0] * s, p[2] * s))
    sheet(xs, zs, lambda x, z: (x, y0, z), (0, -1, 0), lambda p: (p[0] * s, p[2] * s))
    sheet(zs, ys, lambda z, y: (x1, y, z), (1, 0, 0), lambda p: (p[2] * s, p[1] * s))
    sheet(zs, ys, lambda z, y: (x0, y, z), (-1, 0, 0), lambda p: (p[2] * s, p[1] * s))
    sheet(xs, ys, lambda x, y: (x, y, z1), (0, 0, 1), lambda p: (p[0] * s, p[1] * s))
    sheet(xs, ys, lambda x, y: (x, y, z0), (0, 0, -1), lambda p: (p[0] * s, p[1] * s))


def cylinder_y(m, cx, cz, radius, y0, y1, segments, uv_radius=None, phase=0.0):
    """Closed cylinder along y: top disc, bottom disc (centre fans) and rim."""
    ring = []
    for i in range(segments):
        a = phase + 2.0 * math.pi * i / segments
        ring.append((cx + radius * math.cos(a), cz + radius * math.sin(a)))
    R = uv_radius or radius

    def uv(p):
        return (0.5 + (p[0] - cx) / (2 * R), 0.5 + (p[2] - cz) / (2 * R))

    top_c = (cx, y1, cz)
    bot_c = (cx, y0, cz)
    for i in range(segments):
        (xa, za), (xb, zb) = ring[i], ring[(i + 1) % segments]
        t = [top_c, (xa, y1, za), (xb, y1, zb)]
        m.face(t, (0, 1, 0), [uv(p) for p in t])
        b = [bot_c, (xa, y0, za), (xb, y0, zb)]
        m.face(b, (0, -1, 0), [uv(p) for p in b])
        out = ((xa + xb) * 0.5 - cx, 0.0, (za + zb) * 0.5 - cz)
        q = [(xa, y0, za), (xb, y0, zb), (xb, y1, zb), (xa, y1, za)]
        u0, u1 = i / segments, (i + 1) / segments
        m.face(q, out, [(u0, 0), (u1, 0), (u1, 1), (u0, 1)])


def tube(m, p0, p1, apothem, sides=8):
    """Closed straight bar from p0 to p1 with a regular polygon section whose
    flat faces sit `apothem` from the axis (so the bar is 2*apothem thick
    measured across flats). End caps included."""
    axis = sub(p1, p0)
    length = math.sqrt(dot(axis, axis))
    d = mul(axis, 1.0 / length)
    helper = (0, 1, 0) if abs(d[1]) < 0.9 else (1, 0, 0)
    e1 = cross(d, helper)
    e1 = mul(e1, 1.0 / math.sqrt(dot(e1, e1)))
    e2 = cross(d, e1)
    r = apothem / math.cos(math.pi / sides)
    offs = []
    for i in range(sides):
        a = math.pi / sides + 2 * math.pi * i / sides
        offs.append(add(mul(e1, r * math.cos(a)), mul(e2, r * math.sin(a))))
    ring0 = [add(p0, o) for o in offs]
    ring1 = [add(p1, o) for o in offs]
    for i in range(sides):
        j = (i + 1) % sides
        mid = add(offs[i], offs[j])
        m.face([ring0[i], ring0[j], ring1[j], ring1[i]], mid)
    m.face(ring0, mul(d, -1))
    m.face(ring1, d)


# ----------------------------------------------------------------------------
# the meshes

def make_table():
    # game: scale 0.5, frame y = -0.5
    # scene: top y -0.05, bottom y -2.0, x -25..25, z -90..95
    m = Mesh("table (also drawn as the sky lid, scaled up, seen from below)")
    m.note("placed with scale 0.5 on a frame at y = -0.5")
    m.note("top grid 10 x 37 cells of 10 x 10 file units; uv repeats every 20 file units")
    gridded_box(m, -50.0, 50.0, -3.0, 0.9, -180.0, 190.0, 10, 1, 37, 1.0 / 20.0)
    return m


def make_bonus():
    # game: scale 0.08, translate (0, 0.05, -79.2), table frame at y = -0.5
    m = Mesh("bonus disc near the far edge")
    m.note("placed with scale 0.08, then translated (0, 0.05, -79.2), on the table frame")
    cylinder_y(m, 0.0, 0.0, 112.5, 4.5, 5.375, 48)
    return m


def make_extra():
    # game: scale 0.08, translate (0, 0.3, -79.2), table frame at y = -0.5
    m = Mesh("bonus circle marker: rim ring, flag pole and pennant")
    m.note("placed with scale 0.08, then translated (0, 0.3, -79.2), on the table frame")
    segs = 48
    y = 2.4
    r_in, r_out = 105.0, 113.0
    for i in range(segs):
        a0 = 2 * math.pi * i / segs
        a1 = 2 * math.pi * (i + 1) / segs
        q = [(r_in * math.cos(a0), y, r_in * math.sin(a0)),
             (r_out * math.cos(a0), y, r_out * math.sin(a0)),
             (r_out * math.cos(a1), y, r_out * math.sin(a1)),
             (r_in * math.cos(a1), y, r_in * math.sin(a1))]
        m.face(q, (0, 1, 0))

    # flag pole standing on the far side of the ring
    pz = -113.0
    pole_half = 1.25
    pole_top = 60.0
    tube(m, (0.0, y, pz), (0.0, pole_top, pz), pole_half, sides=6)

    # pennant: a sheet in the x-y plane, one face each way
    px = pole_half
    a = (px, pole_top - 1.0, pz)
    b = (px, pole_top - 19.0, pz)
    c = (px + 30.0, pole_top - 10.0, pz)
    m.face([a, b, c], (0, 0, 1))
    m.face([a, c, b], (0, 0, -1))
    return m


def make_football():
    # game: scale 0.03 on the football frame
    # scene corners (5,0,2.5), (-5,0,2.5), (0,0,-2.5); thickness 0.3
    m = Mesh("paper triangle football")
    m.note("placed with scale 0.03 on the football frame; tip points to -z")
    w = 500.0 / 3.0
    h = 250.0 / 3.0
    corners = [(w, h), (-w, h), (0.0, -h)]           # (x, z)
    thick = 10.0
    bevel = 2.0                                      # top edges folded over

    # incentre and inradius, for a uniform inset of the top face
    la = math.dist(corners[1], corners[2])
    lb = math.dist(corners[2], corners[0])
    lc = math.dist(corners[0], corners[1])
    per = la + lb + lc
    ix = (la * corners[0][0] + lb * corners[1][0] + lc * corners[2][0]) / per
    iz = (la * corners[0][1] + lb * corners[1][1] + lc * corners[2][1]) / per
    area = abs((corners[1][0] - corners[0][0]) * (corners[2][1] - corners[0][1])
               - (corners[2][0] - corners[0][0]) * (corners[1][1] - corners[0][1])) / 2
    rin = 2 * area / per
    k = (rin - bevel) / rin
    inset = [(ix + (x - ix) * k, iz + (z - iz) * k) for x, z in corners]

    y_side = thick - bevel

    def uv(p):
        return (0.5 + p[0] / (2 * w), 0.5 + p[2] / (2 * w))

    bot = [(x, 0.0, z) for x, z in corners]
    mid = [(x, y_side, z) for x, z in corners]
    top = [(x, thick, z) for x, z in inset]
    m.face(top, (0, 1, 0), [uv(p) for p in top])
    m.face(bot, (0, -1, 0), [uv(p) for p in bot])
    for i in range(3):
        j = (i + 1) % 3
        ex, ez = corners[j][0] - corners[i][0], corners[j][1] - corners[i][1]
        mx, mz = (corners[i][0] + corners[j][0]) / 2 - ix, (corners[i][1] + corners[j][1]) / 2 - iz
        out = (mx, 0.0, mz)
        side = [bot[i], bot[j], mid[j], mid[i]]
        m.face(side, out, [uv(p) for p in side])
        fold = [mid[i], mid[j], top[j], top[i]]
        m.face(fold, (mx, rin, mz), [uv(p) for p in fold])
    return m


def make_arrow():
    # game: scale 0.05, translate (0, 0, 5), on the aim-arrow frame
    # scene: tail z -4, tip z -16, shaft half width 0.8, head half width 2.2,
    # head length 4, top at y 0.1  ->  file = (scene - (0,0,5)) / 0.05
    m = Mesh("aim arrow")
    m.note("placed with scale 0.05, then translated (0, 0, 5), on the aim-arrow frame")
    s = 0.05
    tail = (-4.0 - 5.0) / s          # -180
    tip = (-16.0 - 5.0) / s          # -420
    base = tip + 4.0 / s             # -340, where the head starts
    hs = 0.8 / s                     # 16
    hh = 2.2 / s                     # 44
    y1 = 0.1 / s                     # 2
    y0 = 0.0

    outline = [(-hs, tail), (hs, tail), (hs, base), (hh, base),
               (0.0, tip), (-hh, base), (-hs, base)]

    def uv(p):
        return ((p[0] + hh) / (2 * hh), (p[2] - tip) / (tail - tip))

    for y, facing in ((y1, (0, 1, 0)), (y0, (0, -1, 0))):
        shaft = [(-hs, y, tail), (hs, y, tail), (hs, y, base), (-hs, y, base)]
        m.face(shaft, facing, [uv(p) for p in shaft])
        t = (0.0, y, tip)
        for xa, xb in ((-hh, -hs), (-hs, hs), (hs, hh)):
            tri = [t, (xa, y, base), (xb, y, base)]
            m.face(tri, facing, [uv(p) for p in tri])

    # side walls around the outline; the outline's corners are the same
    # points the caps use, so walls and caps meet edge to edge
    n = len(outline)
    area2 = sum(outline[k][0] * outline[(k + 1) % n][1] - outline[(k + 1) % n][0] * outline[k][1]
                for k in range(n))
    sign = 1.0 if area2 > 0 else -1.0
    for i in range(n):
        xa, za = outline[i]
        xb, zb = outline[(i + 1) % n]
        out = (sign * (zb - za), 0.0, -sign * (xb - xa))
        m.face([(xa, y0, za), (xb, y0, zb), (xb, y1, zb), (xa, y1, za)], out)
    return m


def make_goal():
    # game: scale 0.3, frame at scene (0, 20, -95)
    m = Mesh("goal posts")
    m.note("placed with scale 0.3 on a frame at (0, 20, -95); yellow is set by the game")
    half_w = 140.0 / 3.0      # uprights at scene x = +-14
    up = 200.0 / 3.0          # upright tops at scene y = 40, stem foot at scene y = 0
    t = 1.7                   # half thickness
    tube(m, (-half_w, 0.0, 0.0), (half_w, 0.0, 0.0), t)          # crossbar
    tube(m, (-half_w, -t, 0.0), (-half_w, up, 0.0), t)           # left upright
    tube(m, (half_w, -t, 0.0), (half_w, up, 0.0), t)             # right upright
    tube(m, (0.0, -up, 0.0), (0.0, 0.0, 0.0), t)                 # stem to the floor
    return m


def make_stadium():
    # game: scale (1.6, 1.2, 1.6), frame at scene (0, 10, 0); crowd texture is
    # projected along y from the scaled vertices (u = 0.01 z, v = 0.01 x)
    m = Mesh("stadium stands around the table")
    m.note("placed with scale (1.6, 1.2, 1.6) on a frame at (0, 10, 0)")
    m.note("the stands face inward; each tier is a slanted riser and a flat tread")
    steps = 8
    d_in, d_out = 90.0, 140.0        # square half sizes (file x/z)
    y_lo, y_hi = -10.0, 37.0
    run = (d_out - d_in) / steps
    rise = (y_hi - y_lo) / steps
    riser_run = run * 0.45           # slanted riser: ~57 degrees in the scene

    profile = [(d_in, y_lo)]
    for k in range(steps):
        d0 = d_in + k * run
        yk = y_lo + (k + 1) * rise
        profile.append((d0 + riser_run, yk))
        profile.append((d0 + run, yk))
    # a leaning back rail with a flat coping (slanted rather than upright,
    # so the top-down crowd mapping does not smear on it)
    profile.append((d_out + 3.5, y_hi + 5.0))
    profile.append((d_out + 6.0, y_hi + 5.0))

    sides = [((1, 0), (0, 1)), ((0, 1), (-1, 0)), ((-1, 0), (0, -1)), ((0, -1), (1, 0))]
    seg_per_side = 8

    def uv(p):
        return (0.01 * 1.6 * p[2], 0.01 * 1.6 * p[0])

    for (nx, nz), (tx, tz) in sides:
        for k in range(len(profile) - 1):
            (da, ya), (db, yb) = profile[k], profile[k + 1]
            # profile-plane normal pointing to the table side / up
            pn_d, pn_y = -(yb - ya), (db - da)
            facing = (nx * pn_d, pn_y, nz * pn_d)

            def edge(d, y, t):
                # point on the square of half size d at height y; t in [0,1]
                # runs from one mitred corner to the next along the side
                c0 = (nx * d - tx * d, nz * d - tz * d)
                c1 = (nx * d + tx * d, nz * d + tz * d)
                return (c0[0] + (c1[0] - c0[0]) * t, y, c0[1] + (c1[1] - c0[1]) * t)

            for s in range(seg_per_side):
                t0, t1 = s / seg_per_side, (s + 1) / seg_per_side
                q = [edge(da, ya, t0), edge(da, ya, t1), edge(db, yb, t1), edge(db, yb, t0)]
                m.face(q, facing, [uv(p) for p in q])
    return m


def make_lines():
    # game: scale 0.43, translate (0, -10, 9), frame at scene (0, 10, 0)
    # so scene = file * 0.43 + (0, 0, 9)
    m = Mesh("pitch lines painted on the table")
    m.note("placed with scale 0.43, then translated (0, -10, 9), on a frame at (0, 10, 0)")
    s = 0.43
    off_z = 9.0
    y = -0.03 / s

    def rect(x0, x1, z0, z1):
        q = [(x0 / s, y, (z0 - off_z) / s), (x1 / s, y, (z0 - off_z) / s),
             (x1 / s, y, (z1 - off_z) / s), (x0 / s, y, (z1 - off_z) / s)]
        m.face(q, (0, 1, 0))

    half_across = 24.5
    bands = []                       # (z0, z1) of every line across the table
    bands.append((-88.3, -87.7))     # goal line, 0.6 wide
    for zc in range(-80, 91, 10):
        bands.append((zc - 0.2, zc + 0.2))
    for z0, z1 in bands:
        rect(-half_across, half_across, z0, z1)

    # side lines at x = +-24, in pieces between the cross lines so nothing
    # is painted twice
    for xc in (-24.0, 24.0):
        for (a0, a1), (b0, b1) in zip(bands, bands[1:]):
            rect(xc - 0.2, xc + 0.2, a1, b0)
    return m


BUILDERS = [
    ("table.dax", make_table),
    ("bonus.dax", make_bonus),
    ("extra.dax", make_extra),
    ("fb.dax", make_football),
    ("dir.dax", make_arrow),
    ("goal.dax", make_goal),
    ("stadium4.dax", make_stadium),
    ("lines.dax", make_lines),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    os.makedirs(out, exist_ok=True)
    for name, build in BUILDERS:
        m = build()
        m.write(os.path.join(out, name))
        print("%-13s %5d vertices %5d triangles" % (name, len(m.verts), m.triangles()))


if __name__ == "__main__":
    main()
