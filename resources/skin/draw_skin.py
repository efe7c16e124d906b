#!/usr/bin/env python3
"""Draws Tarvo's skin pictures into resources/skin/shpix.

Only the standard library is used: a small anti-aliased rasteriser (shapes
sampled 4 x 4 times per pixel) and writers for 24-bit BMP, GIF (LZW) and
RGBA PNG. Run it again after changing a colour or a shape; the pictures it
writes are committed, so the build does not need Python.

Pure magenta (255, 0, 255) in the BMP files marks pixels the program treats
as transparent (the rounded corners of the caption and of the buttons).
"""

import math
import os
import struct
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "shpix")
KEY = (255, 0, 255)
SS = 4  # sub-samples per axis


# ---------------------------------------------------------------- canvas

class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[list(fill) for _ in range(w)] for _ in range(h)]

    def blend(self, x, y, rgb, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        d = self.px[y][x]
        da = d[3] / 255.0
        oa = a + da * (1 - a)
        if oa <= 0:
            return
        for i in range(3):
            d[i] = (rgb[i] * a + d[i] * da * (1 - a)) / oa
        d[3] = oa * 255.0

    def shape(self, inside, rgb, alpha=1.0, box=None):
        """Fills the sub-pixel samples for which inside(x, y) holds."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)))):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                if hits:
                    self.blend(x, y, rgb, alpha * hits / (SS * SS))

    def rgb_rows(self, background):
        """Flattens onto a background colour (or keeps transparency as None)."""
        rows = []
        for row in self.px:
            out = []
            for r, g, b, a in row:
                a /= 255.0
                if background is None:
                    out.append(None if a < 0.5 else (round(r), round(g), round(b)))
                else:
                    out.append(tuple(round(c * a + bg * (1 - a))
                                     for c, bg in zip((r, g, b), background)))
            rows.append(out)
        return rows


# ---------------------------------------------------------------- shapes

def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out ** 2


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(ax, ay, bx, by, width):
    half = width / 2.0

    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)
        t = min(1.0, max(0.0, t))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def outline(x0, y0, x1, y1, r, width):
    return minus(rrect(x0, y0, x1, y1, r),
                 rrect(x0 + width, y0 + width, x1 - width, y1 - width, max(0, r - width)))


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def hexrgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


# ---------------------------------------------------------------- writers

def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def lzw_gif(indices, min_code_size):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bitbuf, bitcount = bytearray(), 0, 0
    code_size = min_code_size + 1

    def emit(code):
        nonlocal bitbuf, bitcount
        bitbuf |= code << bitcount
        bitcount += code_size
        while bitcount >= 8:
            out.append(bitbuf & 0xFF)
            bitbuf >>= 8
            bitcount -= 8

    table = {(i,): i for i in range(clear)}
    next_code = end + 1
    emit(clear)
    prefix = ()
    for idx in indices:
        candidate = prefix + (idx,)
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix])
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << code_size) and code_size < 12:
                code_size += 1
        else:
            emit(clear)
            table = {(i,): i for i in range(clear)}
            next_code = end + 1
            code_size = min_code_size + 1
        prefix = (idx,)
    if prefix:
        emit(table[prefix])
    emit(end)
    if bitcount:
        out.append(bitbuf & 0xFF)
    return bytes(out)


def write_gif(path, rows):
    """rows hold RGB tuples or None for transparent pixels."""
    colours = sorted({p for row in rows for p in row if p is not None})
    if len(colours) > 255:
        raise SystemExit("%s: %d colours, at most 255" % (path, len(colours)))
    palette = [(255, 0, 255)] + colours  # index 0 is the transparent one
    index = {c: i for i, c in enumerate(palette)}
    while len(palette) < 256:
        palette.append((0, 0, 0))
    h, w = len(rows), len(rows[0])
    pixels = [0 if p is None else index[p] for row in rows for p in row]
    data = lzw_gif(pixels, 8)
    blocks = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        blocks += bytes((len(chunk),)) + chunk
    with open(path, "wb") as f:
        f.write(b"GIF89a" + struct.pack("<HHBBB", w, h, 0xF7, 0, 0))
        f.write(bytes(c for rgb in palette for c in rgb))
        f.write(b"\x21\xF9\x04\x01\x00\x00\x00\x00")  # transparent index 0
        f.write(b"\x2C" + struct.pack("<HHHHB", 0, 0, w, h, 0) + b"\x08")
        f.write(bytes(blocks) + b"\x00\x3B")


def write_png(path, canvas):
    raw = bytearray()
    for row in canvas.px:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((round(r), round(g), round(b), round(a)))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


# ---------------------------------------------------------------- caption

CAPTION_H = 30
CAPTION_TOP = hexrgb("#44597a")
CAPTION_BOTTOM = hexrgb("#263650")
CAPTION_HIGHLIGHT = hexrgb("#6a80a3")
CAPTION_SHADOW = hexrgb("#18233a")
GLYPH = hexrgb("#eef3fa")


def caption_colour(y):
    if y == 0:
        return CAPTION_HIGHLIGHT
    if y == CAPTION_H - 1:
        return CAPTION_SHADOW
    return mix(CAPTION_TOP, CAPTION_BOTTOM, (y - 1) / float(CAPTION_H - 3))


def caption_canvas(w):
    c = Canvas(w, CAPTION_H)
    for y in range(CAPTION_H):
        for x in range(w):
            c.px[y][x] = list(caption_colour(y)) + [255.0]
    return c


def rounded_corner_key(rows, left, radius=6):
    """Replaces the pixels outside a rounded top corner by the colour key."""
    w = len(rows[0])
    for y in range(radius):
        for x in range(radius):
            cx = radius - x - 0.5
            cy = radius - y - 0.5
            if cx * cx + cy * cy > radius * radius:
                rows[y][x if left else w - 1 - x] = KEY


def draw_caption():
    left = caption_canvas(36)
    # The shop's emblem: a price tag with its hole, in the caption's light blue.
    tag = polygon([(9, 8), (18, 8), (27, 15), (18, 22), (9, 22)])
    left.shape(rrect(8.5, 7.5, 19, 22.5, 2), hexrgb("#9cc3ee"))
    left.shape(tag, hexrgb("#9cc3ee"))
    left.shape(disc(13, 15, 2), hexrgb("#2d3f5c"))
    rows = left.rgb_rows(None)
    rounded_corner_key(rows, True)
    write_bmp(os.path.join(OUT, "img_Caption_Left.bmp"), rows)

    write_bmp(os.path.join(OUT, "img_Caption_Center.bmp"), caption_canvas(100).rgb_rows(None))

    right = caption_canvas(90).rgb_rows(None)
    rounded_corner_key(right, False)
    write_bmp(os.path.join(OUT, "img_Caption_Right.bmp"), right)


def caption_button(name, glyph):
    """24 x 24 glyph on the caption's own gradient (the buttons sit 3 pixels
    below the caption's top), with a transparent background."""
    c = Canvas(24, 24)
    c.shape(glyph, GLYPH)
    rows = []
    for y, row in enumerate(c.px):
        under = caption_colour(y + 3)
        out = []
        for r, g, b, a in row:
            a /= 255.0
            if a < 0.08:
                out.append(None)
            else:
                # Few levels of coverage keep the palette small and the edges soft.
                a = round(a * 6) / 6.0
                out.append(tuple(int(round(cc * a + u * (1 - a))) for cc, u in zip((r, g, b), under)))
        rows.append(out)
    write_gif(os.path.join(OUT, name), rows)


def draw_caption_buttons():
    caption_button("img_Button_Close.gif",
                   union(segment(7.5, 7.5, 16.5, 16.5, 1.8), segment(16.5, 7.5, 7.5, 16.5, 1.8)))
    caption_button("img_Button_Maximize.gif",
                   union(outline(6.5, 6.5, 17.5, 17.5, 1.5, 1.5), rrect(6.5, 6.5, 17.5, 9, 1)))
    back = outline(9, 5.5, 18.5, 15, 1.2, 1.4)
    front = outline(5.5, 9, 15, 18.5, 1.2, 1.4)
    caption_button("img_Button_Restore.gif",
                   union(front, minus(back, rrect(5.5, 9, 15, 18.5, 1.2))))
    caption_button("img_Button_Minimize.gif", rrect(6.5, 15.5, 17.5, 17.5, 1))


# ---------------------------------------------------------------- borders

FRAME_OUTER = hexrgb("#26364f")
FRAME_FILL = hexrgb("#d5dde8")
FRAME_INNER = hexrgb("#b3c0d1")


def draw_borders():
    tiles = [[None] * 50 for _ in range(10)]

    def across(i):  # colour at distance i (0 outer .. 9 inner) from the edge
        if i == 0:
            return FRAME_OUTER
        if i == 9:
            return FRAME_INNER
        return mix(FRAME_FILL, hexrgb("#e4e9f0"), (i - 1) / 7.0)

    for y in range(10):
        for x in range(10):
            tiles[y][0 + x] = across(x)            # left border
            tiles[y][20 + x] = across(9 - y)       # bottom edge
            tiles[y][30 + x] = across(9 - x)       # right border
            tiles[y][10 + x] = across(min(x, 9 - y))       # bottom-left corner
            tiles[y][40 + x] = across(min(9 - x, 9 - y))   # bottom-right corner
    rows = [[tuple(int(round(c)) for c in p) for p in row] for row in tiles]
    write_bmp(os.path.join(OUT, "img_Borders.bmp"), rows)


# ---------------------------------------------------------------- push button

def draw_button_strip():
    """Three looks, 24 pixels high; the pieces are cut at fixed x positions:
    normal 0/15/55, pointer over 72/83/128, pressed 144/159/202."""
    looks = [
        (0, 71, hexrgb("#ffffff"), hexrgb("#e3e9f1"), hexrgb("#8e9db2")),
        (72, 144, hexrgb("#f5f9ff"), hexrgb("#d6e6f8"), hexrgb("#4a7bc0")),
        (144, 218, hexrgb("#c3d5ec"), hexrgb("#d9e5f4"), hexrgb("#35609c")),
    ]
    c = Canvas(220, 24)
    for x0, x1, top, bottom, border in looks:
        body = rrect(x0 + 0.5, 0.5, x1 - 0.5, 23.5, 4)
        c.shape(body, border, box=(x0, 0, x1, 24))
        inner = rrect(x0 + 1.5, 1.5, x1 - 1.5, 22.5, 3)
        for y in range(24):
            colour = mix(top, bottom, y / 23.0)
            c.shape(lambda x, yy, y=y: inner(x, yy) and y <= yy < y + 1, colour, box=(x0, y, x1, y + 1))
        if x0 == 0:  # a soft light line under the top edge of the raised looks
            c.shape(lambda x, y: inner(x, y) and 1.5 <= y < 2.5, (255, 255, 255), 0.8, box=(x0, 1, x1, 3))
    rows = c.rgb_rows(None)
    rows = [[KEY if p is None else p for p in row] for row in rows]
    write_bmp(os.path.join(OUT, "img_Buttons.bmp"), rows)


# ---------------------------------------------------------------- toolbar

INK = hexrgb("#34496a")
INK_HOVER = hexrgb("#1f5fae")
INK_DOWN = hexrgb("#184c8c")
RED = hexrgb("#c0392b")
GREEN = hexrgb("#2e9e5b")


def icon_new(c, ink, dx):
    page = polygon([(6 + dx, 3 + dx), (14 + dx, 3 + dx), (19 + dx, 8 + dx), (19 + dx, 21 + dx), (6 + dx, 21 + dx)])
    hole = polygon([(7.6 + dx, 4.6 + dx), (13.3 + dx, 4.6 + dx), (17.4 + dx, 8.7 + dx),
                    (17.4 + dx, 19.4 + dx), (7.6 + dx, 19.4 + dx)])
    c.shape(minus(page, hole), ink)
    c.shape(polygon([(13.5 + dx, 3 + dx), (19 + dx, 8.5 + dx), (13.5 + dx, 8.5 + dx)]), ink)
    c.shape(disc(17 + dx, 17 + dx, 5.2), GREEN)
    c.shape(union(rrect(14.2 + dx, 16.2 + dx, 19.8 + dx, 17.8 + dx, 0.5),
                  rrect(16.2 + dx, 14.2 + dx, 17.8 + dx, 19.8 + dx, 0.5)), (255, 255, 255))


def icon_search(c, ink, dx):
    c.shape(ring(10 + dx, 10 + dx, 6.5, 4.6), ink)
    c.shape(segment(14.8 + dx, 14.8 + dx, 20 + dx, 20 + dx, 3.2), ink)


def icon_save(c, ink, dx):
    c.shape(minus(rrect(4 + dx, 4 + dx, 20 + dx, 20 + dx, 2), rrect(5.6 + dx, 5.6 + dx, 18.4 + dx, 18.4 + dx, 1)), ink)
    c.shape(rrect(8 + dx, 4 + dx, 16 + dx, 10 + dx, 0.8), ink)
    c.shape(rrect(12.6 + dx, 5.4 + dx, 14.6 + dx, 8.6 + dx, 0.3), (255, 255, 255))
    c.shape(rrect(7.5 + dx, 13 + dx, 16.5 + dx, 20 + dx, 1), ink)


def icon_delete(c, ink, dx):
    c.shape(rrect(5 + dx, 6 + dx, 19 + dx, 8 + dx, 0.8), RED)
    c.shape(rrect(10 + dx, 3.5 + dx, 14 + dx, 6.5 + dx, 1), RED)
    body = polygon([(6.5 + dx, 9 + dx), (17.5 + dx, 9 + dx), (16.5 + dx, 21 + dx), (7.5 + dx, 21 + dx)])
    c.shape(body, RED)
    for x in (9.8, 12, 14.2):
        c.shape(rrect(x - 0.6 + dx, 11 + dx, x + 0.6 + dx, 19 + dx, 0.5), (255, 255, 255))


def icon_print(c, ink, dx):
    c.shape(minus(rrect(7 + dx, 3 + dx, 17 + dx, 9 + dx, 0.8), rrect(8.5 + dx, 4.5 + dx, 15.5 + dx, 9 + dx, 0)), ink)
    c.shape(rrect(3.5 + dx, 8.5 + dx, 20.5 + dx, 17 + dx, 2), ink)
    c.shape(disc(17.5 + dx, 11.3 + dx, 0.9), hexrgb("#7fd17f"))
    c.shape(rrect(7 + dx, 13.5 + dx, 17 + dx, 21 + dx, 0.8), ink)
    c.shape(rrect(8.5 + dx, 15 + dx, 15.5 + dx, 21 + dx, 0), (255, 255, 255))
    c.shape(rrect(9.5 + dx, 16.5 + dx, 14.5 + dx, 17.3 + dx, 0), ink)
    c.shape(rrect(9.5 + dx, 18.5 + dx, 13 + dx, 19.3 + dx, 0), ink)


def arrow(c, ink, dx, pointing_left, bar):
    if pointing_left:
        tri = polygon([(17 + dx, 5 + dx), (17 + dx, 19 + dx), (7.5 + dx, 12 + dx)])
    else:
        tri = polygon([(7 + dx, 5 + dx), (7 + dx, 19 + dx), (16.5 + dx, 12 + dx)])
    shift = 2 if bar else 0
    if bar and pointing_left:
        c.shape(rrect(4.5 + dx, 5 + dx, 6.8 + dx, 19 + dx, 0.6), ink)
        c.shape(lambda x, y: tri(x - shift, y), ink)
    elif bar:
        c.shape(rrect(17.2 + dx, 5 + dx, 19.5 + dx, 19 + dx, 0.6), ink)
        c.shape(lambda x, y: tri(x + shift, y), ink)
    else:
        c.shape(tri, ink)


def icon_card(c, ink, dx):
    c.shape(minus(rrect(3 + dx, 5 + dx, 21 + dx, 19 + dx, 2), rrect(4.6 + dx, 6.6 + dx, 19.4 + dx, 17.4 + dx, 1)), ink)
    c.shape(disc(9 + dx, 10.3 + dx, 2.2), ink)
    c.shape(lambda x, y: disc(9 + dx, 17 + dx, 4.2)(x, y) and y <= 16.8 + dx, ink)
    for y in (9.5, 12.5, 15.5):
        c.shape(rrect(13 + dx, y - 0.7 + dx, 18 + dx, y + 0.7 + dx, 0.5), ink)


TOOLBAR = [
    ("nuovo", icon_new),
    ("cerca", icon_search),
    ("salva", icon_save),
    ("elimina", icon_delete),
    ("stampa", icon_print),
    ("primo", lambda c, ink, dx: arrow(c, ink, dx, True, True)),
    ("precedente", lambda c, ink, dx: arrow(c, ink, dx, True, False)),
    ("successivo", lambda c, ink, dx: arrow(c, ink, dx, False, False)),
    ("ultimo", lambda c, ink, dx: arrow(c, ink, dx, False, True)),
    ("anagrafica", icon_card),
]


def draw_toolbar():
    for name, draw in TOOLBAR:
        normal = Canvas(24, 24)
        draw(normal, INK, 0)
        write_png(os.path.join(OUT, "tb_%s_norm.png" % name), normal)

        hover = Canvas(24, 24)
        hover.shape(rrect(0.5, 0.5, 23.5, 23.5, 4), hexrgb("#7a9cc6"))
        hover.shape(rrect(1.5, 1.5, 22.5, 22.5, 3), hexrgb("#f3f7fc"))
        draw(hover, INK_HOVER, 0)
        write_png(os.path.join(OUT, "tb_%s_hover.png" % name), hover)

        down = Canvas(24, 24)
        down.shape(rrect(0.5, 0.5, 23.5, 23.5, 4), hexrgb("#5e84b5"))
        down.shape(rrect(1.5, 1.5, 22.5, 22.5, 3), hexrgb("#bccfe6"))
        draw(down, INK_DOWN, 0.7)
        write_png(os.path.join(OUT, "tb_%s_down.png" % name), down)


def main():
    os.makedirs(OUT, exist_ok=True)
    draw_caption()
    draw_caption_buttons()
    draw_borders()
    draw_button_strip()
    draw_toolbar()
    print("skin pictures written to", OUT)


if __name__ == "__main__":
    sys.exit(main())
