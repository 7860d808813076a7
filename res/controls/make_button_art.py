#!/usr/bin/env python3
"""Draws the control bar's button faces as small pixel-art PNGs on magenta.

Every face is an RGB image whose background is magenta RGB(255, 0, 255); the buttons key that colour
out when they draw. Pictures are crisp pixel art without anti-aliasing, because a blended edge pixel
would no longer be exact magenta and would show as a pink fringe.

Run it from anywhere: it rewrites res/controls/*.png and res/controls.qrc beside this script.
Only the Python standard library is used.
"""

import math
import os
import struct
import zlib

MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
CHECK_DARK = (198, 198, 198)
RED = (214, 0, 0)
GREEN = (52, 170, 52)
GREEN_EDGE = (0, 96, 0)
BAR = (70, 70, 70)
SOFT_FILL = (176, 176, 176)
SOFT_EDGE = (104, 104, 104)
FOLDER_BACK = (230, 178, 30)
FOLDER_FRONT = (255, 222, 90)
FOLDER_EDGE = (124, 88, 0)
ARROW_BLUE = (20, 90, 200)
ARROW_BLUE_EDGE = (0, 40, 120)


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[MAGENTA] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def paint(self, mask, colour):
        for (x, y) in mask:
            self.set(x, y, colour)

    def checker(self, x0, y0, x1, y1):
        """Grey and white dither: the look of a button that is latched down."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, WHITE if (x + y) % 2 == 0 else CHECK_DARK)

    def png(self):
        raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in self.px)

        def chunk(tag, data):
            body = tag + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        head = struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# ---- shapes: sets of (x, y) pixels -------------------------------------------------------------

def rect(x0, y0, x1, y1):
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def tri_right(tip_x, cy, half):
    """Right-pointing triangle: tip at (tip_x, cy), base column tip_x - half, 2*half+1 rows."""
    return {(x, y) for y in range(cy - half, cy + half + 1)
            for x in range(tip_x - half, tip_x - abs(y - cy) + 1)}


def tri_left(tip_x, cy, half):
    return {(x, y) for y in range(cy - half, cy + half + 1)
            for x in range(tip_x + abs(y - cy), tip_x + half + 1)}


def tri_up(cx, tip_y, half):
    return {(x, y) for y in range(tip_y, tip_y + half + 1)
            for x in range(cx - (y - tip_y), cx + (y - tip_y) + 1)}


def tri_down(cx, tip_y, half):
    return {(x, y) for (x, y2) in tri_up(cx, 0, half) for y in [tip_y - y2]}


def ring(cx, cy, r_in, r_out):
    out = set()
    for y in range(int(cy - r_out) - 1, int(cy + r_out) + 2):
        for x in range(int(cx - r_out) - 1, int(cx + r_out) + 2):
            d = math.hypot(x - cx, y - cy)
            if r_in <= d <= r_out:
                out.add((x, y))
    return out


def disc(cx, cy, r):
    return ring(cx, cy, -1, r)


def shift(shape, dx, dy):
    return {(x + dx, y + dy) for (x, y) in shape}


def mirror_x(shape, width):
    return {(width - 1 - x, y) for (x, y) in shape}


def edge(shape):
    """Pixels of the shape with a 4-neighbour outside it: an inner outline."""
    return {(x, y) for (x, y) in shape
            if any((x + dx, y + dy) not in shape for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))}


# ---- glyphs, drawn for a 21 x 21 face centred on pixel (10, 10) ---------------------------------
# A glyph is a list of (shape, colour) layers, painted in order.

def glyph_play():
    return [(tri_right(13, 10, 6), BLACK)]


def glyph_pause():
    return [(rect(6, 5, 8, 15) | rect(12, 5, 14, 15), BLACK)]


def glyph_stop():
    return [(rect(6, 6, 14, 14), BLACK)]


def glyph_prev():
    return [(rect(4, 6, 5, 14) | tri_left(7, 10, 4) | tri_left(12, 10, 4), BLACK)]


def glyph_next():
    return [(mirror_x(s, 21), c) for (s, c) in glyph_prev()]


def speaker():
    body = rect(3, 8, 5, 12)
    cone = set()
    for i, x in enumerate(range(6, 10)):
        cone |= {(x, y) for y in range(7 - i, 14 + i)}
    return body | cone


def waves():
    small = {(11, 7), (12, 8), (13, 9), (13, 10), (13, 11), (12, 12), (11, 13)}
    large = {(13, 4), (14, 5), (15, 6), (15, 7), (16, 8), (16, 9), (16, 10), (16, 11), (16, 12),
             (15, 13), (15, 14), (14, 15), (13, 16)}
    return small | large


def glyph_speaker():
    return [(speaker(), BLACK), (waves(), BLACK)]


def glyph_muted():
    # The silent loudspeaker, centred, under a red prohibition sign: a ring and a bar from top-left
    # to bottom-right.
    sign = ring(10, 10, 6.9, 8.6)
    slash = {(x, y) for x in range(0, 21) for y in range(0, 21)
             if x - y in (0, 1) and math.hypot(x - 10, y - 10) <= 8.0}
    return [(shift(speaker(), 3, 0), BLACK), (sign | slash, RED)]


def folder_parts():
    back = rect(2, 6, 14, 16) | rect(3, 5, 7, 5)
    front = set()
    for y in range(10, 17):
        x0 = 2 + (16 - y) // 2
        front |= {(x, y) for x in range(x0, x0 + 13)}
    # An arrow leaving the open folder towards the top right.
    arrow = rect(10, 3, 14, 4) | {(x, y) for x in range(15, 18) for y in range(1 + (x - 15), 7 - (x - 15))}
    return back, front, arrow


def glyph_folder(colourful=True):
    back, front, arrow = folder_parts()
    if colourful:
        cb, cf, ce, ca, cae = FOLDER_BACK, FOLDER_FRONT, FOLDER_EDGE, ARROW_BLUE, ARROW_BLUE_EDGE
    else:
        cb, cf, ce, ca, cae = (150, 150, 150), SOFT_FILL, SOFT_EDGE, (120, 120, 120), (80, 80, 80)
    return [(back, cb), (edge(back), ce), (front, cf), (edge(front), ce), (arrow, ca),
            (edge(arrow) & {(x, y) for (x, y) in arrow if y in (3, 4) and x < 15}, cae)]


def outlined(shape, fill, outline):
    return [(shape, fill), (edge(shape), outline)]


def glyph_margin_up(soft=False):
    arrow = tri_up(10, 2, 6) | rect(8, 9, 12, 12)
    bar = rect(3, 14, 17, 16)
    fill, line, barc = (SOFT_FILL, SOFT_EDGE, SOFT_EDGE) if soft else (GREEN, GREEN_EDGE, BAR)
    return outlined(arrow, fill, line) + [(bar, barc)]


def glyph_margin_down(soft=False):
    arrow = rect(8, 2, 12, 5) | tri_down(10, 12, 6)
    bar = rect(3, 14, 17, 16)
    fill, line, barc = (SOFT_FILL, SOFT_EDGE, SOFT_EDGE) if soft else (GREEN, GREEN_EDGE, BAR)
    return outlined(arrow, fill, line) + [(bar, barc)]


# 20 x 20 crop faces: a centre bar in columns 9 and 10, arrows left and right of it.
def crop_head(tip_x, step):
    """Arrow head on rows centred at 9.5: two rows at the tip, one more each side per column."""
    return {(tip_x + step * d, y) for d in range(4) for y in range(9 - d, 11 + d)}


def crop_arrow_out_left():
    return crop_head(1, 1) | rect(5, 8, 7, 11)


def crop_arrow_in_left():
    return rect(1, 8, 3, 11) | crop_head(7, -1)


def glyph_crop(outward):
    left = crop_arrow_out_left() if outward else crop_arrow_in_left()
    arrows = left | mirror_x(left, 20)
    bar = rect(9, 2, 10, 17)
    return outlined(arrows, GREEN, GREEN_EDGE) + [(bar, BAR)]


# ---- faces -------------------------------------------------------------------------------------

def face_normal(glyph, size=21):
    c = Canvas(size, size)
    for shape, colour in glyph:
        c.paint(shape, colour)
    return c


def face_latched(glyph, size=21):
    # Latched faces are drawn at the button's corner inside a sunken frame: the dither fills the
    # frame's inside and the picture sits two pixels down and right, where a held button shows it.
    c = Canvas(size, size)
    c.checker(1, 1, size - 1, size - 1)
    for shape, colour in glyph:
        c.paint(shift(shape, 2, 2), colour)
    return c


def face_disabled(glyph, size=21):
    # Engraved grey: a white copy one pixel down and right under a grey copy.
    everything = set()
    for shape, _ in glyph:
        everything |= shape
    c = Canvas(size, size)
    c.paint(shift(everything, 1, 1), WHITE)
    c.paint(everything, GREY)
    return c


def faces():
    """Bitmap id -> (file stem, canvas)."""
    out = {}

    def put(bid, name, canvas):
        out[bid] = (f"{bid}-{name}", canvas)

    for (name, glyph, normal, latched, pushed, disabled) in (
            ("play", glyph_play(), 3184, 3183, None, 3182),
            ("pause", glyph_pause(), 3180, 3179, 3181, 3178),
            ("stop", glyph_stop(), 3192, 3191, 3193, 3190),
            ("prev", glyph_prev(), 3188, 3187, 3189, 3186),
            ("next", glyph_next(), 3176, 3175, 3177, 3174)):
        put(normal, name, face_normal(glyph))
        put(latched, name + "-latched", face_latched(glyph))
        if pushed:
            put(pushed, name + "-pushed", face_normal(glyph))
        put(disabled, name + "-disabled", face_disabled(glyph))

    put(3197, "mute", face_normal(glyph_speaker()))
    put(3196, "mute-latched", face_latched(glyph_muted()))
    put(3198, "mute-pushed", face_normal(glyph_speaker()))
    put(206, "open", face_normal(glyph_folder(True)))
    put(213, "open-pushed", face_normal(glyph_folder(False)))
    put(207, "margin-up", face_normal(glyph_margin_up()))
    put(214, "margin-up-pushed", face_normal(glyph_margin_up(soft=True)))
    put(208, "margin-down", face_normal(glyph_margin_down()))
    put(215, "margin-down-pushed", face_normal(glyph_margin_down(soft=True)))
    put(216, "crop-out", face_normal(glyph_crop(True), 20))
    put(218, "crop-in", face_normal(glyph_crop(False), 20))
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for old in os.listdir(here):
        if old.endswith(".png"):
            os.remove(os.path.join(here, old))
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/controls">']
    for bid, (stem, canvas) in sorted(faces().items()):
        with open(os.path.join(here, stem + ".png"), "wb") as f:
            f.write(canvas.png())
        lines.append(f'    <file alias="{bid}.png">controls/{stem}.png</file>')
    lines += ['</qresource>', '</RCC>', '']
    with open(os.path.join(os.path.dirname(here), "controls.qrc"), "w") as f:
        f.write("\n".join(lines))


if __name__ == "__main__":
    main()
