#!/usr/bin/env python3
"""Writes sample PNGs of every colour type and bit depth with codecs we did
not write: Pillow, and ImageMagick for 16-bit colour and interlacing.

Usage: png_samples.py KIND OUT.png
"""
import os
import random
import struct
import subprocess
import sys
import zlib

from PIL import Image

W, H = 23, 17  # odd sizes, so packed rows end inside a byte


def rng():
    return random.Random(15)


def palette_image(bits, transparent=False, clear_only=False):
    r = rng()
    n = 1 << bits
    im = Image.new("P", (W, H))
    pal = []
    for i in range(n):
        pal += [r.randrange(256), r.randrange(256), r.randrange(256)]
    im.putpalette(pal + [0] * (768 - len(pal)))
    # Every entry shows up, the transparent ones too.
    im.putdata([i % n if i < n else r.randrange(n) for i in range(W * H)])
    options = {"bits": bits} if bits < 8 else {}
    if transparent:
        # Entry 0 clear, entry 1 half, the rest opaque.
        options["transparency"] = bytes([0, 128] + [255] * (n - 2))
    if clear_only:
        options["transparency"] = bytes([0])
    return im, options


def grey(mode, alpha=False, key=None):
    r = rng()
    top = 65535 if mode == "I;16" else 255
    im = Image.new(mode, (W, H))
    if alpha:
        im.putdata([(r.randrange(256), r.randrange(256) if i % 6 else 0) for i in range(W * H)])
    elif mode == "1":
        im.putdata([255 * r.randrange(2) for _ in range(W * H)])
    else:
        im.putdata([r.randrange(top + 1) if x % 5 else 7 for x in range(W * H)])
    return im, ({"transparency": key} if key is not None else {})


def colour(mode, key=None, binary=False):
    r = rng()
    n = len(mode)
    data = [tuple(r.randrange(256) for _ in range(n)) for _ in range(W * H)]
    if binary:  # alpha only 0 or full
        data = [px[:-1] + ((255 if px[-1] > 80 else 0),) for px in data]
    if key is not None:
        data[::4] = [key] * len(data[::4])
    im = Image.new(mode, (W, H))
    im.putdata(data)
    if mode == "RGBA":
        im.putpixel((0, 0), (1, 2, 3, 0))
        im.putpixel((1, 0), (250, 251, 252, 255))
    return im, ({"transparency": key} if key is not None else {})


def magick(out, channels, interlace=False, depth=16, binary=False):
    """16-bit samples from raw data through ImageMagick."""
    r = rng()
    top = (1 << depth) - 1
    samples = []
    for i in range(W * H):
        px = [r.randrange(top + 1) for _ in range(channels)]
        if channels == 4 and i % 7 == 0:
            px[3] = 0
        elif channels == 4 and binary:
            px[3] = top
        samples += px
    fmt = ">%d%s" % (len(samples), "H" if depth == 16 else "B")
    raw = struct.pack(fmt, *samples)
    kind = "rgba" if channels == 4 else "rgb"
    target = {(4, 16): "PNG64:", (3, 16): "PNG48:", (4, 8): "PNG32:", (3, 8): "PNG24:"}
    cmd = ["convert", "-size", "%dx%d" % (W, H), "-depth", str(depth),
           "-endian", "MSB", kind + ":-"]
    if interlace:
        cmd += ["-interlace", "PNG"]
    cmd.append(target[(channels, depth)] + out)
    subprocess.run(cmd, input=raw, check=True)


def grey16_trns(out):
    """16-bit grey with a tRNS key, by hand as Pillow cannot; some opaque
    pixels (0x1239) are the key's grey at 8 bits."""
    r, key = rng(), 0x1234
    px = [key if x % 5 == 0 else 0x1239 if x % 5 == 1 else r.randrange(65536) for x in range(W)]
    rows = b"".join(b"\0" + struct.pack(">%dH" % W, *px[y:] + px[:y]) for y in range(H))

    def chunk(kind, data):
        crc = zlib.crc32(kind + data)
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)

    ihdr = struct.pack(">IIBBBBB", W, H, 16, 0, 0, 0, 0)
    with open(out, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
                chunk(b"tRNS", struct.pack(">H", key)) + chunk(b"IDAT", zlib.compress(rows)) +
                chunk(b"IEND", b""))


def main():
    kind, out = sys.argv[1], sys.argv[2]
    makers = {
        "palette1": lambda: palette_image(1),
        "palette2": lambda: palette_image(2),
        "palette4": lambda: palette_image(4),
        "palette8": lambda: palette_image(8),
        "palette8_trns": lambda: palette_image(8, transparent=True),
        "grey1": lambda: grey("1"),
        "grey8": lambda: grey("L"),
        "grey8_trns": lambda: grey("L", key=7),
        "grey16": lambda: grey("I;16"),
        "grey_alpha8": lambda: grey("LA", alpha=True),
        "rgb8": lambda: colour("RGB"),
        "rgb8_trns": lambda: colour("RGB", key=(9, 8, 7)),
        "rgba8": lambda: colour("RGBA"),
        "palette4_clear": lambda: palette_image(4, clear_only=True),
        "palette8_clear": lambda: palette_image(8, clear_only=True),
        "grey_alpha8_clear": lambda: colour("LA", binary=True),
        "rgba8_clear": lambda: colour("RGBA", binary=True),
    }
    if kind in makers:
        im, options = makers[kind]()
        im.save(out, "PNG", **options)
    elif kind == "grey4":
        # Pillow writes no 4-bit grey; ImageMagick does when told.
        im, _ = grey("L")
        im.save(out + ".pgm")
        subprocess.run(["convert", out + ".pgm", "-depth", "4", "-define", "png:bit-depth=4",
                        "-define", "png:color-type=0", "PNG:" + out], check=True)
        os.remove(out + ".pgm")
    elif kind == "grey16_trns":
        grey16_trns(out)
    elif kind == "rgb16":
        magick(out, 3)
    elif kind == "rgba16":
        magick(out, 4)
    elif kind == "rgba16_clear":
        magick(out, 4, binary=True)
    elif kind == "rgba16_interlaced":
        magick(out, 4, interlace=True)
    elif kind == "rgb8_interlaced":
        magick(out, 3, interlace=True, depth=8)
    else:
        sys.exit("unknown kind " + kind)


main()
