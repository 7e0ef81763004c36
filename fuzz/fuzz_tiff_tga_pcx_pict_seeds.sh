#!/usr/bin/env bash
# Makes the small seed files of fuzz/corpus/fuzz_{tiff,tga,pcx,pict}/ with
# ImageMagick, netpbm, libtiff's tools and Pillow. Run from anywhere. Seeds named
# ours_* were written by the codecs themselves and crash-* are kept findings;
# both are left alone.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
py=/usr/bin/python3
convert -size 13x7 gradient:red-blue -depth 8 rgb.ppm
convert rgb.ppm -colors 6 -depth 8 pal.ppm
$py - <<'PY'
from PIL import Image
im = Image.new('RGBA', (9, 5))
for y in range(5):
    for x in range(9):
        im.putpixel((x, y), (x * 28, y * 50, 200, (x * 30 + y * 10) % 256))
im.save('rgba_pillow.tif')
im.save('rgba_rle.tga', compression='tga_rle')
im.convert('LA').save('gray_alpha_rle.tga', compression='tga_rle')
bw = Image.new('1', (20, 6), 1)
for y in range(6):
    for x in range(20):
        if (x // 3 + y) % 2: bw.putpixel((x, y), 0)
bw.save('bw.tif')
bw.save('bw.pcx')
PY

t=$here/corpus/fuzz_tiff; mkdir -p "$t"; find "$t" -type f ! -name "ours_*" ! -name "crash-*" -delete
convert rgb.ppm -compress None rgb.tif
convert pal.ppm -type Palette -compress None pal.tif
tiffcp -c lzw rgb.tif "$t/rgb_lzw.tif"
tiffcp -c zip:2 rgb.tif "$t/rgb_deflate_predictor.tif"
tiffcp -c packbits -r 1 pal.tif "$t/palette_packbits.tif"
tiffcp -c none -t -w 16 -l 16 rgb.tif "$t/rgb_tiles.tif"
tiffcp -p separate rgb.tif "$t/rgb_planar.tif"
tiffcp -c g3:2d bw.tif "$t/bw_g3.tif"
tiffcp -c g4 bw.tif "$t/bw_g4.tif"
tiffcp -c lzw rgba_pillow.tif "$t/rgba_straight.tif"
tiffcp rgb.tif bw.tif "$t/two_pages.tif"
convert rgb.ppm -depth 4 -type Grayscale "$t/gray4.tif"
convert rgb.ppm -depth 16 -type Grayscale "$t/gray16.tif"

t=$here/corpus/fuzz_tga; mkdir -p "$t"; find "$t" -type f ! -name "ours_*" ! -name "crash-*" -delete
pamtotga -rgb rgb.ppm > "$t/rgb_rle_bottom_up.tga"
pamtotga -rgb -norle rgb.ppm > "$t/rgb_raw_bottom_up.tga"
pamtotga -cmap pal.ppm > "$t/colour_mapped_rle.tga"
pamtotga -mono rgb.ppm > "$t/gray_rle.tga"
convert rgb.ppm -orient TopLeft -compress None "$t/rgb_top_down.tga"
cp rgba_rle.tga "$t/rgba_rle.tga"
cp gray_alpha_rle.tga "$t/gray_alpha_rle.tga"

t=$here/corpus/fuzz_pcx; mkdir -p "$t"; find "$t" -type f ! -name "ours_*" ! -name "crash-*" -delete
ppmtopcx -24bit rgb.ppm > "$t/rgb_24bit.pcx"
ppmtopcx -8bit pal.ppm > "$t/palette_8bit.pcx"
ppmtopcx -planes 4 pal.ppm > "$t/sixteen_planes.pcx"
ppmtopcx -packed pal.ppm > "$t/sixteen_packed.pcx"
cp bw.pcx "$t/bilevel.pcx"

t=$here/corpus/fuzz_pict; mkdir -p "$t"; find "$t" -type f ! -name "ours_*" ! -name "crash-*" -delete
ppmtopict pal.ppm > "$t/netpbm_8bit.pct"
convert rgb.ppm pict:"$t/im_direct.pct"
convert pal.ppm -type Palette pict:"$t/im_palette.pct"
