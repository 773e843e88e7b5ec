#!/usr/bin/env python3
"""Writes the host's button faces host/assets/imgs/butup.gif and butdown.gif:
grey 81 x 33 faces, one raised and one pressed. Plain Python, no imaging
library: the GIF is written with a four-colour palette and LZW codes that
restart often enough to stay five bits wide."""
import os
import struct
import sys

WIDTH, HEIGHT = 81, 33
# Palette: face, light edge, shadow, dark edge.
PALETTE = [(0xC0, 0xC0, 0xC0), (0xFF, 0xFF, 0xFF), (0x80, 0x80, 0x80), (0x40, 0x40, 0x40)]
FACE, LIGHT, SHADOW, DARK = range(4)


def face_pixels(pressed):
    top_left, bottom_right = (SHADOW, LIGHT) if pressed else (LIGHT, DARK)
    inner = (DARK if pressed else FACE, FACE if pressed else SHADOW)
    pixels = []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if x == 0 or y == 0:
                colour = top_left if (x < WIDTH - 1 and y < HEIGHT - 1) else bottom_right
            elif x == WIDTH - 1 or y == HEIGHT - 1:
                colour = bottom_right
            elif x == 1 or y == 1:
                colour = inner[0]
            elif x == WIDTH - 2 or y == HEIGHT - 2:
                colour = inner[1]
            else:
                colour = FACE
            pixels.append(colour)
    return pixels


def lzw_literals(pixels, min_code_size):
    """Every pixel as a literal code, with a clear code before the code table
    would need a wider code: the codes stay min_code_size + 1 bits wide."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    width = min_code_size + 1
    run = (1 << min_code_size) - 2
    codes = []
    for start in range(0, len(pixels), run):
        codes.append(clear)
        codes.extend(pixels[start:start + run])
    codes.append(end)
    data, bits, count = bytearray(), 0, 0
    for code in codes:
        bits |= code << count
        count += width
        while count >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        data.append(bits & 0xFF)
    return bytes(data)


def gif(pixels):
    min_code_size = 2
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", WIDTH, HEIGHT, 0x80 | 0x01, 0, 0)  # global table, 4 entries
    for rgb in PALETTE:
        out += bytes(rgb)
    out += b"," + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
    out.append(min_code_size)
    data = lzw_literals(pixels, min_code_size)
    for start in range(0, len(data), 255):
        block = data[start:start + 255]
        out.append(len(block))
        out += block
    out += b"\x00;"
    return bytes(out)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "host", "assets", "imgs")
    os.makedirs(folder, exist_ok=True)
    for name, pressed in (("butup.gif", False), ("butdown.gif", True)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(gif(face_pixels(pressed)))


if __name__ == "__main__":
    main()
