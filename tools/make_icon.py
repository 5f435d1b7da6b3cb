#!/usr/bin/env python3
"""Draws the program's icon (a wound armature seen end-on) as res/tarvel.ico.

256 x 256, 32-bit colour with alpha, stored as PNG inside the ICO container. The drawing is
pure arithmetic, so the same file comes out on every machine: run it again after a change.
"""
import math
import struct
import sys
import zlib

SIZE = 256
SAMPLES = 4  # per axis, for smooth edges

TILE = (36, 86, 112)
STEEL = (196, 204, 212)
STEEL_EDGE = (120, 130, 140)
COPPER = (214, 120, 44)
COPPER_DARK = (150, 76, 24)
SHAFT = (46, 50, 56)
SLOTS = 12


def colour_at(x, y):
    """Colour and coverage (0 or 1) of one sample point."""
    # Rounded square tile.
    r = 44
    cx = min(max(x, r), SIZE - r)
    cy = min(max(y, r), SIZE - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return None
    dx, dy = x - SIZE / 2, y - SIZE / 2
    dist = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(dy, dx)) % 360
    pitch = 360 / SLOTS
    offset = (angle + pitch / 2) % pitch - pitch / 2  # degrees from the nearest slot centre
    if dist < 22:
        return SHAFT
    if dist < 28:
        return STEEL_EDGE
    if dist < 104:
        in_slot = dist > 58 and abs(offset) < 7.5
        if in_slot:
            if dist > 98:
                return TILE  # slot opening
            # Copper coil sides, with a darker line between turns.
            return COPPER_DARK if int(dist) % 7 == 0 else COPPER
        if dist > 100:
            return STEEL_EDGE
        return STEEL
    # Coil ends bridging neighbouring slots outside the core.
    if dist < 114 and abs(offset) > pitch / 2 - 11:
        return COPPER
    return TILE


def render():
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # PNG filter: none
        for px in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c is not None:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            n = acc[3]
            if n == 0:
                row += bytes(4)
            else:
                row += bytes([acc[0] // n, acc[1] // n, acc[2] // n, n * 255 // SAMPLES ** 2])
        rows.append(bytes(row))
    return b"".join(rows)


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def ico(image):
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "res/tarvel.ico"
    data = ico(png(render()))
    with open(out, "wb") as f:
        f.write(data)
    # A PNG beside it, for looking at the drawing.
    if len(sys.argv) > 2:
        with open(sys.argv[2], "wb") as f:
            f.write(png(render()))
