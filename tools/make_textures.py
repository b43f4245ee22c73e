#!/usr/bin/env python3
"""Paints Kwinta's textures (data/*.dab, which are plain PNG files).

Usage:  python3 tools/make_textures.py [OUTDIR]   (default OUTDIR: data/ next to tools/)

Everything is procedural and uses only the Python standard library; each
texture has its own fixed seed, so the output is the same on every run.
All textures wrap seamlessly (every noise lattice, stripe period and sprite
position is taken modulo the image size), because the game repeats them.
"""

import math
import os
import random
import struct
import sys
import zlib


# ----------------------------------------------------------------------------
# image helpers

class Image:
    def __init__(self, w, h, fill=(0.0, 0.0, 0.0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def get(self, x, y):
        return self.px[(y % self.h) * self.w + (x % self.w)]

    def set(self, x, y, c):
        self.px[(y % self.h) * self.w + (x % self.w)] = list(c)

    def blend(self, x, y, c, a):
        if a <= 0:
            return
        p = self.px[(y % self.h) * self.w + (x % self.w)]
        if a >= 1:
            p[0], p[1], p[2] = c
        else:
            for i in range(3):
                p[i] += (c[i] - p[i]) * a

    def half(self):
        """Box-filtered 2x reduction (keeps tiling)."""
        out = Image(self.w // 2, self.h // 2)
        for y in range(out.h):
            for x in range(out.w):
                a = self.px[(2 * y) * self.w + 2 * x]
                b = self.px[(2 * y) * self.w + 2 * x + 1]
                c = self.px[(2 * y + 1) * self.w + 2 * x]
                d = self.px[(2 * y + 1) * self.w + 2 * x + 1]
                out.px[y * out.w + x] = [(a[i] + b[i] + c[i] + d[i]) * 0.25 for i in range(3)]
        return out

    def write_png(self, path):
        rows = []
        for y in range(self.h):
            row = bytearray([0])
            for x in range(self.w):
                for c in self.px[y * self.w + x]:
                    row.append(max(0, min(255, int(round(c * 255.0)))))
            rows.append(bytes(row))
        raw = b"".join(rows)

        def chunk(tag, data):
            return (struct.pack(">I", len(data)) + tag + data
                    + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

        png = (b"\x89PNG\r\n\x1a\n"
               + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(raw, 9))
               + chunk(b"IEND", b""))
        with open(path, "wb") as fh:
            fh.write(png)


def mix(a, b, t):
    return [a[i] + (b[i] - a[i]) * t for i in range(3)]


def smoothstep(e0, e1, x):
    t = max(0.0, min(1.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def value_noise(size, period, rng):
    """Tileable value noise in [0,1], `period` lattice cells across `size`."""
    lat = [[rng.random() for _ in range(period)] for _ in range(period)]
    cols = []
    for x in range(size):
        f = x * period / size
        i = int(f)
        t = f - i
        cols.append((i % period, (i + 1) % period, t * t * (3 - 2 * t)))
    out = [0.0] * (size * size)
    for y in range(size):
        j0, j1, ty = cols[y]
        r0, r1 = lat[j0], lat[j1]
        base = y * size
        for x in range(size):
            i0, i1, tx = cols[x]
            a = r0[i0] + (r0[i1] - r0[i0]) * tx
            b = r1[i0] + (r1[i1] - r1[i0]) * tx
            out[base + x] = a + (b - a) * ty
    return out


def fbm(size, base_period, octaves, seed, gain=0.5):
    rng = random.Random(seed)
    total = [0.0] * (size * size)
    amp, norm, period = 1.0, 0.0, base_period
    for _ in range(octaves):
        n = value_noise(size, min(period, size), rng)
        for k in range(len(total)):
            total[k] += n[k] * amp
        norm += amp
        amp *= gain
        period *= 2
    return [v / norm for v in total]


def disc(img, cx, cy, r, col, soft=0.8):
    """Antialiased filled circle, wrapping around the image edges."""
    x0, x1 = int(math.floor(cx - r - 1)), int(math.ceil(cx + r + 1))
    y0, y1 = int(math.floor(cy - r - 1)), int(math.ceil(cy + r + 1))
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            img.blend(x, y, col, max(0.0, min(1.0, (r - d) / soft + 0.5)))


def rounded_box(img, x0, y0, x1, y1, rad, col, shade=None):
    """Filled box with rounded top corners; optional vertical shading."""
    for y in range(int(math.floor(y0)), int(math.ceil(y1))):
        for x in range(int(math.floor(x0)), int(math.ceil(x1))):
            px, py = x + 0.5, y + 0.5
            a = 1.0
            if py < y0 + rad:
                cx = min(max(px, x0 + rad), x1 - rad)
                d = math.hypot(px - cx, py - (y0 + rad))
                a = max(0.0, min(1.0, rad - d + 0.5))
            a *= max(0.0, min(1.0, px - x0 + 0.5)) * max(0.0, min(1.0, x1 - px + 0.5))
            c = col
            if shade is not None:
                t = (py - y0) / max(1.0, (y1 - y0))
                c = [v * (1.0 - shade * t) for v in col]
            img.blend(x, y, c, a)


# ----------------------------------------------------------------------------
# textures

def grass(size=512):
    rng = random.Random(1101)
    mottle = fbm(size, 8, 5, 1102)
    fine = fbm(size, 64, 3, 1103)
    dark = (0.13, 0.36, 0.09)
    light = (0.27, 0.56, 0.15)
    img = Image(size, size)
    for y in range(size):
        # two mowing stripes per tile, with soft edges
        s = math.sin(2 * math.pi * (y + 0.5) / size)
        stripe = 1.0 + 0.09 * max(-1.0, min(1.0, s * 6.0))
        for x in range(size):
            k = y * size + x
            t = 0.2 + 0.6 * smoothstep(0.2, 0.8, mottle[k])
            c = mix(dark, light, t)
            f = 0.85 + 0.3 * fine[k] + rng.uniform(-0.05, 0.05)
            img.px[k] = [c[0] * f * stripe, c[1] * f * stripe, c[2] * f * stripe]

    # blades: short strokes, mostly upright, lighter tips
    for _ in range(26000):
        x = rng.uniform(0, size)
        y = rng.uniform(0, size)
        ln = rng.uniform(3.0, 8.0)
        ang = math.radians(rng.uniform(-25, 25))
        dx, dy = math.sin(ang), -math.cos(ang)
        tone = rng.uniform(-0.35, 0.35)
        base = mix(dark, light, 0.5 + tone)
        if rng.random() < 0.08:
            base = mix(base, (0.55, 0.6, 0.25), 0.4)      # a dry blade now and then
        steps = int(ln * 1.5)
        for i in range(steps):
            t = i / max(1, steps - 1)
            px, py = x + dx * ln * t, y + dy * ln * t
            c = mix([v * 0.75 for v in base], [v * 1.2 for v in base], t)
            img.blend(int(px), int(py), c, 0.55)
    return img


def sky(size=512):
    rng = random.Random(2201)
    clouds = fbm(size, 3, 8, 2202, gain=0.6)
    haze = value_noise(size, 2, rng)
    img = Image(size, size)
    deep = (0.26, 0.50, 0.90)
    pale = (0.50, 0.70, 0.97)
    for y in range(size):
        for x in range(size):
            k = y * size + x
            base = mix(deep, pale, 0.3 + 0.5 * haze[k])
            n = clouds[k]
            cov = smoothstep(0.47, 0.70, n)
            # a lighter top and a greyer belly, from the cloud density
            sample = clouds[((y + 6) % size) * size + x]
            body = mix((0.98, 0.98, 1.0), (0.78, 0.81, 0.88), smoothstep(0.55, 0.8, sample) * 0.6)
            img.px[k] = mix(base, body, cov * 0.95)
    return img


def crowd(size=512):
    """Rows of fans in their seats; painted at twice the size and reduced."""
    S = size * 2
    rng = random.Random(3301)
    img = Image(S, S, (0.16, 0.16, 0.2))
    rows = 32
    row_h = S // rows                       # 32 px per row before reduction
    per_row = 42
    step = S / per_row

    skins = [(0.96, 0.80, 0.66), (0.89, 0.70, 0.55), (0.80, 0.58, 0.42),
             (0.65, 0.45, 0.30), (0.47, 0.31, 0.20), (0.33, 0.22, 0.15),
             (0.98, 0.86, 0.74)]
    hairs = [(0.08, 0.06, 0.05), (0.20, 0.13, 0.08), (0.38, 0.24, 0.12),
             (0.62, 0.46, 0.22), (0.85, 0.72, 0.45), (0.55, 0.55, 0.55),
             (0.50, 0.20, 0.08)]
    home = [(0.80, 0.08, 0.10), (0.95, 0.95, 0.95), (0.80, 0.08, 0.10)]
    away = [(0.10, 0.25, 0.75), (0.98, 0.82, 0.10), (0.10, 0.25, 0.75)]
    casual = [(0.15, 0.15, 0.18), (0.35, 0.35, 0.40), (0.85, 0.85, 0.82),
              (0.20, 0.45, 0.25), (0.55, 0.10, 0.35), (0.90, 0.55, 0.15),
              (0.30, 0.55, 0.80), (0.65, 0.60, 0.45), (0.45, 0.25, 0.15)]

    def section_weight(x):
        # home fans on one half, away fans on the other, mixed at the seams
        a = 0.5 + 0.5 * math.sin(2 * math.pi * x / S)
        return a

    for r in range(rows):
        y0 = r * row_h
        # seat row: backrest band and a darker gap
        for y in range(y0, y0 + row_h):
            t = (y - y0) / row_h
            seat = (0.22, 0.24, 0.32) if t < 0.85 else (0.10, 0.10, 0.12)
            for x in range(S):
                img.set(x, y, seat)
        shift = rng.uniform(0, step)
        for p in range(per_row):
            if rng.random() < 0.04:
                continue                                         # empty seat
            cx = (p * step + shift + rng.uniform(-3, 3)) % S
            w = rng.uniform(21, 26)
            top = y0 + rng.uniform(11, 14)
            bottom = y0 + row_h - 3
            u = rng.random()
            hw = section_weight(cx)
            if u < 0.45 * hw:
                shirt = rng.choice(home)
            elif u < 0.45:
                shirt = rng.choice(away)
            else:
                shirt = rng.choice(casual)
            shirt = [min(1.0, c * rng.uniform(0.85, 1.1)) for c in shirt]
            # raised arms for a few
            if rng.random() < 0.10:
                side = rng.choice((-1, 1))
                ax = cx + side * (w * 0.45)
                rounded_box(img, ax - 2.5, y0 + 1, ax + 2.5, top + 6, 2.5, shirt, 0.2)
                disc(img, ax, y0 + 2.5, 3.0, rng.choice(skins))
            rounded_box(img, cx - w / 2, top + 5, cx + w / 2, bottom, 6, shirt, 0.35)
            # scarf in team colours on some
            if rng.random() < 0.18:
                sc = rng.choice(home if hw > 0.5 else away)
                rounded_box(img, cx - w * 0.35, top + 6, cx + w * 0.35, top + 9, 1.5, sc)
            hr = rng.uniform(5.2, 6.6)
            hy = top + 1.5
            skin = rng.choice(skins)
            disc(img, cx, hy, hr, skin)
            # hair or a cap over the top of the head
            hc = rng.choice(hairs)
            if rng.random() < 0.12:
                hc = rng.choice(home + away)
            for yy in range(int(hy - hr - 1), int(hy) + 1):
                for xx in range(int(cx - hr - 1), int(cx + hr + 2)):
                    d = math.hypot(xx + 0.5 - cx, yy + 0.5 - hy)
                    if d < hr + 0.3 and yy + 0.5 < hy - hr * 0.15:
                        img.blend(xx, yy, hc, 0.9)
            # face shading hint
            disc(img, cx + hr * 0.25, hy + hr * 0.2, hr * 0.45, [c * 0.88 for c in skin], 1.5)
    out = img.half()
    # a little overall light variation so repeats are less obvious
    var = fbm(size, 4, 3, 3302)
    for k, p in enumerate(out.px):
        f = 0.9 + 0.2 * var[k]
        out.px[k] = [c * f for c in p]
    return out


def loose_leaf(size=512):
    rng = random.Random(4401)
    grain = fbm(size, 32, 4, 4402)
    fibres = fbm(size, 128, 2, 4403)
    img = Image(size, size)
    paper = (0.985, 0.982, 0.965)
    rule = (0.56, 0.72, 0.92)
    margin = (0.88, 0.33, 0.38)
    spacing = 32            # 16 rules per tile
    margin_x = 84.0
    for y in range(size):
        d = abs(((y + 0.5) % spacing) - spacing / 2.0)     # rule sits mid-cell
        ra = max(0.0, min(1.0, 1.6 - d)) * 0.85
        for x in range(size):
            k = y * size + x
            f = 0.975 + 0.04 * grain[k] + 0.015 * fibres[k] + rng.uniform(-0.008, 0.008)
            c = [v * f for v in paper]
            c = mix(c, rule, ra)
            dm = abs(x + 0.5 - margin_x)
            ma = max(0.0, min(1.0, 1.5 - dm)) * 0.9
            c = mix(c, margin, ma)
            img.px[k] = c
    return img


TEXTURES = [
    ("grass.dab", grass),
    ("sky.dab", sky),
    ("crowd2.dab", crowd),
    ("loose.dab", loose_leaf),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data")
    only = set(sys.argv[2:])
    os.makedirs(out, exist_ok=True)
    for name, paint in TEXTURES:
        if only and name not in only:
            continue
        img = paint()
        img.write_png(os.path.join(out, name))
        print("%-11s %dx%d" % (name, img.w, img.h))


if __name__ == "__main__":
    main()
