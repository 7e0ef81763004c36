#!/bin/bash
# Opens the same 24-megapixel JPEG and reduces it to fit a 1600 x 1000 window
# with this program's document road (read, best fit, compose the view) and
# with djpeg (decode only), ImageMagick and Pillow (decode and nearest-
# neighbour reduce), one thread each, and prints the time ratios (other /
# ours: above 1 means we are faster).
# Usage: bench/compare_document.sh <build dir with pictoravell_bench>
set -euo pipefail
build=${1:-build}
bench="$build/pictoravell_bench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1
file="$work/photo.jpg"
convert -size 6000x4000 plasma:fractal -seed 3 -quality 90 "$file" 2>/dev/null ||
  convert -size 6000x4000 gradient:red-blue -quality 90 "$file"

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
ratio() { /usr/bin/python3 -c "print(round($1/max($2,1),2))"; }

ours=$(PICTORAVELL_BENCH_JPEG="$file" "$bench" --benchmark_filter=BM_OpenJpeg24MpAtBestFit --benchmark_format=json 2>/dev/null |
  /usr/bin/python3 -c 'import json,sys; print(round(min(b["real_time"] for b in json.load(sys.stdin)["benchmarks"])))')
djpeg=$(best "djpeg -dct int -outfile /dev/null '$file'")
magick=$(best "convert '$file' -sample 1500x1000 ppm:- > /dev/null")
pillow=$(best "/usr/bin/python3 -c \"from PIL import Image; Image.open('$file').resize((1500,1000), Image.NEAREST)\"")
echo "24 Mpx JPEG ($(stat -c %s "$file") bytes), open and show at best fit:"
echo "  ours ${ours} ms; djpeg decode only ${djpeg} ms ($(ratio "$djpeg" "$ours")x); ImageMagick ${magick} ms ($(ratio "$magick" "$ours")x); Pillow ${pillow} ms ($(ratio "$pillow" "$ours")x)"
