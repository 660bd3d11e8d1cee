#!/usr/bin/env python3
"""Draw Fenlow's icons and write them as .ico files.

Standard library only, so it runs on a bare python3. Shapes are described
on a 16-unit grid, rasterised at SS x SS samples per pixel and box-filtered
down, which gives anti-aliased edges while keeping the 16 px art on the
pixel grid. At sizes that are not a multiple of 16, edges that lie on whole
pixels at 16 px are moved to the nearest whole pixel, so that those strokes
stay sharp in every frame. Output is deterministic: same bytes on every run.

Usage: make_icons.py [--out DIR] [--preview PNG]
"""

import argparse
import math
import os
import struct
import zlib

SS = 8  # supersampling factor per axis
UNITS = 16.0  # drawings are laid out on a 16 x 16 grid

# The lock and tray pictures are only ever shown in the tray: the small-icon size at 100, 125,
# 150, 175 and 200 %. The application icon also has the large sizes, for Alt+Tab and the taskbar.
LOCK_SIZES = (16, 20, 24, 28, 32)
APP_SIZES = LOCK_SIZES + (40, 48, 64)
# The frames of 100 % stay uncompressed bitmaps, which every Windows reads; the others are PNG,
# which Windows Vista and later read, at a fifth of the size.
BMP_SIZES = (16, 32)

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(HERE, "..", "dorn32", "fenlow", "resources", "icons")


# ---------------------------------------------------------------- geometry

def grid_fit(n):
    """Maps a unit coordinate to the one drawn at n px.

    A coordinate on a whole pixel of the 16 px art goes to the nearest whole
    pixel at n px (ties to even, which keeps shapes that are symmetric about
    the centre symmetric); any other coordinate scales as it is.
    """
    def fit(u):
        if abs(u - round(u)) > 1e-9:
            return u
        return round(u * n / UNITS) * UNITS / n
    return fit


def rrect(x0, y0, x1, y1, r, steps=24):
    """Rounded rectangle outline as a polygon (units)."""
    r = min(r, (x1 - x0) / 2.0, (y1 - y0) / 2.0)
    if r <= 0:
        return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    pts = []
    corners = ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0),
               (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180))
    for cx, cy, start in corners:
        for i in range(steps + 1):
            a = math.radians(start + 90.0 * i / steps)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def circle(cx, cy, r, steps=96):
    return [(cx + r * math.cos(2 * math.pi * i / steps),
             cy + r * math.sin(2 * math.pi * i / steps)) for i in range(steps)]


class Mask:
    """Binary supersampled mask; polygons are OR-ed in or cut out."""

    def __init__(self, size):
        self.size = size
        self.w = size * SS
        self.bits = bytearray(self.w * self.w)
        self.scale = self.w / UNITS

    def _spans(self, poly):
        s = self.scale
        pts = [(x * s, y * s) for x, y in poly]
        edges = list(zip(pts, pts[1:] + pts[:1]))
        ymin = max(0, int(math.floor(min(p[1] for p in pts))))
        ymax = min(self.w, int(math.ceil(max(p[1] for p in pts))) + 1)
        for j in range(ymin, ymax):
            yc = j + 0.5
            xs = []
            for (xa, ya), (xb, yb) in edges:
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for k in range(0, len(xs) - 1, 2):
                i0 = max(0, int(math.ceil(xs[k] - 0.5)))
                i1 = min(self.w, int(math.ceil(xs[k + 1] - 0.5)))
                if i1 > i0:
                    yield j, i0, i1

    def add(self, *polys):
        for poly in polys:
            for j, i0, i1 in self._spans(poly):
                self.bits[j * self.w + i0:j * self.w + i1] = b"\x01" * (i1 - i0)
        return self

    def cut(self, *polys):
        for poly in polys:
            for j, i0, i1 in self._spans(poly):
                self.bits[j * self.w + i0:j * self.w + i1] = bytes(i1 - i0)
        return self

    def coverage(self):
        """Fraction of samples set in each pixel, row-major, top-down."""
        n, w, area = self.size, self.w, float(SS * SS)
        out = [0.0] * (n * n)
        b = self.bits
        for py in range(n):
            acc = [0] * n
            for sy in range(SS):
                base = (py * SS + sy) * w
                for px in range(n):
                    o = base + px * SS
                    acc[px] += sum(b[o:o + SS])
            for px in range(n):
                out[py * n + px] = acc[px] / area
        return out


def blur(cov, n, radius):
    """Two passes of a separable box blur, for soft shadows and glows."""
    r = max(1, int(round(radius)))
    for _ in range(2):
        tmp = [0.0] * (n * n)
        for y in range(n):
            for x in range(n):
                s = 0.0
                for k in range(-r, r + 1):
                    xx = x + k
                    if 0 <= xx < n:
                        s += cov[y * n + xx]
                tmp[y * n + x] = s / (2 * r + 1)
        cov = [0.0] * (n * n)
        for y in range(n):
            for x in range(n):
                s = 0.0
                for k in range(-r, r + 1):
                    yy = y + k
                    if 0 <= yy < n:
                        s += tmp[yy * n + x]
                cov[y * n + x] = s / (2 * r + 1)
    return cov


# ----------------------------------------------------------------- canvas

def hexrgb(h):
    h = h.lstrip("#")
    return tuple(int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def vgrad(top, bottom, y0, y1):
    """Vertical gradient between two colours over the unit range y0..y1."""
    a, b = hexrgb(top), hexrgb(bottom)
    return lambda u, v: mix(a, b, (v - y0) / (y1 - y0))


def rgrad(inner, outer, cx, cy, r):
    a, b = hexrgb(inner), hexrgb(outer)
    return lambda u, v: mix(a, b, math.hypot(u - cx, v - cy) / r)


class Canvas:
    """Straight-alpha RGBA floats, composited with 'over'."""

    def __init__(self, size):
        self.n = size
        self.px = [(0.0, 0.0, 0.0, 0.0)] * (size * size)

    def paint(self, cov, colour, alpha=1.0):
        n = self.n
        step = UNITS / n
        fixed = hexrgb(colour) if isinstance(colour, str) else None
        for i, c in enumerate(cov):
            sa = c * alpha
            if sa <= 0.0:
                continue
            if fixed is not None:
                sr, sg, sb = fixed
            else:
                sr, sg, sb = colour(((i % n) + 0.5) * step, ((i // n) + 0.5) * step)
            dr, dg, db, da = self.px[i]
            oa = sa + da * (1.0 - sa)
            k = da * (1.0 - sa)
            self.px[i] = ((sr * sa + dr * k) / oa, (sg * sa + dg * k) / oa,
                          (sb * sa + db * k) / oa, oa)

    def fill(self, colour, *polys, alpha=1.0, cut=()):
        m = Mask(self.n).add(*polys)
        if cut:
            m.cut(*cut)
        self.paint(m.coverage(), colour, alpha)

    def rgba8(self):
        """Top-down rows of (r, g, b, a) bytes."""
        out = []
        for r, g, b, a in self.px:
            out.append((int(r * 255 + 0.5), int(g * 255 + 0.5),
                        int(b * 255 + 0.5), int(a * 255 + 0.5)))
        return out


# ---------------------------------------------------------------- drawings

def draw_keycap(n):
    c = Canvas(n)
    px = UNITS / n  # one pixel, in units
    fit = grid_fit(n)

    # Drop shadow below the cap.
    sh = Mask(n).add(rrect(fit(1.0), fit(2.0), fit(15.0), fit(16.0), 3.0)).coverage()
    c.paint(blur(sh, n, n / 32.0), "#000000", 0.35)

    # Cap skirt (the sloped sides seen from above); whole-pixel edges at every size.
    skirt = tuple(fit(u) for u in (1.0, 1.0, 15.0, 15.0))
    c.fill("#6b6e72", rrect(*skirt, 3.0))
    c.fill(vgrad("#dfe1e4", "#9ea2a8", skirt[1], skirt[3]),
           rrect(skirt[0] + px, skirt[1] + px, skirt[2] - px, skirt[3] - px, 3.0 - px))

    # Top face: inset and shifted up so the lower skirt reads as depth.
    top = tuple(fit(u) for u in (3.0, 2.0, 13.0, 12.0))
    c.fill("#a9adb3", rrect(*top, 2.0))
    c.fill(vgrad("#fbfbfc", "#dcdee2", top[1], top[3]),
           rrect(top[0] + px, top[1] + px, top[2] - px, top[3] - px, 2.0 - px))
    if n >= 32:
        # Soft sheen on the upper half of the face.
        c.fill("#ffffff", rrect(top[0] + 2 * px, top[1] + 2 * px, top[2] - 2 * px,
                                (top[1] + top[3]) / 2, 1.4), alpha=0.35)

    # Green indicator light in the top-right corner.
    lx, ly, lr = fit(12.0), fit(4.0), 2.5
    if n >= 32:
        glow = Mask(n).add(circle(lx, ly, lr + 0.3)).coverage()
        c.paint(blur(glow, n, n / 24.0), "#3cff3c", 0.45)
        c.fill("#12641a", circle(lx, ly, lr))
        c.fill(rgrad("#b8ff9a", "#1fae2c", lx - 0.6, ly - 0.6, lr * 1.3),
               circle(lx, ly, lr - max(px, 0.35)))
        c.fill("#ffffff", circle(lx - 0.8, ly - 0.8, 0.7), alpha=0.85)
    else:
        # Too small for a rim and highlight: a bright dot with a soft edge.
        c.fill("#1d8f28", circle(lx, ly, lr))
        c.fill(rgrad("#c8ffb0", "#30c83c", lx - 0.5, ly - 0.5, lr * 1.2),
               circle(lx, ly, lr - 0.7))
    return c


def fitted(fit, *polys):
    """The polygons with every coordinate passed through fit."""
    return [[(fit(x), fit(y)) for x, y in poly] for poly in polys]


def glyph_caps(fit):
    # Bold flat-topped "A": two slanted legs and a crossbar, unioned.
    y0, y1 = 2.0, 14.0
    legs = [
        [(2.0, y1), (6.7, y0), (9.3, y0), (4.8, y1)],
        [(14.0, y1), (9.3, y0), (6.7, y0), (11.2, y1)],
    ]
    bar = [(4.8, 10.0), (11.2, 10.0), (11.2, 12.0), (4.8, 12.0)]
    return fitted(fit, *legs, bar), []


def glyph_num(fit):
    # Bold "1" with a flag and a foot, stem on whole pixels at 16 px.
    stem = [(7.0, 2.0), (10.0, 2.0), (10.0, 14.0), (7.0, 14.0)]
    flag = [(7.0, 2.0), (8.5, 2.0), (8.5, 5.6), (4.0, 7.4), (4.0, 4.8)]
    foot = [(4.0, 12.0), (13.0, 12.0), (13.0, 14.0), (4.0, 14.0)]
    return fitted(fit, stem, flag, foot), []


def glyph_scroll(fit):
    # Down arrow: stem plus a wide head so it still reads at 16 px.
    stem = [(6.0, 2.0), (10.0, 2.0), (10.0, 9.0), (6.0, 9.0)]
    head = [(2.0, 8.0), (14.0, 8.0), (8.0, 14.0)]
    return fitted(fit, stem, head), []


LOCK_STYLE = {
    "on": dict(border="#1c7a24", top="#74ea6a", bottom="#2cb737", ink="#0c1a0d"),
    "off": dict(border="#8c8f93", top="#e2e3e5", bottom="#c7c9cc", ink="#7d8085"),
}


def draw_lock(n, glyph, state):
    st = LOCK_STYLE[state]
    c = Canvas(n)
    px = UNITS / n
    c.fill(st["border"], rrect(0.0, 0.0, 16.0, 16.0, 2.5))
    c.fill(vgrad(st["top"], st["bottom"], 0.0, 16.0),
           rrect(px, px, 16.0 - px, 16.0 - px, 2.5 - px))
    adds, cuts = glyph(grid_fit(n))
    c.fill(st["ink"], *adds, cut=cuts)
    return c


# ------------------------------------------------------------ file formats

def ico_bytes(canvases):
    """ICO with one 32-bit image per canvas: BMP (BGRA + AND mask) or PNG (RGBA)."""
    images = []
    for cv in canvases:
        n = cv.n
        pix = cv.rgba8()
        if n not in BMP_SIZES:
            images.append((n, png_bytes(n, n, [sum(pix[y * n:(y + 1) * n], ())
                                               for y in range(n)], alpha=True)))
            continue
        xor = bytearray()
        for y in range(n - 1, -1, -1):  # DIB rows are bottom-up
            for x in range(n):
                r, g, b, a = pix[y * n + x]
                xor += bytes((b, g, r, a))
        stride = ((n + 31) // 32) * 4
        andm = bytearray()
        for y in range(n - 1, -1, -1):
            row = bytearray(stride)
            for x in range(n):
                if pix[y * n + x][3] == 0:  # fully transparent pixel
                    row[x >> 3] |= 0x80 >> (x & 7)
            andm += row
        hdr = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0,
                          len(xor) + len(andm), 0, 0, 0, 0)
        images.append((n, hdr + bytes(xor) + bytes(andm)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for n, data in images:
        dim = 0 if n >= 256 else n
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def png_bytes(width, height, rows, alpha=False):
    """PNG of 8-bit RGB rows, or RGBA rows with alpha."""
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    colour_type = 6 if alpha else 2
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def write_preview(path, sets):
    """All icons, actual size and enlarged, over light, dark and blue backdrops."""
    backs = [(240, 240, 240), (32, 32, 32), (36, 94, 220)]
    cell, pad = 140, 8
    rows = [cv for _, cvs in sets for cv in cvs]
    width = pad + len(backs) * (cell + 64 + 2 * pad)
    height = pad + len(rows) * (cell + pad)
    img = [[(255, 255, 255)] * width for _ in range(height)]

    def put(cv, ox, oy, zoom, back):
        n, pix = cv.n, cv.rgba8()
        for y in range(n * zoom):
            for x in range(n * zoom):
                r, g, b, a = pix[(y // zoom) * n + x // zoom]
                t = a / 255.0
                img[oy + y][ox + x] = tuple(int(back[i] * (1 - t) + (r, g, b)[i] * t + 0.5)
                                            for i in range(3))

    for ri, cv in enumerate(rows):
        oy = pad + ri * (cell + pad)
        for bi, back in enumerate(backs):
            ox = pad + bi * (cell + 64 + 2 * pad)
            for y in range(cell):
                for x in range(cell + 64 + pad):
                    img[oy + y][ox + x] = back
            put(cv, ox + 4, oy + 4, max(1, 128 // cv.n), back)
            put(cv, ox + cell + 4, oy + 4, 1, back)
    with open(path, "wb") as f:
        f.write(png_bytes(width, height, [sum(row, ()) for row in img]))


# -------------------------------------------------------------------- main

def build():
    """(file name, [canvases]) for every icon the resources reference."""
    sets = [("app.ico", [draw_keycap(n) for n in APP_SIZES]),
            ("tray.ico", [draw_keycap(n) for n in LOCK_SIZES])]
    for name, glyph in (("num", glyph_num), ("caps", glyph_caps),
                        ("scroll", glyph_scroll)):
        for state in ("off", "on"):
            sets.append(("%s_%s.ico" % (name, state),
                         [draw_lock(n, glyph, state) for n in LOCK_SIZES]))
    return sets


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=DEFAULT_OUT, help="directory for .ico files")
    ap.add_argument("--preview", help="also write an enlarged PNG contact sheet")
    args = ap.parse_args()
    sets = build()
    os.makedirs(args.out, exist_ok=True)
    for name, cvs in sets:
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(ico_bytes(cvs))
    if args.preview:
        write_preview(args.preview, sets)


if __name__ == "__main__":
    main()
