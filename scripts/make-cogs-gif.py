#!/usr/bin/python3
"""Draws data/res/cogs.gif, the busy window's animation: a turning cog
beside a smaller one turning the other way, looping forever. Standard
library only; run it again to change the drawing."""
import math
import struct
import sys

SIZE = 48
FRAMES = 6
PALETTE = [(255, 255, 255), (70, 80, 95), (120, 135, 155), (200, 205, 215)]


def cog(x, y, cx, cy, outer, teeth, turn, hole):
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    if r < hole or r > outer:
        return False
    a = math.atan2(dy, dx) - turn
    tooth = math.cos(teeth * a) > 0.1
    return r <= outer - (0 if tooth else outer * 0.22)


def frame(n):
    period = 2 * math.pi / 8
    turn = period * n / FRAMES
    pixels = []
    for y in range(SIZE):
        for x in range(SIZE):
            if cog(x, y, 19, 21, 16, 8, turn, 5):
                pixels.append(1)
            elif cog(x, y, 37, 35, 10, 6, -turn * 8 / 6 + 0.3, 3):
                pixels.append(2)
            elif math.hypot(x - 19, y - 21) < 5:
                pixels.append(3)
            else:
                pixels.append(0)
    return pixels


def lzw(pixels):
    # Minimum code size 2: a clear code after every two pixels keeps the
    # code table from growing, so every code is three bits.
    codes = []
    for i in range(0, len(pixels), 2):
        codes.append(4)
        codes.extend(pixels[i:i + 2])
    codes.append(5)
    out, acc, bits = bytearray(), 0, 0
    for c in codes:
        acc |= c << bits
        bits += 3
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    blocks = bytearray([2])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b"\x00")


def main(path):
    gif = bytearray(b"GIF89a" + struct.pack("<HHBBB", SIZE, SIZE, 0x81, 0, 0))
    for rgb in PALETTE:
        gif += bytes(rgb)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"   # loop forever
    for n in range(FRAMES):
        gif += b"\x21\xF9\x04\x00" + struct.pack("<H", 8) + b"\x00\x00"
        gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, SIZE, SIZE, 0) + lzw(frame(n))
    gif += b"\x3B"
    with open(path, "wb") as f:
        f.write(gif)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/res/cogs.gif")
