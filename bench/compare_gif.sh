#!/usr/bin/env bash
# Decodes and encodes one 100-frame 640 x 480 GIF animation with our codec,
# giflib's tools and gifsicle, one thread each, on the same file; prints
# times and ratios (other / ours).
#   decode:          ours ReadGif            vs  giftext -r (every image decoded, raw pixels out)
#   decode, whole processes: one ReadGif in a process of its own (the bench
#                    binary, one iteration) vs giflib's gif2rgb (every image
#                    decoded, the screen written out)
#   decode + encode: ours ReadGif + WriteGif vs  giftool (giflib slurp and spew), gifsicle --unoptimize
# Usage: bench/compare_gif.sh [build dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
py=/usr/bin/python3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# The input: every frame changes everywhere (no frame differences to skip).
$py - "$dir/anim.gif" <<'PY'
import sys
import numpy as np
from PIL import Image
frames = []
y, x = np.mgrid[0:480, 0:640]
rng = np.random.default_rng(1)
palette = [c for i in range(256) for c in (i, 255 - i, (i * 3) % 256)]
for k in range(100):
    band = (((x + 3 * k) // 12 + (y + 2 * k) // 9) * 5 + rng.integers(0, 4, size=(480, 640))) % 256
    im = Image.fromarray(band.astype(np.uint8), 'P')
    im.putpalette(palette)
    frames.append(im)
frames[0].save(sys.argv[1], save_all=True, append_images=frames[1:], duration=40, loop=0, optimize=False)
PY
size=$(stat -c %s "$dir/anim.gif")

bench() {
  PICTORAVELL_GIF_BENCH_FILE="$dir/anim.gif" "$build/pictoravell_bench" --benchmark_filter="$1\$" \
    --benchmark_min_time=1 --benchmark_format=json 2>/dev/null |
    $py -c 'import json,sys; print(json.load(sys.stdin)["benchmarks"][0]["real_time"])'
}
ours_decode=$(bench BM_GifFileDecode)
ours_encode=$(bench BM_GifFileEncode)
ours_both=$(echo "$ours_decode + $ours_encode" | bc -l)

# Best of three runs of a command, in milliseconds.
best() {
  local best=999999999 t0 t1 t
  for _ in 1 2 3; do
    t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N)
    t=$(echo "($t1 - $t0) / 1000000" | bc -l)
    if (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
  done
  echo "$best"
}
giftext_decode=$(best sh -c "giftext -r '$dir/anim.gif' > /dev/null")
ours_process=$(best env PICTORAVELL_GIF_BENCH_FILE="$dir/anim.gif" "$build/pictoravell_bench" \
  --benchmark_filter='BM_GifFileDecode$' --benchmark_min_time=0)
gif2rgb_process=$(best gif2rgb -1 -o /dev/null "$dir/anim.gif")
giftool_both=$(best sh -c "giftool < '$dir/anim.gif' > '$dir/giftool.gif'")
gifsicle_both=$(best gifsicle --no-warnings --unoptimize "$dir/anim.gif" -o "$dir/gifsicle.gif")

printf 'GIF, 100 frames 640x480, 8 bits, %d bytes, one thread\n' "$size"
printf 'decode\n'
printf '  ours (ReadGif)                    %8.1f ms\n' "$ours_decode"
printf '  giflib giftext -r                 %8.1f ms   ratio %.2f\n' "$giftext_decode" "$(echo "$giftext_decode / $ours_decode" | bc -l)"
printf 'decode, whole processes\n'
printf '  ours (one ReadGif)                %8.1f ms\n' "$ours_process"
printf '  giflib gif2rgb                    %8.1f ms   ratio %.2f\n' "$gif2rgb_process" "$(echo "$gif2rgb_process / $ours_process" | bc -l)"
printf 'encode\n'
printf '  ours (WriteGif)                   %8.1f ms\n' "$ours_encode"
printf 'decode + encode\n'
printf '  ours (ReadGif + WriteGif)         %8.1f ms\n' "$ours_both"
printf '  giflib giftool                    %8.1f ms   ratio %.2f\n' "$giftool_both" "$(echo "$giftool_both / $ours_both" | bc -l)"
printf '  gifsicle --unoptimize             %8.1f ms   ratio %.2f\n' "$gifsicle_both" "$(echo "$gifsicle_both / $ours_both" | bc -l)"
