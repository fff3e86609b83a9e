#!/usr/bin/env python3
"""Draws every image of the panel's resources into res/.

    python3 tools/make_images.py [output folder]

Icons (32 x 32 and 16 x 16, each 32-bit with alpha and mask and again in the
16 standard colours): app.ico (the machine), exit.ico, help.ico, ok.ico,
cancel.ico. Bitmaps: tabs.bmp (five 20 x 20 tab
images, 16 colours, pure blue as the see-through colour) and about.bmp (the
332 x 330 about picture, drawn in 24-bit and stored in 256 colours, RLE8: a
sixth of the size, which the program's size limit needs).

Only the Python standard library is used, and the output is the same byte for
byte on every run: shapes are filled by a small scan-line rasteriser at
several samples per pixel, lettering comes from a stroke alphabet drawn here.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Colours and paints


def rgb(hexcode, alpha=1.0):
    """'#rrggbb' -> (r, g, b, a) with channels 0..1."""
    h = hexcode.lstrip('#')
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0, int(h[4:6], 16) / 255.0, alpha)


def mix(c0, c1, t):
    return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(4))


def _stop_colour(stops, t):
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0) if t1 > t0 else 0.0)
    return stops[-1][1]


def linear(p0, p1, stops):
    """Paint that runs through `stops` [(t, colour)] from point p0 to p1."""
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    dd = dx * dx + dy * dy or 1.0

    def paint(x, y):
        t = ((x - p0[0]) * dx + (y - p0[1]) * dy) / dd
        return _stop_colour(stops, min(1.0, max(0.0, t)))
    return paint


def radial(centre, radius, stops):
    def paint(x, y):
        t = math.hypot(x - centre[0], y - centre[1]) / radius
        return _stop_colour(stops, min(1.0, t))
    return paint


# ---------------------------------------------------------------------------
# Geometry helpers (all in the caller's logical units)


def area(points):
    s = 0.0
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        s += x0 * y1 - x1 * y0
    return s / 2.0


def oriented(points):
    """The same outline, always counter-clockwise, so unions add up."""
    return points if area(points) >= 0 else points[::-1]


def rect(x, y, w, h):
    return [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]


def arc(cx, cy, rx, ry, a0, a1, n=None):
    """Points on an elliptic arc, angles in degrees, y downwards."""
    if n is None:
        n = max(6, int(abs(a1 - a0) / 6))
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def ellipse(cx, cy, rx, ry, n=72):
    return arc(cx, cy, rx, ry, 0, 360, n)[:-1]


def rrect(x, y, w, h, r):
    r = min(r, w / 2.0, h / 2.0)
    if r <= 0:
        return rect(x, y, w, h)
    pts = []
    pts += arc(x + w - r, y + r, r, r, -90, 0, 8)
    pts += arc(x + w - r, y + h - r, r, r, 0, 90, 8)
    pts += arc(x + r, y + h - r, r, r, 90, 180, 8)
    pts += arc(x + r, y + r, r, r, 180, 270, 8)
    return pts


def stroke(points, width, closed=False, caps=True):
    """Outlines covering a poly-line of the given width with round joins."""
    hw = width / 2.0
    polys = []
    segs = list(zip(points, points[1:]))
    if closed:
        segs.append((points[-1], points[0]))
    for (x0, y0), (x1, y1) in segs:
        dx, dy = x1 - x0, y1 - y0
        ln = math.hypot(dx, dy)
        if ln == 0:
            continue
        nx, ny = -dy / ln * hw, dx / ln * hw
        polys.append(oriented([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]))
    joints = points if (caps or closed) else points[1:-1]
    for (x, y) in joints:
        polys.append(oriented(ellipse(x, y, hw, hw, 16)))
    return polys


def transform(polys, dx=0.0, dy=0.0, scale=1.0):
    return [[(x * scale + dx, y * scale + dy) for (x, y) in p] for p in polys]


# ---------------------------------------------------------------------------
# Canvas: premultiplied RGBA at `ss` samples per pixel in each direction


class Canvas:
    def __init__(self, width, height, ss=4, scale=1.0):
        self.w, self.h, self.ss = width, height, ss
        self.scale = scale  # logical units -> pixels
        self.W, self.H = width * ss, height * ss
        n = self.W * self.H
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def fill(self, polys, paint, opacity=1.0, evenodd=False):
        """Fills the union (or even-odd combination) of outlines."""
        if polys and isinstance(polys[0], tuple):
            polys = [polys]
        k = self.scale * self.ss
        edges = []
        for p in polys:
            q = [(x * k, y * k) for (x, y) in p]
            for (x0, y0), (x1, y1) in zip(q, q[1:] + q[:1]):
                if y0 == y1:
                    continue
                d = 1 if y1 > y0 else -1
                if y0 > y1:
                    x0, y0, x1, y1 = x1, y1, x0, y0
                edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), d))
        if not edges:
            return
        ymin = max(0, int(math.floor(min(e[0] for e in edges))))
        ymax = min(self.H - 1, int(math.ceil(max(e[1] for e in edges))))
        solid = None if callable(paint) else paint
        if solid is not None:
            sa = solid[3] * opacity
            sr, sg, sb = solid[0] * sa, solid[1] * sa, solid[2] * sa
        inv = 1.0 / k
        R, G, B, A, W = self.r, self.g, self.b, self.a, self.W
        for py in range(ymin, ymax + 1):
            yc = py + 0.5
            xs = []
            for (y0, y1, x0, slope, d) in edges:
                if y0 <= yc < y1:
                    xs.append((x0 + (yc - y0) * slope, d))
            if not xs:
                continue
            xs.sort()
            wind = 0
            for i in range(len(xs) - 1):
                wind += xs[i][1]
                inside = (i + 1) % 2 == 1 if evenodd else wind != 0
                if not inside:
                    continue
                xa = max(0, int(math.ceil(xs[i][0] - 0.5)))
                xb = min(W, int(math.ceil(xs[i + 1][0] - 0.5)))
                base = py * W
                for px in range(xa, xb):
                    j = base + px
                    if solid is None:
                        c = paint((px + 0.5) * inv, yc * inv)
                        ca = c[3] * opacity
                        cr, cg, cb = c[0] * ca, c[1] * ca, c[2] * ca
                    else:
                        ca, cr, cg, cb = sa, sr, sg, sb
                    f = 1.0 - ca
                    R[j] = cr + R[j] * f
                    G[j] = cg + G[j] * f
                    B[j] = cb + B[j] * f
                    A[j] = ca + A[j] * f

    def pixels(self):
        """Rows top to bottom of (r, g, b, a) bytes, straight alpha."""
        ss, W = self.ss, self.W
        n = float(ss * ss)
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r = g = b = a = 0.0
                for sy in range(ss):
                    base = (y * ss + sy) * W + x * ss
                    for sx in range(ss):
                        j = base + sx
                        r += self.r[j]
                        g += self.g[j]
                        b += self.b[j]
                        a += self.a[j]
                a /= n
                if a > 0:
                    r, g, b = r / n / a, g / n / a, b / n / a
                row.append(tuple(int(round(min(1.0, max(0.0, v)) * 255)) for v in (r, g, b, a)))
            rows.append(row)
        return rows


def flatten(rows, background):
    """Composites straight-alpha rows over an opaque background colour."""
    br, bg, bb = background
    out = []
    for row in rows:
        o = []
        for (r, g, b, a) in row:
            t = a / 255.0
            o.append((int(round(r * t + br * (1 - t))), int(round(g * t + bg * (1 - t))),
                      int(round(b * t + bb * (1 - t)))))
        out.append(o)
    return out


# ---------------------------------------------------------------------------
# File writers


def and_mask(rows):
    """An icon's 1-bit mask, bottom-up in 32-bit rows: set where the picture is
    less than half opaque."""
    stride = ((len(rows[0]) + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return mask


def ico_image(rows):
    """One 32-bit icon image (header, colour bits, mask), bottom-up."""
    h, w = len(rows), len(rows[0])
    xor = bytearray()
    for row in reversed(rows):
        for (r, g, b, a) in row:
            xor += bytes((b, g, r, a)) if a else b'\0\0\0\0'
    mask = and_mask(rows)
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_image16(rows):
    """The same picture in the 16 standard colours, for 16 and 256 colour
    displays: nearest colour, no dithering, mask where the picture is less
    than half opaque."""
    h, w = len(rows), len(rows[0])
    stride = ((w + 7) // 8) * 4
    xor = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            v = nearest16((r, g, b)) if a >= 128 else 0
            line[x // 2] |= v << (4 if x % 2 == 0 else 0)
        xor += line
    mask = and_mask(rows)
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE16)
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    return header + pal + bytes(xor) + bytes(mask)


def nearest16(c):
    """Palette index for a colour: greys by lightness, other colours by hue
    (bright or dark by value), which keeps small pictures recognisable where
    the plain nearest colour would turn them grey."""
    r, g, b = (v / 255.0 for v in c)
    hi, lo = max(r, g, b), min(r, g, b)
    sat = (hi - lo) / hi if hi else 0.0
    if sat < 0.3:
        light = 0.3 * r + 0.59 * g + 0.11 * b
        for limit, ch in ((0.22, 'k'), (0.58, 'd'), (0.86, 's')):
            if light < limit:
                return INK[ch]
        return INK['w']
    if hi == r:
        hue = (60 * (g - b) / (hi - lo)) % 360
    elif hi == g:
        hue = 60 * (b - r) / (hi - lo) + 120
    else:
        hue = 60 * (r - g) / (hi - lo) + 240
    families = (('R', 'r'), ('Y', 'o'), ('G', 'g'), ('C', 't'), ('.', 'n'), ('M', 'p'))
    k = int(((hue + 30) % 360) // 60)
    bright, dark = families[k]
    return INK[bright if hi >= 0.7 else dark]


def write_ico(path, images):
    """images: rows-of-pixels, largest first. Each goes in twice: 32-bit
    with alpha, then 16 colours."""
    entries = [(rows, 32, ico_image(rows)) for rows in images]
    entries += [(rows, 4, ico_image16(rows)) for rows in images]
    out = bytearray(struct.pack('<HHH', 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for rows, bpp, d in entries:
        w, h = len(rows[0]), len(rows)
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 16 if bpp == 4 else 0, 0, 1, bpp, len(d), offset)
        offset += len(d)
    for _, _, d in entries:
        out += d
    with open(path, 'wb') as f:
        f.write(out)


def write_bmp24(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    bits = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        bits += line
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(head + info + bits)


def quantise(rows, colours=256):
    """Median cut over the picture's colours (the cut weighted by use):
    (palette, rows of palette indices). Each colour maps to its nearest palette entry;
    no dithering, so flat areas and gradients stay runs of one index."""
    counts = {}
    for row in rows:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    boxes = [sorted(counts)]
    while len(boxes) < colours:
        # Split the box whose colours lie furthest apart, so that a small
        # area of a colour of its own (the display's green) keeps it.
        candidates = [b for b in boxes if len(b) > 1]
        if not candidates:
            break

        def span(b):
            return max(max(c[i] for c in b) - min(c[i] for c in b) for i in range(3))

        box = max(candidates, key=lambda b: (span(b), sum(counts[c] for c in b)))
        spans = [max(c[i] for c in box) - min(c[i] for c in box) for i in range(3)]
        axis = spans.index(max(spans))
        box.sort(key=lambda c: (c[axis], c))
        half, seen, cut = sum(counts[c] for c in box) / 2.0, 0, 1
        for i, c in enumerate(box[:-1]):
            seen += counts[c]
            if seen >= half:
                cut = i + 1
                break
        boxes.remove(box)
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in sorted(boxes):
        total = sum(counts[c] for c in box)
        palette.append(tuple(int(round(sum(c[i] * counts[c] for c in box) / total)) for i in range(3)))
    nearest = {}
    for c in counts:
        nearest[c] = min(range(len(palette)),
                         key=lambda k: sum((c[i] - palette[k][i]) ** 2 for i in range(3)))
    return palette, [[nearest[c] for c in row] for row in rows]


def rle8(indices):
    """BI_RLE8 bits, bottom row first: runs of one index, literal stretches
    in absolute mode, an end-of-line mark per row and the end-of-bitmap mark."""
    out = bytearray()
    for row in reversed(indices):
        x, w = 0, len(row)
        literal = []

        def flush():
            while literal:
                part = literal[:255]
                del literal[:255]
                if len(part) < 3:
                    for v in part:
                        out.extend((1, v))
                else:
                    out.extend((0, len(part)))
                    out.extend(part)
                    if len(part) % 2:
                        out.append(0)

        while x < w:
            run = 1
            while x + run < w and run < 255 and row[x + run] == row[x]:
                run += 1
            if run >= 3:
                flush()
                out.extend((run, row[x]))
            else:
                literal.extend(row[x:x + run])
            x += run
        flush()
        out.extend((0, 0))
    out[-2:] = bytes((0, 1))
    return bytes(out)


def write_bmp8_rle(path, rows):
    """A 256-colour, RLE8-compressed bitmap of 24-bit `rows`."""
    palette, indices = quantise(rows)
    h, w = len(indices), len(indices[0])
    bits = rle8(indices)
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 1, len(bits), 2835, 2835, len(palette), len(palette))
    offset = 14 + len(info) + len(pal)
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(head + info + pal + bits)


def write_bmp4(path, indices, palette):
    h, w = len(indices), len(indices[0])
    stride = ((w + 7) // 8) * 4
    bits = bytearray()
    for row in reversed(indices):
        line = bytearray(stride)
        for x, v in enumerate(row):
            line[x // 2] |= v << (4 if x % 2 == 0 else 0)
        bits += line
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(bits), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(pal)
    head = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(head + info + pal + bits)


# ---------------------------------------------------------------------------
# Icons, drawn on a 32-unit grid. The button icons keep a 3-unit margin: the
# buttons that show them are barely taller than the icon.

OUTLINE = rgb('#3c434d')


def outlined(cv, shape, paint, edge, width):
    """Fills `shape` with `edge`, then the same shape shrunk by `width`."""
    cv.fill(shape(0.0), edge)
    cv.fill(shape(width), paint)


def icon_app(size):
    """The machine: scanner lid with a sheet in the feeder, body with panel."""
    cv = Canvas(size, size, 4, size / 32.0)
    small = size < 24
    e = 1.6 if small else 1.0          # outline width in grid units
    cv.fill(ellipse(16, 29.3, 14.5, 2.2), rgb('#000000', 0.22))
    # sheet waiting in the document feeder
    sheet = lambda d: [(9 + d, 9), (10.5 + d, 1.5 + d), (21.5 - d, 1.5 + d), (23 - d, 9)]
    outlined(cv, sheet, linear((0, 1), (0, 9), [(0, rgb('#ffffff')), (1, rgb('#e6e9ee'))]), rgb('#6b7380'), e)
    if not small:
        for i, y in enumerate((4.2, 5.9, 7.6)):
            cv.fill(rect(12.4 - i * 0.2, y, 7 + i * 0.4, 0.7), rgb('#9aa3b0'))
    # scanner lid
    lid = lambda d: rrect(3.5 + d, 8 + d, 25 - 2 * d, 6 - 2 * d, 1.6)
    outlined(cv, lid, linear((0, 8), (0, 14), [(0, rgb('#fbfcfd')), (1, rgb('#cdd2d9'))]), OUTLINE, e)
    # body
    body = lambda d: rrect(2.5 + d, 13 + d, 27 - 2 * d, 15 - 2 * d, 2)
    outlined(cv, body, linear((0, 13), (0, 28), [(0, rgb('#f3f5f8')), (0.55, rgb('#d9dde3')), (1, rgb('#a9b0ba'))]),
             OUTLINE, e)
    # control panel: display and status light
    cv.fill(rrect(16.5, 15, 10, 4.6, 0.8), rgb('#2d3640'))
    cv.fill(rect(17.3, 15.8, 8.4, 3), linear((0, 15.8), (0, 18.8), [(0, rgb('#bdf3e6')), (1, rgb('#45b39d'))]))
    cv.fill(ellipse(7.2, 17.2, 1.6, 1.6), rgb('#1e7a2e'))
    cv.fill(ellipse(7.2, 17.2, 1.1, 1.1), radial((6.8, 16.8), 1.4, [(0, rgb('#c9ffc4')), (1, rgb('#2fc040'))]))
    if not small:
        for x in (10.5, 13.0):
            cv.fill(rrect(x - 0.9, 16.3, 1.8, 1.8, 0.5), rgb('#8c95a1'))
    # output slot with a printed sheet
    cv.fill(rrect(6, 21.5, 20, 2.4, 0.8), rgb('#2b3038'))
    out = lambda d: [(8 + d, 22.6), (24 - d, 22.6), (24.8 - d, 26.5 - d), (7.2 + d, 26.5 - d)]
    outlined(cv, out, rgb('#ffffff'), rgb('#7a828e'), e * 0.8)
    if not small:
        cv.fill(rect(10, 24.2, 12, 0.6), rgb('#b6bdc7'))
    return cv.pixels()


def icon_exit(size):
    """An open door with an arrow leaving through it."""
    cv = Canvas(size, size, 4, size / 32.0)
    small = size < 24
    m = 0 if small else 3                # margin inside the button
    s = (32 - 2 * m) / 32.0
    def t(p):
        if p and isinstance(p[0], list):
            return [t(q) for q in p]
        return [(m + x * s, m + y * s) for (x, y) in p]
    e = 1.6 if small else 1.1
    # frame and dark doorway
    cv.fill(t(rect(3, 2, 17, 28)), rgb('#5b3a1e'))
    cv.fill(t(rect(3 + e, 2 + e, 17 - 2 * e, 28 - e)), linear((0, 0), (0, 32), [(0, rgb('#1f2733')), (1, rgb('#3a4656'))]))
    # door leaf swung open towards the viewer
    leaf = [(4.5, 3.2), (12.5, 6.2), (12.5, 31.5), (4.5, 28.8)]
    cv.fill(t(leaf), rgb('#6b4320'))
    inner = [(5.6, 4.7), (11.4, 6.9), (11.4, 29.7), (5.6, 27.6)]
    cv.fill(t(inner), linear((5, 0), (12, 0), [(0, rgb('#d9a066')), (1, rgb('#a8682f'))]))
    cv.fill(t(ellipse(10.2, 18.2, 0.9 * (1.4 if small else 1), 1.1 * (1.4 if small else 1))), rgb('#ffe08a'))
    # arrow
    arrow = [(12, 13.2), (21, 13.2), (21, 8), (30.5, 16.5), (21, 25), (21, 19.8), (12, 19.8)]
    cv.fill(t(stroke(arrow, 2.0 if small else 1.6, closed=True)), rgb('#1d6b16'))
    cv.fill(t(arrow), linear((0, 8), (0, 25), [(0, rgb('#9ef07e')), (0.5, rgb('#4cc234')), (1, rgb('#2a8f1c'))]))
    return cv.pixels()


def glossy_ball(size, edge, light, mid, dark, shine):
    """The shaded ball behind the help and cancel signs: a dark rim, a radial
    body lit from the upper left and a soft highlight. Returns the canvas, the
    centre, the scale against the 32-pixel design and whether it is the small
    icon."""
    cv = Canvas(size, size, 4, size / 32.0)
    small = size < 24
    c, r = 16.0, (15.3 if small else 12.8)
    k = r / 12.8
    cv.fill(ellipse(c, c, r, r), rgb(edge))
    cv.fill(ellipse(c, c, r - (1.3 if small else 0.9), r - (1.3 if small else 0.9)),
            radial((c - 3 * k, c - 4 * k), r * 1.35,
                   [(0, rgb(light)), (0.45, rgb(mid)), (1, rgb(dark))]))
    cv.fill(ellipse(c, c - 6 * k, 7.5 * k, 4.2 * k), rgb('#ffffff', shine))
    return cv, c, k, small


def icon_help(size):
    """A blue ball with a white question mark."""
    cv, c, k, small = glossy_ball(size, '#0b2f73', '#8cc4ff', '#2f7de0', '#0c3d99', 0.28)
    w = (3.6 if small else 3.0) * k
    hook = arc(c, c - 3.6 * k, 4.2 * k, 4.0 * k, 195, 400, 24)
    hook += [(c + 0.2 * k, c + 2.2 * k), (c + 0.2 * k, c + 3.4 * k)]
    cv.fill(stroke(hook, w), rgb('#ffffff'))
    cv.fill(ellipse(c + 0.2 * k, c + 7.6 * k, w * 0.62, w * 0.62), rgb('#ffffff'))
    return cv.pixels()


def icon_ok(size):
    """A green tick."""
    cv = Canvas(size, size, 4, size / 32.0)
    small = size < 24
    if small:
        tick = [(3.5, 17.5), (12, 26), (28.5, 7)]
        wide, narrow = 8.5, 5.3
    else:
        tick = [(7, 17.5), (13.5, 24), (26, 9.5)]
        wide, narrow = 6.6, 4.2
    cv.fill(transform(stroke(tick, wide), 0.6, 1.0), rgb('#000000', 0.18))
    cv.fill(stroke(tick, wide), rgb('#1b6612'))
    cv.fill(stroke(tick, narrow), linear((0, 8), (0, 26), [(0, rgb('#b5f59a')), (0.5, rgb('#55c83a')), (1, rgb('#2d9620'))]))
    return cv.pixels()


def icon_cancel(size):
    """A red ball with a white cross."""
    cv, c, k, small = glossy_ball(size, '#7a0d07', '#ff9d8f', '#e0392b', '#9a140b', 0.25)
    d, w = 4.8 * k, (3.8 if small else 3.0) * k
    cv.fill(stroke([(c - d, c - d), (c + d, c + d)], w) + stroke([(c + d, c - d), (c - d, c + d)], w), rgb('#ffffff'))
    return cv.pixels()



# ---------------------------------------------------------------------------
# Tab images: 16-colour pixel art, 20 x 20 each. Pure blue is the see-through
# colour, so no image may use it.

PALETTE16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
             (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
             (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
INK = {'k': 0, 'r': 1, 'g': 2, 'o': 3, 'n': 4, 'p': 5, 't': 6, 's': 7, 'd': 8, 'R': 9,
       'G': 10, 'Y': 11, '.': 12, 'M': 13, 'C': 14, 'w': 15}
CLEAR = INK['.']


class Pixels:
    """A 20 x 20 grid of palette indices, drawn with integer primitives."""

    def __init__(self, size=20):
        self.n = size
        self.p = [[CLEAR] * size for _ in range(size)]

    def dot(self, x, y, c):
        if 0 <= x < self.n and 0 <= y < self.n:
            self.p[y][x] = INK[c]

    def box(self, x0, y0, x1, y1, c):
        """Filled, corners inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, c)

    def art(self, x0, y0, lines):
        """Paints a small character drawing; blanks leave pixels alone."""
        for dy, line in enumerate(lines):
            for dx, ch in enumerate(line):
                if ch != ' ':
                    self.dot(x0 + dx, y0 + dy, ch)

    def disk(self, cx, cy, r, c):
        for y in range(self.n):
            for x in range(self.n):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.dot(x, y, c)


def tab_settings():
    """Three sliders: the settings to adjust."""
    g = Pixels()
    for track, knob in ((4, 11), (10, 3), (16, 8)):
        for x in range(1, 19):
            g.dot(x, track - 1, 'd')
            g.dot(x, track, 'k' if x < knob else 'd')
            g.dot(x, track + 1, 'w')
        for x in range(2, knob):
            g.dot(x, track, 't')
        g.art(knob, track - 3, ['wwwwk',
                                'wssdk',
                                'wssdk',
                                'wkkdk',
                                'wssdk',
                                'wssdk',
                                'kkkkk'])
    return g.p


def tab_advanced():
    """A spanner."""
    g = Pixels()
    g.art(0, 0, ['..........  kkk.....',
                 '.........  kwwsk....',
                 '..........kwsssk.kk.',
                 '..........kwssk.kwsk',
                 '.........kwssk.kwssk',
                 '.........kwsskkwssdk',
                 '........kwsssswssdk.',
                 '.......kwsssssssdk..',
                 '......kwssssssddk...',
                 '.....kwsssdddkkk....',
                 '....kwsssdk.........',
                 '...kwsssdk..........',
                 '..kwsssdk...........',
                 '.kwsssdk............',
                 'kwsssdk.............',
                 'kwssdk..............',
                 'kwsdk...............',
                 '.kkk................',
                 '....................',
                 '....................'])
    return _shift(g.p, 1, 1)


def _shift(p, dx, dy):
    n = len(p)
    q = [[CLEAR] * n for _ in range(n)]
    for y in range(n):
        for x in range(n):
            if 0 <= x + dx < n and 0 <= y + dy < n:
                q[y + dy][x + dx] = p[y][x]
    return q


def tab_phonebook():
    """An address book with a telephone on its cover."""
    g = Pixels()
    g.box(4, 1, 17, 18, 'k')             # cover outline
    g.box(5, 2, 16, 17, 'r')             # cover
    g.box(5, 2, 5, 17, 'R')              # light catching the edge
    g.box(16, 3, 17, 17, 'w')            # page edges
    for y in range(4, 18, 2):
        g.dot(17, y, 's')
    g.box(4, 18, 17, 18, 'k')
    for y in (3, 7, 11, 15):             # rings through the spine
        g.art(2, y, ['kss', 'sww'])
    # telephone on a white label
    g.box(6, 4, 15, 14, 'k')
    g.box(7, 5, 14, 13, 'w')
    g.art(7, 6, [' kkkkkk ',
                 'kkkkkkkk',
                 'kk    kk',
                 '   kk   ',
                 '  kkkk  ',
                 ' kkddkk ',
                 ' kkkkkk '])
    return g.p


def tab_info():
    """A lower-case i in a ball."""
    g = Pixels()
    g.disk(10, 10, 9.2, 'k')
    g.disk(10, 10, 8.3, 'n')
    for (x, y) in ((8, 3), (7, 3), (6, 4), (5, 4), (4, 5), (4, 6), (3, 7), (3, 8)):
        g.dot(x, y, 't')
    for (x, y) in ((7, 4), (6, 5), (5, 6), (4, 7)):
        g.dot(x, y, 'C')
    g.art(9, 3, ['ww',
                 'ww',
                 '  ',
                 '  ',
                 'www',
                 ' ww',
                 ' ww',
                 ' ww',
                 ' ww',
                 ' ww',
                 ' ww',
                 'wwww'])
    return g.p


def tab_firmware():
    """A chip receiving new contents (arrow)."""
    g = Pixels()
    # pins
    for y in (10, 12, 14, 16):
        g.art(2, y, ['ss'])
        g.art(16, y, ['ss'])
        g.dot(2, y + 1, 'd')
        g.dot(17, y + 1, 'd')
    g.box(4, 8, 15, 18, 'k')
    g.box(5, 9, 14, 17, 'd')
    g.box(5, 9, 14, 9, 's')
    g.box(5, 9, 5, 17, 's')
    g.dot(6, 16, 'w')
    g.box(7, 11, 12, 15, 'k')             # die
    g.box(8, 12, 11, 14, 'o')
    # arrow pointing down onto the chip
    g.art(6, 0, ['  kkkk  ',
                 '  kGGk  ',
                 '  kGGk  ',
                 'kkkGgkkk',
                 ' kGGGgk ',
                 '  kGgk  ',
                 '   kk   '])
    return g.p


TABS = (tab_settings, tab_advanced, tab_phonebook, tab_info, tab_firmware)


def tab_strip():
    images = [f() for f in TABS]
    return [sum((img[y] for img in images), []) for y in range(20)]



# ---------------------------------------------------------------------------
# Lettering: a geometric stroke alphabet. Glyphs live in a box 10 units tall
# (cap line y = 0, x-height line y = 3.5, base line y = 10); each is a list of
# poly-lines.


def bezier(p0, p1, p2, p3, n=16):
    pts = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def _bowl(cx, cy, rx, ry):
    return arc(cx, cy, rx, ry, 0, 360, 48)


GLYPHS = {
    ' ': (3.2, []),
    'a': (6.6, [_bowl(3.25, 6.75, 3.25, 3.25), [(6.5, 3.5), (6.5, 10)]]),
    'e': (6.6, [[(0.05, 6.75), (6.5, 6.75)] + arc(3.25, 6.75, 3.25, 3.25, 360, 45, 40)]),
    'i': (0.0, [[(0, 3.5), (0, 10)], [(0, 0.9), (0, 0.95)]]),
    'k': (5.2, [[(0, 0), (0, 10)], [(5.0, 3.5), (0, 7.6)], [(1.8, 6.2), (5.2, 10)]]),
    'l': (0.0, [[(0, 0), (0, 10)]]),
    'm': (9.6, [[(0, 3.5), (0, 10)], [(0, 6.1)] + arc(2.4, 6.1, 2.4, 2.6, 180, 360, 18) + [(4.8, 10)],
                [(4.8, 6.1)] + arc(7.2, 6.1, 2.4, 2.6, 180, 360, 18) + [(9.6, 10)]]),
    'n': (6.0, [[(0, 3.5), (0, 10)], [(0, 6.5)] + arc(3.0, 6.5, 3.0, 3.0, 180, 360, 24) + [(6.0, 10)]]),
    'o': (6.6, [_bowl(3.3, 6.75, 3.3, 3.25)]),
    'r': (3.6, [[(0, 3.5), (0, 10)], arc(3.4, 6.9, 3.4, 3.4, 180, 275, 12)]),
    's': (5.2, [bezier((5.0, 4.6), (4.2, 3.2), (0.4, 3.1), (0.4, 5.0)) +
                bezier((0.4, 5.0), (0.4, 6.9), (5.3, 6.3), (5.3, 8.3))[1:] +
                bezier((5.3, 8.3), (5.3, 10.7), (0.9, 10.7), (0.1, 9.0))[1:]]),
    't': (3.4, [[(1.2, 0.8), (1.2, 10)], [(0, 3.5), (3.4, 3.5)]]),
    'u': (6.0, [[(0, 3.5), (0, 7.0)] + arc(3.0, 7.0, 3.0, 3.0, 180, 0, 24), [(6.0, 3.5), (6.0, 10)]]),
    'C': (9.0, [arc(5.0, 5.0, 5.0, 5.0, -42, -318, 48)]),
    'K': (6.8, [[(0, 0), (0, 10)], [(6.6, 0), (0, 6.2)], [(2.3, 4.0), (6.8, 10)]]),
    'P': (6.2, [[(0, 10), (0, 0), (3.4, 0)] + arc(3.4, 2.8, 2.8, 2.8, 270, 450, 20) + [(0, 5.6)]]),
    'Q': (10.0, [_bowl(5.0, 5.0, 5.0, 5.0), [(6.2, 7.0), (9.8, 10.4)]]),
    'R': (6.6, [[(0, 10), (0, 0), (3.4, 0)] + arc(3.4, 2.8, 2.8, 2.8, 270, 450, 20) + [(0, 5.6)],
                [(3.4, 5.6), (6.6, 10)]]),
    'S': (7.0, [bezier((6.6, 1.9), (5.6, 0.0), (0.7, -0.2), (0.7, 2.7)) +
                bezier((0.7, 2.7), (0.7, 5.3), (7.0, 4.6), (7.0, 7.3))[1:] +
                bezier((7.0, 7.3), (7.0, 10.6), (1.2, 10.8), (0.1, 8.3))[1:]]),
    'V': (8.4, [[(0, 0), (4.2, 10), (8.4, 0)]]),
    '0': (7.0, [_bowl(3.5, 5.0, 3.5, 5.0)]),
    '4': (7.4, [[(5.6, 10), (5.6, 0), (0, 7.0), (7.4, 7.0)]]),
}


def lettering(text, x, y, size, weight, tracking=2.3):
    """Outlines of `text` with its cap line at y; `size` is the cap height."""
    k = size / 10.0
    polys = []
    for ch in text:
        adv, lines = GLYPHS[ch]
        for line in lines:
            polys += stroke([(x + px * k, y + py * k) for (px, py) in line], weight)
        x += (adv + tracking) * k
    return polys



# ---------------------------------------------------------------------------
# About picture, 332 x 330. The about box paints the version and rights
# lines right-aligned over rows 125 to 180 of the picture, so that band stays
# plain and light; the name sits in the blue header above it and the machine
# stands below it.

ABOUT_W, ABOUT_H = 332, 330
BAND_TOP, BAND_BOTTOM = 114, 190


def machine(cv, ox, oy):
    """The machine, 200 x 130 units from (ox, oy)."""
    def at(poly):
        if poly and isinstance(poly[0], list):
            return [at(p) for p in poly]
        return [(ox + x, oy + y) for (x, y) in poly]

    def grad(y0, y1, stops):
        return linear((0, oy + y0), (0, oy + y1), stops)

    edge = rgb('#59616d')
    # floor shadow
    cv.fill(at(ellipse(100, 124, 104, 8)), rgb('#0f2748', 0.10))
    cv.fill(at(ellipse(100, 122, 92, 5)), rgb('#0f2748', 0.16))
    # originals waiting in the feeder
    for d, shade in ((4, '#dfe4ea'), (2, '#eef1f5'), (0, '#ffffff')):
        sheet = [(44 - d, 24 - d * 0.5), (56 - d, 2 - d), (132 + d, 2 - d), (144 + d, 24 - d * 0.5)]
        cv.fill(at(stroke(sheet, 1.2, closed=True)), rgb('#8d96a3'))
        cv.fill(at(sheet), rgb(shade))
    for j in range(4):
        y = 7 + j * 3.6
        x0 = 58 - j * 1.9
        cv.fill(at(rect(x0, y, 64 + j * 3.8 - (18 if j == 3 else 0), 1.3)), rgb('#aab3bf'))
    # document feeder and lid
    cv.fill(at(rrect(21, 17, 158, 25, 7)), edge)
    cv.fill(at(rrect(22.2, 18.2, 155.6, 22.6, 6)),
            grad(18, 41, [(0, rgb('#ffffff')), (0.6, rgb('#e4e8ed')), (1, rgb('#c9cfd7'))]))
    cv.fill(at(rrect(40, 33, 120, 3.2, 1.5)), rgb('#3a414b'))
    # body
    cv.fill(at(rrect(9, 39, 182, 84, 9)), edge)
    cv.fill(at(rrect(10.3, 40.3, 179.4, 81.4, 8)),
            grad(40, 122, [(0, rgb('#f7f9fb')), (0.45, rgb('#e1e5ea')), (1, rgb('#b9c0ca'))]))
    cv.fill(at(rect(14, 42, 172, 3)), rgb('#ffffff', 0.7))
    # control panel: display, keys, start key and status light
    cv.fill(at(rrect(100, 45, 84, 30, 5)), grad(45, 75, [(0, rgb('#4a5461')), (1, rgb('#2b323b'))]))
    cv.fill(at(rrect(106, 50, 40, 19, 2)), rgb('#1d2329'))
    cv.fill(at(rect(107.5, 51.5, 37, 16)), grad(51, 68, [(0, rgb('#d6fbf1')), (1, rgb('#62c6ae'))]))
    for j, w in enumerate((28, 20, 24)):
        cv.fill(at(rect(110, 54 + j * 4.2, w, 1.6)), rgb('#1f5e52', 0.8))
    for r in range(3):
        for c in range(3):
            cv.fill(at(rrect(152 + c * 8.4, 49 + r * 7.4, 6.6, 5.2, 1.6)),
                    grad(49 + r * 7.4, 54 + r * 7.4, [(0, rgb('#f2f4f7')), (1, rgb('#aeb6c1'))]))
    cv.fill(at(ellipse(20, 51, 3.2, 3.2)), rgb('#1e6b2b'))
    cv.fill(at(ellipse(20, 51, 2.3, 2.3)), radial((ox + 19.2, oy + 50.2), 3.0, [(0, rgb('#d8ffd0')), (1, rgb('#2fbf45'))]))
    for j in range(4):
        cv.fill(at(rect(16, 60 + j * 4, 26, 1.6)), rgb('#9ea7b3'))
    # output slot and a printed page
    cv.fill(at(rrect(22, 79, 112, 7, 3)), rgb('#2a3038'))
    page = [(30, 83), (126, 83), (131, 99), (25, 99)]
    cv.fill(at(stroke(page, 1.1, closed=True)), rgb('#7f8996'))
    cv.fill(at(page), grad(83, 99, [(0, rgb('#e9edf2')), (0.25, rgb('#ffffff')), (1, rgb('#ffffff'))]))
    for j, w in enumerate((70, 82, 60)):
        cv.fill(at(rect(38 - j * 1.2, 88 + j * 3.4, w, 1.3)), rgb('#9aa4b1'))
    cv.fill(at(rect(100, 87, 20, 6)), rgb('#4f87c9', 0.8))
    # paper drawer
    cv.fill(at(rrect(16, 101, 168, 19, 3)), edge)
    cv.fill(at(rrect(17.2, 102.2, 165.6, 16.6, 2.4)),
            grad(102, 119, [(0, rgb('#eef1f4')), (1, rgb('#b3bac5'))]))
    cv.fill(at(rrect(78, 106.5, 44, 6, 3)), rgb('#5d6672'))
    cv.fill(at(rrect(79.5, 107.5, 41, 2.2, 1.1)), rgb('#9aa3af'))


def about_picture():
    cv = Canvas(ABOUT_W, ABOUT_H, 3)
    # header
    cv.fill(rect(0, 0, ABOUT_W, BAND_TOP),
            linear((0, 0), (ABOUT_W * 0.35, BAND_TOP), [(0, rgb('#143763')), (1, rgb('#2c68b3'))]))
    # two faint sweeps of light across the header
    swoosh = arc(250, 330, 330, 290, 200, 300, 60) + arc(260, 350, 320, 290, 300, 200, 60)
    cv.fill(swoosh, rgb('#ffffff', 0.07))
    cv.fill(arc(40, -120, 330, 200, 20, 160, 60), rgb('#ffffff', 0.05))
    cv.fill(lettering('Veltra', 20, 16, 10, 1.5, 2.6), rgb('#f2c46d'))
    cv.fill(lettering('Quillmark K40 Series', 20, 44, 19, 2.5), rgb('#ffffff'))
    cv.fill(lettering('Remote Control Panel', 20.5, 79, 10, 1.45), rgb('#cfe0f5'))
    # accent rule, then the plain band for the painted lines
    cv.fill(rect(0, BAND_TOP - 3, ABOUT_W, 3), linear((0, 0), (ABOUT_W, 0),
            [(0, rgb('#f2c46d')), (1, rgb('#d98e2b'))]))
    cv.fill(rect(0, BAND_TOP, ABOUT_W, ABOUT_H - BAND_TOP),
            linear((0, BAND_TOP), (0, ABOUT_H), [(0, rgb('#fbfcfe')), (0.3, rgb('#f3f6fa')), (1, rgb('#d9e1ec'))]))
    cv.fill(rect(16, BAND_BOTTOM - 1, ABOUT_W - 32, 1), rgb('#c5cfdc'))
    machine(cv, 66, BAND_BOTTOM + 4)
    return flatten(cv.pixels(), (255, 255, 255))



def main(out):
    os.makedirs(out, exist_ok=True)
    for name, draw in (('app', icon_app), ('exit', icon_exit), ('help', icon_help), ('ok', icon_ok),
                       ('cancel', icon_cancel)):
        write_ico(os.path.join(out, name + '.ico'), [draw(32), draw(16)])
    write_bmp4(os.path.join(out, 'tabs.bmp'), tab_strip(), PALETTE16)
    write_bmp8_rle(os.path.join(out, 'about.bmp'), about_picture())


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'res'))
