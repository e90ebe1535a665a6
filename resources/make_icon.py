#!/usr/bin/env python3
"""Writes fendrel.ico: a 32 x 32 and a 16 x 16 image, 8 bits per pixel with a
256-colour palette and a 1-bit transparency mask.

The 32 x 32 image comes from make_art.sh, already reduced to at most 255
colours, as raw RGB plus a raw 8-bit alpha channel. The 16 x 16 image is drawn
here pixel by pixel: scaled down from the large drawing it turns to mush, and
the caption and the tray show it at exactly this size.

Usage: make_icon.py RGB32 ALPHA32 OUT.ico [PREVIEW_DIR]
"""
import struct
import sys
import zlib

DARK = (31, 78, 121)
SOFT = (146, 187, 219)
MID = (63, 117, 168)
WHITE = (255, 255, 255)

# D outline, F shield fill (shaded from top to bottom), W lock, K keyhole.
SMALL = [
    "......DDDD......",
    "..DDDDFFFFDDDD..",
    ".DFFFFFFFFFFFFD.",
    ".DFFFFWWWWFFFFD.",
    ".DFFFWWFFWWFFFD.",
    ".DFFFWWFFWWFFFD.",
    ".DFFWWWWWWWWFFD.",
    ".DFFWWWWWWWWFFD.",
    ".DFFWWWKKWWWFFD.",
    ".DFFWWWKKWWWFFD.",
    "..DFWWWWWWWWFD..",
    "..DFFFFFFFFFFD..",
    "...DFFFFFFFFD...",
    "....DDFFFFDD....",
    "......DDDD......",
    "................",
]


def shade(row):
    t = min(max((row - 1) / 12.0, 0.0), 1.0)
    return tuple(round(s + (m - s) * t) for s, m in zip(SOFT, MID))


def small_image():
    pixels = []
    for y, line in enumerate(SMALL):
        for ch in line:
            if ch == ".":
                pixels.append(None)
            elif ch in "DK":
                pixels.append(DARK)
            elif ch == "W":
                pixels.append(WHITE)
            else:
                pixels.append(shade(y))
    return 16, pixels


def large_image(rgb_path, alpha_path):
    rgb = open(rgb_path, "rb").read()
    alpha = open(alpha_path, "rb").read()
    if len(rgb) != 32 * 32 * 3 or len(alpha) != 32 * 32:
        sys.exit("make_icon.py: expected raw 32 x 32 RGB and alpha input")
    pixels = []
    for i in range(32 * 32):
        # Edge pixels were blended onto the outline colour, so a pixel more
        # than a third covered is kept and reads as part of the outline.
        if alpha[i] < 86:
            pixels.append(None)
        else:
            pixels.append(tuple(rgb[3 * i : 3 * i + 3]))
    return 32, pixels


def palette_for(images):
    # Black first: transparent pixels use it, so the XOR image adds nothing
    # where the mask lets the background through.
    palette = [(0, 0, 0)]
    for _, pixels in images:
        for p in pixels:
            if p is not None and p not in palette:
                palette.append(p)
    if len(palette) > 256:
        sys.exit(f"make_icon.py: {len(palette)} colours do not fit in 256")
    return palette + [(0, 0, 0)] * (256 - len(palette))


def dib(size, pixels, index):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in index["palette"])
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        row = pixels[y * size : (y + 1) * size]
        xor += bytes(index[p] if p is not None else 0 for p in row)
        xor += bytes(xor_stride - size)
        bits = bytearray(and_stride)
        for x, p in enumerate(row):
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + table + bytes(xor) + bytes(mask)


def write_ico(path, images):
    palette = palette_for(images)
    index = {c: i for i, c in reversed(list(enumerate(palette)))}
    index["palette"] = palette
    blobs = [dib(size, pixels, index) for size, pixels in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        # colour count 0 means 256 colours
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def write_png(path, size, pixels):
    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for p in pixels[y * size : (y + 1) * size]:
            raw += bytes(p + (255,)) if p is not None else bytes(4)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


def main(argv):
    if len(argv) not in (4, 5):
        sys.exit(__doc__)
    images = [large_image(argv[1], argv[2]), small_image()]
    write_ico(argv[3], images)
    if len(argv) == 5:
        for size, pixels in images:
            write_png(f"{argv[4]}/icon{size}.png", size, pixels)


if __name__ == "__main__":
    main(sys.argv)
