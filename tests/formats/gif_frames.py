"""Dumps every frame of a GIF as another decoder sees it.

usage: gif_frames.py GIF OUTDIR

gifsicle splits the file into one file per frame (each keeps its position,
colour table, delay, disposal and transparency); Pillow decodes each one.
Prints "screen W H loop L comment C" (L -1 without a loop block; C the
comment's length, -1 without one), then "pillow K DELAY DISPOSAL" for
each frame as Pillow reads the whole file, then per frame
"frame K LEFT TOP WIDTH HEIGHT DELAY DISPOSAL TRANSPARENT" and writes
OUTDIR/frame_K.pam: the frame's own rectangle as RGB_ALPHA (alpha 0 where
the pixel is the transparent index).
"""
import glob
import os
import subprocess
import sys

from PIL import Image


def write_pam(path, image):
    w, h = image.size
    with open(path, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (w, h))
        f.write(image.tobytes())


def main():
    src, out = sys.argv[1], sys.argv[2]
    whole = Image.open(src)
    loop = whole.info.get("loop", -1)
    comment = whole.info.get("comment")
    print("screen %d %d loop %d comment %d" % (whole.size[0], whole.size[1], loop,
                                                -1 if comment is None else len(comment)))
    for k in range(getattr(whole, "n_frames", 1)):
        whole.seek(k)
        print("pillow %d %d %d" % (k, whole.info.get("duration", 0) // 10, whole.disposal_method))
    subprocess.check_call(["gifsicle", "--no-warnings", "--explode", src, "-o", os.path.join(out, "part")])
    parts = sorted(glob.glob(os.path.join(out, "part.*")), key=lambda p: int(p.rsplit(".", 1)[1]))
    for k, part in enumerate(parts):
        im = Image.open(part)
        box = im.tile[0][1]
        transparent = im.info.get("transparency", -1)
        im.load()
        rgba = im.convert("RGBA").crop(box)
        write_pam(os.path.join(out, "frame_%d.pam" % k), rgba)
        print("frame %d %d %d %d %d %d %d %d" % (k, box[0], box[1], box[2] - box[0], box[3] - box[1],
                                               im.info.get("duration", 0) // 10, im.disposal_method,
                                               transparent))


main()
