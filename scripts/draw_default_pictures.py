#!/usr/bin/env python3
"""Draws the default pictures that ship in res/zu_img (pictures for a text) and
res/zu_clock (clock faces). Every picture is computed here, pixel by pixel, in the few
colours an LED sign shows on black. Run it again after a change and commit the PNGs:
    python3 scripts/draw_default_pictures.py
"""
import math
import os
import struct
import zlib

BLACK = (0, 0, 0)
RED = (255, 0, 0)
GREEN = (0, 255, 0)
YELLOW = (255, 255, 0)


def write_png(path, width, height, pixel, alpha=False):
    """pixel(x, y) -> (r, g, b), or (r, g, b, a) with `alpha`, sampled at the pixel's centre."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(pixel(x + 0.5, y + 0.5))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def inside_polygon(x, y, points):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def near_segment(x, y, a, b, width):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2


# ---- pictures, 32 x 32 ----

def heart(x, y):
    u, v = (x - 16) / 13, (16 - y) / 13 + 0.25
    return RED if (u * u + v * v - 1) ** 3 - u * u * v ** 3 <= 0 else BLACK


def star(x, y):
    points = [(16 + (14 if k % 2 == 0 else 6) * math.sin(k * math.pi / 5),
               17 - (14 if k % 2 == 0 else 6) * math.cos(k * math.pi / 5)) for k in range(10)]
    return YELLOW if inside_polygon(x, y, points) else BLACK


def smiley(x, y):
    r = math.hypot(x - 16, y - 16)
    if r > 14:
        return BLACK
    if math.hypot(x - 11, y - 12) < 2.5 or math.hypot(x - 21, y - 12) < 2.5:
        return BLACK
    if 6.5 < math.hypot(x - 16, y - 15) < 9 and y > 18:
        return BLACK
    return YELLOW


def arrow(right):
    def draw(x, y):
        u = x if right else 32 - x
        shaft = 4 <= u <= 18 and 12 <= y <= 20
        head = inside_polygon(u, y, [(17, 5), (29, 16), (17, 27)])
        return GREEN if shaft or head else BLACK
    return draw


def sun(x, y):
    r = math.hypot(x - 16, y - 16)
    if r <= 7:
        return YELLOW
    angle = math.atan2(y - 16, x - 16) % (math.pi / 4)
    return RED if 9.5 <= r <= 14.5 and min(angle, math.pi / 4 - angle) < 0.16 else BLACK


def check(x, y):
    return GREEN if near_segment(x, y, (5, 17), (13, 25), 4.5) or near_segment(x, y, (13, 25), (27, 7), 4.5) else BLACK


def cross(x, y):
    return RED if near_segment(x, y, (6, 6), (26, 26), 4.5) or near_segment(x, y, (26, 6), (6, 26), 4.5) else BLACK


# ---- clock faces, 64 x 64 ----

def dial_marks(x, y, count, inner, outer, width):
    for k in range(count):
        a = k * 2 * math.pi / count
        s, c = math.sin(a), math.cos(a)
        if near_segment(x, y, (32 + inner * s, 32 - inner * c), (32 + outer * s, 32 - outer * c), width):
            return True
    return False


def ring_face(x, y):
    r = math.hypot(x - 32, y - 32)
    if 28.5 <= r <= 31:
        return RED
    return GREEN if dial_marks(x, y, 12, 22, 27, 2.2) else BLACK


def dot_face(x, y):
    for k in range(12):
        a = k * math.pi / 6
        size = 3.2 if k % 3 == 0 else 2.0
        if math.hypot(x - 32 - 26 * math.sin(a), y - 32 + 26 * math.cos(a)) <= size:
            return YELLOW
    return BLACK


def square_face(x, y):
    edge = max(abs(x - 32), abs(y - 32))
    if 29 <= edge <= 31:
        return GREEN
    return RED if dial_marks(x, y, 4, 20, 27, 3.5) or dial_marks(x, y, 12, 24, 27, 1.6) else BLACK


def double_ring_face(x, y):
    r = math.hypot(x - 32, y - 32)
    if 29.5 <= r <= 31 or 25 <= r <= 26.2:
        return YELLOW
    return RED if dial_marks(x, y, 4, 16, 24, 3.5) else BLACK


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    pictures = {
        "zu_img": [("01_heart", heart), ("02_star", star), ("03_smile", smiley), ("04_right", arrow(True)),
                   ("05_left", arrow(False)), ("06_sun", sun), ("07_check", check), ("08_cross", cross)],
        "zu_clock": [("01_ring", ring_face), ("02_dots", dot_face), ("03_square", square_face),
                     ("04_double_ring", double_ring_face)],
    }
    for folder, items in pictures.items():
        size = 64 if folder == "zu_clock" else 32
        os.makedirs(os.path.join(root, folder), exist_ok=True)
        for name, pixel in items:
            write_png(os.path.join(root, folder, name + ".png"), size, size, pixel)


if __name__ == "__main__":
    main()
