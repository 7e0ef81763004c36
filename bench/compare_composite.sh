#!/usr/bin/env bash
# Composes a 4000 x 3000 picture with alpha over an opaque one ("over"), with
# our layer stack, Pillow's alpha_composite and ImageMagick, one thread each,
# on the same input files; prints times and ratios (other / ours).
# Usage: bench/compare_composite.sh [build dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
py=/usr/bin/python3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

convert -seed 1 -size 4000x3000 plasma:fractal -depth 8 "$dir/base.pam"
convert -seed 2 -size 4000x3000 plasma:fractal \( -size 3000x4000 gradient: -rotate 90 \) \
  -alpha off -compose copy_opacity -composite -depth 8 "$dir/top.pam"

ours=$(PICTORAVELL_BENCH_INPUT="$dir" "$build/pictoravell_bench" --benchmark_filter='BM_RenderTwoLayerStack$' \
  --benchmark_min_time=1 --benchmark_format=json 2>/dev/null |
  $py -c 'import json,sys; print(json.load(sys.stdin)["benchmarks"][0]["real_time"])')

pillow=$($py - "$dir" <<'PY'
import sys, time
from PIL import Image
d = sys.argv[1]
def load(p):
    raw = open(p, 'rb').read()
    head, _, body = raw.partition(b'ENDHDR\n')
    depth = int([l for l in head.split(b'\n') if l.startswith(b'DEPTH')][0].split()[1])
    im = Image.frombytes('RGBA' if depth == 4 else 'RGB', (4000, 3000), body)
    return im.convert('RGBA')
base, top = load(d + '/base.pam'), load(d + '/top.pam')
best = 1e9
for _ in range(3):
    t = time.perf_counter(); Image.alpha_composite(base, top); best = min(best, time.perf_counter() - t)
print(best * 1000)
PY
)

# ImageMagick: whole command less the same command without the composite.
export MAGICK_THREAD_LIMIT=1
t0=$(date +%s.%N); convert "$dir/base.pam" "$dir/top.pam" -compose over -composite "$dir/out.pam"; t1=$(date +%s.%N)
convert "$dir/base.pam" "$dir/top.pam" -delete 1 "$dir/out2.pam"; t2=$(date +%s.%N)
magick=$(echo "($t1 - $t0 - ($t2 - $t1)) * 1000" | bc -l)

printf 'two-layer over, 4000x3000, one thread\n'
printf '  ours (CLayerStack::Render)   %8.1f ms\n' "$ours"
printf '  Pillow alpha_composite       %8.1f ms   ratio %.2f\n' "$pillow" "$(echo "$pillow / $ours" | bc -l)"
printf '  ImageMagick -composite (net) %8.1f ms   ratio %.2f\n' "$magick" "$(echo "$magick / $ours" | bc -l)"
