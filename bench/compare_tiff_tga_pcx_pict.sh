#!/usr/bin/env bash
# Side-by-side reading times: our TIFF, TGA, PCX and PICT readers against
# libtiff's tiff2rgba, netpbm's tgatoppm and pcxtoppm and ImageMagick (PICT),
# on the same files, one thread each. Prints each time and the ratio
# (theirs / ours: above 1 means we are faster).
# Usage: bench/compare_tiff_tga_pcx_pict.sh [build dir, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build}/pictoravell_bench
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
export OMP_NUM_THREADS=1 MAGICK_THREAD_LIMIT=1
convert -size 3000x2000 plasma:fractal -seed 7 -depth 8 src.ppm 2>/dev/null || convert -size 3000x2000 gradient:red-blue -depth 8 src.ppm
convert src.ppm -compress lzw -define tiff:rows-per-strip=2000 big_strip.tif
tiffcp -c lzw -r 16 big_strip.tif lzw16.tif
pamtotga -rgb src.ppm > rle.tga
ppmtopcx -24bit src.ppm > rgb.pcx 2>/dev/null
convert src.ppm pict:direct.pct

# Best of 5 wall-clock runs, in milliseconds.
best() {
  local b=999999999 s e t
  for _ in 1 2 3 4 5; do
    s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N)
    t=$(( (e - s) / 1000000 )); (( t < b )) && b=$t
  done
  echo "$b"
}
oursmin() {
  # Minimum real time of the repetitions.
  PICTORAVELL_BENCH_FILE=$1 "$bench" --benchmark_filter='^BM_ReadFile$' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=false --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 ~ /^"?BM_ReadFile"?$/ {t=$3+0; if (m == "" || t < m) m = t} END {printf "%d", m}'
}
row() {
  local name=$1 file=$2; shift 2
  local o t
  o=$(oursmin "$file")
  t=$(best "$@")
  awk -v n="$name" -v o="$o" -v t="$t" 'BEGIN { printf "%-28s ours %6d ms  theirs %6d ms  ratio %.2f\n", n, o, t, (o > 0 ? t / o : 0) }'
}
row "TIFF one strip (tiff2rgba)" big_strip.tif tiff2rgba big_strip.tif out.tif
row "TIFF 16-row strips (tiff2rgba)" lzw16.tif tiff2rgba lzw16.tif out.tif
row "TGA RLE (tgatoppm)" rle.tga tgatoppm rle.tga
row "PCX 24-bit (pcxtoppm)" rgb.pcx pcxtoppm rgb.pcx
row "PICT direct (ImageMagick)" direct.pct convert pict:direct.pct ppm:-
