#!/usr/bin/env python3
"""Writes the test skins' generated files (PNG images, size-limit documents)
into a folder, next to the hand-written documents copied there by the build."""
import os
import random
import struct
import sys
import zlib


def png(path, width, height, pixel):
    """An 8-bit RGBA PNG; pixel(x, y) gives (r, g, b, a)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    data += chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def solid(rgba):
    return lambda x, y: rgba


def sized_document(path, size):
    """A valid skin document padded by a trailing comment to exactly `size` bytes."""
    head = b'<?xml version="1.0" encoding="utf-8"?><Window size="10,10"><Label name="bigLbl" text="big"/></Window><!--'
    tail = b"-->"
    pad = size - len(head) - len(tail)
    with open(path, "wb") as f:
        f.write(head + b"x" * pad + tail)


def test_skin(out):
    png(os.path.join(out, "res", "common", "closebtn1.png"), 24, 24, solid((200, 60, 60, 255)))
    png(os.path.join(out, "res", "common", "closebtn2.png"), 24, 24, solid((230, 80, 80, 255)))
    png(os.path.join(out, "res", "common", "closebtn3.png"), 24, 24, solid((150, 30, 30, 255)))
    # Caption band gradient and a body colour, so a screenshot shows the regions.
    png(os.path.join(out, "res", "test", "bg.png"), 400, 300,
        lambda x, y: (40, 90 + y * 100 // 300, 180, 255) if y >= 40 else (20, 60, 140, 255))
    png(os.path.join(out, "res", "test", "fore.png"), 410, 8, solid((0, 192, 0, 255)))
    png(os.path.join(out, "res", "test", "back.png"), 410, 8, solid((210, 210, 210, 255)))
    # One half-transparent red pixel, one opaque blue pixel.
    png(os.path.join(out, "res", "test", "semi.png"), 2, 1,
        lambda x, y: (255, 0, 0, 128) if x == 0 else (0, 0, 255, 255))
    png(os.path.join(out, "res", "test", "Cb1.png"), 16, 16,
        lambda x, y: (255, 255, 255, 255) if 0 < x < 15 and 0 < y < 15 else (90, 90, 90, 255))
    png(os.path.join(out, "res", "test", "Cb2.png"), 16, 16,
        lambda x, y: (34, 126, 250, 255) if 3 < x < 12 and 3 < y < 12 else (90, 90, 90, 255))
    sized_document(os.path.join(out, "big_ok.xml"), 4194304)
    sized_document(os.path.join(out, "big_over.xml"), 4194305)
    open(os.path.join(out, "empty.xml"), "wb").close()


def bench_skin(out):
    # Photographic-like content does not compress: about 2 MiB of archive.
    rnd = random.Random(251)
    for i in range(8):
        noise = bytes(rnd.getrandbits(8) for _ in range(256 * 256 * 4))
        png(os.path.join(out, "res", "noise", "n%d.png" % i), 256, 256,
            lambda x, y, n=noise: n[(y * 256 + x) * 4:(y * 256 + x) * 4 + 4])
    png(os.path.join(out, "res", "bench", "bg.png"), 600, 400,
        lambda x, y: (230, 240, 250, 255) if y >= 45 else (34, 126, 250, 255))
    png(os.path.join(out, "res", "bench", "btn.png"), 232, 50, solid((34, 126, 250, 255)))
    png(os.path.join(out, "res", "bench", "prg1.png"), 410, 8, solid((220, 220, 220, 255)))
    png(os.path.join(out, "res", "bench", "prg2.png"), 410, 8, solid((34, 126, 250, 255)))


if __name__ == "__main__":
    kind, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    {"test": test_skin, "bench": bench_skin}[kind](out)
