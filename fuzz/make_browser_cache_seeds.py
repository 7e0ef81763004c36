#!/usr/bin/env python3
"""Writes seed files for fuzz_browser_cache: thumbnail cache files built field
by field from the file layout (a second writer, independent of the program's)."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "fuzz_browser_cache")
os.makedirs(out, exist_ok=True)


def string(text, wide=False):
    data = text.encode("utf-16-le") if wide else text.encode("utf-8")
    n = len(text) if wide else len(data)
    head = b"\xff\xfe\xff" if wide else b""
    if n < 0xFF:
        length = bytes([n])
    elif n < 0xFFFE:
        length = b"\xff" + struct.pack("<H", n)
    else:
        length = b"\xff\xff\xff" + struct.pack("<I", n)
    return head + length + data


def frame(left, top, delay, flags, w=0, h=0, bpp=24, pixels=b"", palette=b"", mask=None):
    block = struct.pack("<hhHB", left, top, delay, flags) + struct.pack("<I", w)
    if w == 0:
        return block
    stride = (w * bpp + 7) // 8
    block += struct.pack("<III", h, bpp, stride)
    if bpp != 24:
        block += palette.ljust(4 << bpp, b"\0")
    block += pixels.ljust(stride * h, b"\x55")
    if mask is None:
        return block + struct.pack("<I", 0)
    mstride = (w * (8 if bpp == 24 else 1) + 7) // 8
    return block + struct.pack("<II", 1, mstride) + mask.ljust(mstride * h, b"\x80")


def record(name, frames, tw, th, rotation=0, comment="", wide=False):
    r = string(name, wide) + struct.pack("<I", 1234) + struct.pack("<IIII", 0x89ABCDEF, 0x1D5, 0x11111111, 0x1D4)
    r += struct.pack("<IIIII", 0, 0, 0, 640, 480) + string(comment)
    r += struct.pack("<IIIi", len(frames), tw, th, rotation)
    return string("CELL") + r + b"".join(frames)


def cache(*records):
    return string("Pictoravell Browser Cache File v4.0") + b"".join(records) + string("End Of File")


seeds = {
    "one-bit-palette.bcf": cache(record("bw.gif", [frame(3, -2, 25, 9, 10, 2, 1, b"\xa5\xc0\x0f\x40", b"\0\0\0\0\x30\x20\x10\0")], 13, 2, -90)),
    "rgb-alpha.bcf": cache(record("rgba.png", [frame(0, 0, 0, 0, 2, 2, 24, bytes(range(1, 13)), mask=b"\0\x40\x80\xc0")], 2, 2)),
    "empty-frame-list.bcf": cache(record("none.jpg", [], 0, 0), record("blank.gif", [frame(0, 0, 7, 0)], 5, 5)),
    "four-and-eight-bit.bcf": cache(record("p4.pcx", [frame(0, 0, 0, 0, 3, 3, 4)], 3, 3),
                                    record("p8.gif", [frame(1, 1, 10, 4, 4, 2, 8, mask=b"\xf0\xf0"), frame(0, 0, 10, 8, 2, 2, 8)], 5, 3)),
    "wide-and-long-strings.bcf": cache(record("wide\u00e9.jpg", [frame(0, 0, 0, 0, 1, 1, 24)], 1, 1, comment="c" * 300, wide=True),
                                       record("n" * 255 + ".jpg", [frame(0, 0, 0, 0, 1, 1, 24)], 1, 1, comment="x" * 0xFFFE)),
}
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
