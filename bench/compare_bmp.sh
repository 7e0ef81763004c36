#!/bin/bash
# Reads the same BMP files with this program's reader and with bmptopnm,
# ImageMagick and Pillow (one thread each) and prints the time ratios
# (other / ours: above 1 means we are faster).
# Usage: bench/compare_bmp.sh <build dir with pictoravell_bench>
set -euo pipefail
build=${1:-build}
bench="$build/pictoravell_bench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1

convert -size 4000x3000 plasma:fractal -seed 7 "$work/src.ppm" 2>/dev/null ||
  convert -size 4000x3000 gradient:red-blue "$work/src.ppm"
convert "$work/src.ppm" BMP3:"$work/rgb24.bmp"
convert "$work/src.ppm" -colors 256 -type Palette -compress RLE BMP3:"$work/rle8.bmp"

best() {  # best of 5 wall times of a command, in ms
  local best=999999
  for _ in 1 2 3 4 5; do
    local t0 t1
    t0=$(date +%s%N)
    eval "$1" >/dev/null 2>&1
    t1=$(date +%s%N)
    local ms=$(((t1 - t0) / 1000000))
    ((ms < best)) && best=$ms
  done
  echo "$best"
}

for f in rgb24 rle8; do
  file="$work/$f.bmp"
  ours=$(PICTORAVELL_BENCH_BMP="$file" "$bench" --benchmark_filter=BM_ReadBmpFile --benchmark_format=json 2>/dev/null |
    /usr/bin/python3 -c 'import json,sys; print(round(json.load(sys.stdin)["benchmarks"][0]["real_time"]))')
  netpbm=$(best "bmptopnm '$file' > /dev/null")
  magick=$(best "convert '$file' ppm:- > /dev/null")
  pillow=$(best "/usr/bin/python3 -c \"from PIL import Image; Image.open('$file').load()\"")
  echo "$f ($(stat -c %s "$file") bytes): ours ${ours} ms; bmptopnm ${netpbm} ms ($(/usr/bin/python3 -c "print(round($netpbm/max($ours,1),1))")x); ImageMagick ${magick} ms ($(/usr/bin/python3 -c "print(round($magick/max($ours,1),1))")x); Pillow ${pillow} ms ($(/usr/bin/python3 -c "print(round($pillow/max($ours,1),1))")x)"
done
