#!/usr/bin/env bash
# Selects the region around the centre of a 12-megapixel photograph-like
# picture by colour flood fill: our magic wand (tolerance 32), ImageMagick's
# floodfill with a fuzz and scipy's connected-component labelling of the
# match map, one thread each, on the same input; prints times and ratios
# (other / ours). The tools define "similar colour" differently, so this
# compares speed only.
# Usage: bench/compare_magicwand.sh [build dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
py=/usr/bin/python3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

convert -seed 7 -size 4000x3000 plasma:fractal -blur 0x3 -depth 8 "$dir/photo.ppm"

ours=$(PICTORAVELL_BENCH_INPUT="$dir" "$build/pictoravell_bench" --benchmark_filter='BM_MagicWandPhotograph/32$' \
  --benchmark_min_time=1 --benchmark_format=json 2>/dev/null |
  $py -c 'import json,sys; b=json.load(sys.stdin)["benchmarks"][0]; print(b["real_time"], int(b["selected"]))')
read -r ours_ms ours_px <<<"$ours"

scipy=$($py - "$dir/photo.ppm" <<'PY'
import sys, time
import numpy as np
from scipy import ndimage
raw = open(sys.argv[1], 'rb').read()
parts = raw.split(maxsplit=4)
w, h = int(parts[1]), int(parts[2])
px = np.frombuffer(parts[4], np.uint8).reshape(h, w, 3).astype(np.int16)
best = 1e9
for _ in range(3):
    t = time.perf_counter()
    seed = px[h // 2, w // 2]
    match = (np.abs(px - seed) <= 32).all(axis=2)
    labels, _ = ndimage.label(match)
    region = labels == labels[h // 2, w // 2]
    best = min(best, time.perf_counter() - t)
print(best * 1000, int(region.sum()))
PY
)
read -r scipy_ms scipy_px <<<"$scipy"

export MAGICK_THREAD_LIMIT=1
t0=$(date +%s.%N); convert "$dir/photo.ppm" -fuzz 12.5% -fill red -draw 'color 2000,1500 floodfill' "$dir/out.ppm"; t1=$(date +%s.%N)
convert "$dir/photo.ppm" "$dir/out2.ppm"; t2=$(date +%s.%N)
magick=$(echo "($t1 - $t0 - ($t2 - $t1)) * 1000" | bc -l)

printf 'magic wand, 4000x3000 photograph, seed at the centre, one thread\n'
printf '  ours (MagicWand, tolerance 32)     %8.1f ms   %d pixels\n' "$ours_ms" "$ours_px"
printf '  scipy match map + label            %8.1f ms   %d pixels   ratio %.2f\n' "$scipy_ms" "$scipy_px" "$(echo "$scipy_ms / $ours_ms" | bc -l)"
printf '  ImageMagick floodfill, fuzz 12.5%% %8.1f ms                ratio %.2f\n' "$magick" "$(echo "$magick / $ours_ms" | bc -l)"
