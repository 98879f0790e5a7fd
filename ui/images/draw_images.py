#!/usr/bin/env python3
"""Draws the window's pictures (application icon, start and stop buttons) as PNG files.

Run once after changing a drawing; the PNG files it writes are committed and compiled into the program.
Uses only the standard library, so it runs anywhere Python 3 does.
"""
import math
import os
import struct
import zlib

SAMPLES = 4  # per axis, for anti-aliased edges


def write_png(path, width, height, rgba_rows):
    raw = b"".join(b"\x00" + bytes(row) for row in rgba_rows)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * width for _ in range(height)]

    def fill(self, inside, colour):
        """Paints `colour` (r, g, b, a in 0..1) wherever inside(x, y) holds, with sub-pixel coverage."""
        r, g, b, a = colour
        for py in range(self.height):
            for px in range(self.width):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES):
                            hits += 1
                if hits == 0:
                    continue
                cover = a * hits / (SAMPLES * SAMPLES)
                dr, dg, db, da = self.pixels[py][px]
                out_a = cover + da * (1 - cover)
                if out_a <= 0:
                    continue
                blend = lambda s, d: (s * cover + d * da * (1 - cover)) / out_a
                self.pixels[py][px] = (blend(r, dr), blend(g, dg), blend(b, db), out_a)

    def save(self, path):
        rows = []
        for row in self.pixels:
            out = []
            for r, g, b, a in row:
                out += [round(r * 255), round(g * 255), round(b * 255), round(a * 255)]
            rows.append(out)
        write_png(path, self.width, self.height, rows)


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius**2


def ring(cx, cy, outer, inner):
    return lambda x, y: inner**2 <= (x - cx) ** 2 + (y - cy) ** 2 <= outer**2


def capsule(x0, y0, x1, y1, half_width):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= half_width**2

    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result

    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def rgb(hex_text, alpha=1.0):
    return tuple(int(hex_text[i : i + 2], 16) / 255 for i in (0, 2, 4)) + (alpha,)


def app_icon():
    c = Canvas(24, 24)
    c.fill(rect(2, 1.5, 15, 20.5), rgb("ffffff"))
    c.fill(lambda x, y: rect(2, 1.5, 15, 20.5)(x, y) and not rect(3, 2.5, 14, 19.5)(x, y), rgb("5a6270"))
    for row in range(5):
        c.fill(rect(4.5, 5 + row * 3, 12.5, 5.8 + row * 3), rgb("9aa3b0"))
    c.fill(circle(14.5, 11.5, 5.2), rgb("d8ecff", 0.85))
    c.fill(ring(14.5, 11.5, 6.2, 4.6), rgb("1f5fbf"))
    c.fill(capsule(18.8, 16, 22, 21.5, 1.6), rgb("1f3f7f"))
    return c


def start_picture():
    c = Canvas(22, 22)
    c.fill(circle(11, 11, 10), rgb("1e8a3a"))
    c.fill(circle(11, 11, 8.6), rgb("34b356"))
    c.fill(polygon([(8, 5.5), (8, 16.5), (17, 11)]), rgb("ffffff"))
    return c


def stop_picture():
    c = Canvas(22, 22)
    points = [(11 + 10.4 * math.cos(math.radians(22.5 + 45 * i)), 11 + 10.4 * math.sin(math.radians(22.5 + 45 * i)))
              for i in range(8)]
    inner = [(11 + 8.9 * math.cos(math.radians(22.5 + 45 * i)), 11 + 8.9 * math.sin(math.radians(22.5 + 45 * i)))
             for i in range(8)]
    c.fill(polygon(points), rgb("a01818"))
    c.fill(polygon(inner), rgb("d83030"))
    c.fill(rect(6.5, 6.5, 15.5, 15.5), rgb("ffffff"))
    return c


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    app_icon().save(os.path.join(here, "vortaxel.png"))
    start_picture().save(os.path.join(here, "start.png"))
    stop_picture().save(os.path.join(here, "stop.png"))
