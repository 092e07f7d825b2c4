#!/usr/bin/env python3
"""Draws the toolbar icons that ship in res/icons: the picture editor's and the music
pane's commands, 20 x 20 pixels on a transparent ground. Each icon is a stack of shapes
painted in order; every pixel is sampled 4 x 4 times so the edges are smooth. Run it again
after a change and commit the PNGs:
    python3 scripts/draw_toolbar_icons.py
"""
import math
import os

from draw_default_pictures import inside_polygon, near_segment, write_png

SIZE = 20
SAMPLES = 4

INK = (38, 56, 84)
BLUE = (36, 108, 196)
GREEN = (34, 150, 62)
DARK_GREEN = (20, 100, 40)
RED = (206, 40, 40)
WHITE = (255, 255, 255)
GREY = (128, 136, 146)
SKY = (176, 212, 248)
YELLOW = (244, 196, 48)
FOLDER_BACK = (204, 150, 40)
FOLDER_FRONT = (248, 204, 88)
FOLDER_EDGE = (140, 96, 20)


# ---- shapes: predicates over a point of the 20 x 20 square ----

def polygon(*points):
    return lambda x, y: inside_polygon(x, y, points)


def segment(a, b, width):
    return lambda x, y: near_segment(x, y, a, b, width)


def outline(points, width):
    edges = list(zip(points, points[1:] + points[:1]))
    return lambda x, y: any(near_segment(x, y, a, b, width) for a, b in edges)


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def disk(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2


def clock_angle(x, y, cx, cy):
    """Degrees clockwise from the top, 0 to 360."""
    return math.degrees(math.atan2(x - cx, cy - y)) % 360


def arc(cx, cy, r, width, start, end):
    """The ring between the clock angles `start` and `end` (clockwise from start)."""
    span = (end - start) % 360
    return lambda x, y: ring(cx, cy, r, width)(x, y) and (clock_angle(x, y, cx, cy) - start) % 360 <= span


def head(cx, cy, r, angle, clockwise, length, half):
    """An arrowhead on the circle (cx, cy, r) at the clock angle, pointing along it."""
    a = math.radians(angle)
    px, py = cx + r * math.sin(a), cy - r * math.cos(a)
    sign = 1 if clockwise else -1
    dx, dy = sign * math.cos(a), sign * math.sin(a)
    return polygon((px + dx * length, py + dy * length), (px - dy * half, py + dx * half),
                   (px + dy * half, py - dx * half))


def any_of(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def mirrored(shape):
    return lambda x, y: shape(SIZE - x, y)


def flipped(shape):
    return lambda x, y: shape(x, SIZE - y)


def transposed(shape):
    return lambda x, y: shape(y, x)


def mirror_layers(layers):
    return [(colour, mirrored(shape)) for colour, shape in layers]


# ---- icons: lists of (colour, shape), painted in order ----

def plus_badge(cx, cy):
    return [(WHITE, disk(cx, cy, 5.2)), (GREEN, box(cx - 3.8, cy - 1.2, cx + 3.8, cy + 1.2)),
            (GREEN, box(cx - 1.2, cy - 3.8, cx + 1.2, cy + 3.8))]


def open_folder():
    back = [(2, 3.5), (8, 3.5), (10, 5.5), (17, 5.5), (17, 16.5), (2, 16.5)]
    front = [(5, 9), (19.2, 9), (16.5, 16.5), (1.8, 16.5)]
    return [(FOLDER_BACK, polygon(*back)), (FOLDER_EDGE, outline(back, 1.1)),
            (FOLDER_FRONT, polygon(*front)), (FOLDER_EDGE, outline(front, 1.1))]


def rotate_anticlockwise():
    # a circle open at the upper left; the head at the top points left
    return [(BLUE, arc(10, 11, 6.3, 2.4, 8, 270)), (BLUE, head(10, 11, 6.3, 8, False, 5, 3.6))]


def flip_horizontal():
    axis = [(GREY, box(9.4, y, 10.6, y + 2)) for y in (1, 5, 9, 13, 17)]
    left = [(8.2, 4), (8.2, 16), (1.5, 16)]
    right = [(11.8, 4), (11.8, 16), (18.5, 16)]
    return axis + [(BLUE, polygon(*left)), (BLUE, outline(right, 1.3))]


def invert_colour():
    return [(WHITE, disk(10, 10, 7.8)), (INK, lambda x, y: disk(10, 10, 7.8)(x, y) and x <= 10),
            (INK, ring(10, 10, 7.8, 1.4))]


def insert_text():
    return [(INK, box(2.5, 2.5, 14.5, 5.5)), (INK, box(7, 2.5, 10, 17))] + plus_badge(14.8, 14.8)


def insert_image():
    frame = [(1, 2.5), (17, 2.5), (17, 15), (1, 15)]
    return [(SKY, polygon(*frame)), (GREEN, polygon((1.5, 14.5), (6.5, 7.5), (10, 11.5), (12, 9.5), (16.5, 14.5))),
            (YELLOW, disk(12.5, 6.2, 1.9)), (INK, outline(frame, 1.2))] + plus_badge(14.8, 14.8)


def step_back():
    # one frame back: a bar and a triangle
    return [(BLUE, box(3.5, 4, 6, 16)), (BLUE, polygon((16.5, 4), (16.5, 16), (7, 10)))]


def magnifier(sign):
    layers = [(SKY, disk(8.5, 8.5, 5.5)), (INK, ring(8.5, 8.5, 5.5, 1.8)),
              (INK, segment((12.6, 12.6), (17.8, 17.8), 3.2)), (INK, box(5.8, 7.8, 11.2, 9.2))]
    if sign == "+":
        layers.append((INK, box(7.8, 5.8, 9.2, 11.2)))
    return layers


def centre():
    hairs = [segment((10, 0.8), (10, 6.5), 1.4), segment((10, 13.5), (10, 19.2), 1.4),
             segment((0.8, 10), (6.5, 10), 1.4), segment((13.5, 10), (19.2, 10), 1.4)]
    return [(INK, ring(10, 10, 6.2, 1.5)), (INK, any_of(*hairs)), (RED, disk(10, 10, 2))]


def property_sheet():
    sheet = [(3.5, 1.5), (16.5, 1.5), (16.5, 18.5), (3.5, 18.5)]
    layers = [(WHITE, polygon(*sheet)), (INK, outline(sheet, 1.2))]
    for y in (5, 9.5, 14):
        layers += [(BLUE, box(5.8, y - 1.1, 8, y + 1.1)), (GREY, box(9.5, y - 0.6, 14.3, y + 0.6))]
    return layers


def add():
    return [(GREEN, box(8.4, 2.5, 11.6, 17.5)), (GREEN, box(2.5, 8.4, 17.5, 11.6))]


def skip_back():
    return [(INK, box(2.5, 4, 4.7, 16)), (INK, polygon((11, 4), (11, 16), (5, 10))),
            (INK, polygon((17.5, 4), (17.5, 16), (11.5, 10)))]


def play():
    triangle = [(5, 3), (5, 17), (17, 10)]
    return [(GREEN, polygon(*triangle)), (DARK_GREEN, outline(triangle, 1.1))]


def pause():
    return [(BLUE, box(4.5, 3.5, 8.5, 16.5)), (BLUE, box(11.5, 3.5, 15.5, 16.5))]


def stop():
    square = [(4, 4), (16, 4), (16, 16), (4, 16)]
    return [(RED, polygon(*square)), (RED, outline(square, 1.6))]


def loop():
    return [(BLUE, arc(10, 10, 6.5, 2.2, 25, 150)), (BLUE, head(10, 10, 6.5, 150, True, 4.5, 3.4)),
            (BLUE, arc(10, 10, 6.5, 2.2, 205, 330)), (BLUE, head(10, 10, 6.5, 330, True, 4.5, 3.4))]


def arrow_up():
    return [(BLUE, box(7.8, 8.5, 12.2, 17.5)), (BLUE, polygon((10, 2), (17.5, 10), (2.5, 10)))]


def delete():
    return [(RED, segment((4, 4), (16, 16), 3.4)), (RED, segment((16, 4), (4, 16), 3.4))]


def volume():
    speaker = polygon((1.5, 7.2), (5, 7.2), (9.5, 3), (9.5, 17), (5, 12.8), (1.5, 12.8))
    return [(INK, speaker), (BLUE, arc(8.5, 10, 4.6, 1.7, 50, 130)), (BLUE, arc(8.5, 10, 8, 1.7, 45, 135))]


def gear():
    def shape(x, y):
        r = math.hypot(x - 10, y - 10)
        if r < 2.8 or r > 9.3:
            return False
        if r <= 6.8:
            return True
        a = clock_angle(x, y, 10, 10) % 45
        return min(a, 45 - a) <= 10
    return [(INK, shape)]


def person():
    shoulders = lambda x, y: y <= 18.5 and ((x - 10) / 7.2) ** 2 + ((y - 18.5) / 7.5) ** 2 <= 1
    return [(BLUE, disk(10, 6.2, 3.8)), (BLUE, shoulders)]


ICONS = {
    # picture editor
    "open": open_folder(),
    "rotate_anticlockwise": rotate_anticlockwise(),
    "rotate_clockwise": mirror_layers(rotate_anticlockwise()),
    "flip_horizontal": flip_horizontal(),
    "flip_vertical": [(c, transposed(s)) for c, s in flip_horizontal()],
    "invert_colour": invert_colour(),
    "insert_text": insert_text(),
    "insert_image": insert_image(),
    "previous_frame": step_back(),
    "next_frame": mirror_layers(step_back()),
    "zoom_in": magnifier("+"),
    "zoom_out": magnifier("-"),
    "centre": centre(),
    "property": property_sheet(),
    # music pane
    "add": add(),
    "previous": skip_back(),
    "play": play(),
    "pause": pause(),
    "stop": stop(),
    "next": mirror_layers(skip_back()),
    "loop": loop(),
    "shift_up": arrow_up(),
    "shift_down": [(c, flipped(s)) for c, s in arrow_up()],
    "delete": delete(),
    "volume": volume(),
    "settings": gear(),
    "role": person(),
}


def render(layers):
    def pixel(x, y):
        hits = []
        for i in range(SAMPLES):
            for j in range(SAMPLES):
                sx, sy = x - 0.5 + (i + 0.5) / SAMPLES, y - 0.5 + (j + 0.5) / SAMPLES
                colour = None
                for c, shape in layers:
                    if shape(sx, sy):
                        colour = c
                if colour:
                    hits.append(colour)
        if not hits:
            return (0, 0, 0, 0)
        rgb = tuple(round(sum(c[k] for c in hits) / len(hits)) for k in range(3))
        return rgb + (round(255 * len(hits) / SAMPLES ** 2),)
    return pixel


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "icons")
    os.makedirs(folder, exist_ok=True)
    for name, layers in ICONS.items():
        write_png(os.path.join(folder, name + ".png"), SIZE, SIZE, render(layers), alpha=True)


if __name__ == "__main__":
    main()
