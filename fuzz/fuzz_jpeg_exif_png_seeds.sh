#!/usr/bin/env bash
# Makes the seed corpora of fuzz_jpeg, fuzz_exif and fuzz_png: small files of
# each layout, written by cjpeg, ImageMagick, exiftool, exiv2 and Pillow.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
py=/usr/bin/python3
$py - <<'PY'
import numpy as np
from PIL import Image
y, x = np.mgrid[0:12, 0:16]
rgb = np.dstack([(x * 16) % 256, (y * 20) % 256, ((x + y) * 9) % 256]).astype(np.uint8)
Image.fromarray(rgb, 'RGB').save('src.ppm')
Image.fromarray(rgb, 'RGB').convert('L').save('src.pgm')
Image.fromarray(rgb, 'RGB').resize((8, 6)).save('thumb.ppm')
PY
j=$here/corpus/fuzz_jpeg; e=$here/corpus/fuzz_exif; p=$here/corpus/fuzz_png
mkdir -p "$j" "$e" "$p"
cjpeg -grayscale -outfile "$j/gray.jpg" src.pgm
cjpeg -sample 2x2 -progressive -outfile "$j/s420-progressive.jpg" src.ppm
cjpeg -sample 1x1 -outfile "$j/s444.jpg" src.ppm
cjpeg -sample 2x1 -restart 1 -outfile "$j/s422-restart.jpg" src.ppm
cjpeg -arithmetic -outfile "$j/arithmetic.jpg" src.ppm
cjpeg -rgb -outfile "$j/rgb.jpg" src.ppm
convert src.ppm -colorspace CMYK "$j/cmyk.jpg"
cjpeg -quality 50 -outfile thumb.jpg thumb.ppm
cjpeg -outfile ex.jpg src.ppm
exiftool -q -overwrite_original -ExifByteOrder=MM -Make=Cam -Model=M1 -ExposureTime=0.004 -FNumber=2.8 \
  -EXIF:Flash#=25 -ExposureProgram#=3 -Copyright='Ann' -ISO=100 -GPSLatitude=1 -comment='seed' \
  '-ThumbnailImage<=thumb.jpg' ex.jpg
cp ex.jpg "$j/exif-mm-thumbnail.jpg"
cjpeg -outfile v.jpg src.ppm
cp thumb.jpg v-thumb.jpg
exiv2 -M'set Exif.Image.Make Exiv' -M'set Exif.Photo.ExposureTime 10/2500' -M'set Exif.Photo.Flash 16' v.jpg
exiv2 -it v.jpg
cp v.jpg "$j/exif-ii-exiv2.jpg"
# The APP1 payloads alone for the EXIF parser.
$py - "$e" ex.jpg v.jpg <<'PY'
import sys, os
out = sys.argv[1]
for i, name in enumerate(sys.argv[2:]):
    b = open(name, 'rb').read()
    at = 2
    while at + 4 <= len(b) and b[at] == 0xFF:
        m, n = b[at + 1], b[at + 2] << 8 | b[at + 3]
        if m == 0xE1 and b[at + 4:at + 10] == b'Exif\0\0':
            open(os.path.join(out, 'app1-%d.bin' % i), 'wb').write(b[at + 4:at + 2 + n])
        if m == 0xDA: break
        at += 2 + n
PY
$py - "$p" <<'PY'
import sys, os, struct, numpy as np
from PIL import Image, PngImagePlugin
out = sys.argv[1]
y, x = np.mgrid[0:6, 0:8]
rgb = np.dstack([x * 30, y * 40, (x + y) * 15]).astype(np.uint8)
a = ((x * 31 + y * 7) % 256).astype(np.uint8)
im = Image.fromarray(rgb, 'RGB'); g = im.convert('L')
def s(img, name, **kw): img.save(os.path.join(out, name), **kw)
s(g.convert('1'), 'gray1.png'); s(g, 'gray8.png')
s(Image.merge('LA', [g, Image.fromarray(a)]), 'gray-alpha.png')
s(im, 'rgb.png'); s(Image.fromarray(np.dstack([rgb, a]), 'RGBA'), 'rgba.png')
p = im.quantize(40)
s(p, 'palette8.png'); s(im.quantize(16), 'palette4.png', bits=4); s(im.quantize(4), 'palette2.png', bits=2)
s(p, 'palette-key.png', transparency=3)
s(p, 'palette-partial.png', transparency=bytes([0, 128, 255, 7]))
s(g, 'gray-key.png', transparency=60)
s(im, 'rgb-key.png', transparency=(0, 0, 0))
s(Image.fromarray((np.array(g).astype(np.uint16) * 257), 'I;16'), 'gray16.png')
info = PngImagePlugin.PngInfo(); info.add_text('Title', 'a'); info.add_text('Author', 'b', zip=True)
info.add_itxt('Comment', 'c', lang='en'); info.add(b'gAMA', struct.pack('>I', 100000))
s(im, 'text-gamma.png', pnginfo=info)
PY
convert src.ppm -interlace PNG PNG48:"$p/rgb48-adam7.png"
convert src.pgm -colorspace gray -depth 2 -define png:bit-depth=2 -interlace PNG "$p/gray2-adam7.png"
