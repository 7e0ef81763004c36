#!/usr/bin/env bash
# The slide show's two heavy steps beside other programs, one thread each, on
# the same input: one cross-fade frame of two 1920 x 1080 pictures (ours
# against Pillow's Image.blend), and reading a 24-megapixel JPEG fitted to a
# 1920 x 1080 screen (ours, which the read-ahead runs while the previous
# picture shows, against Pillow with and without its reduced-size JPEG
# decoding, vipsthumbnail and ImageMagick). Prints times and ratios
# (other / ours).
# Usage: bench/compare_slideshow.sh [build dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
py=/usr/bin/python3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export MAGICK_THREAD_LIMIT=1 VIPS_CONCURRENCY=1 OMP_NUM_THREADS=1

# A photograph-like 6000 x 4000 picture.
convert -seed 3 -size 1500x1000 plasma:fractal -resize 6000x4000! -attenuate 0.4 +noise Gaussian \
  -quality 90 "$dir/slide24mp.jpg"

json=$(PICTORAVELL_BENCH_INPUT="$dir" "$build/pictoravell_bench" \
  --benchmark_filter='BM_CrossFadeFrame1920x1080/offset:0|BM_PrepareSlide24MpJpeg' --benchmark_format=json 2>/dev/null)
fade=$(echo "$json" | $py -c 'import json,sys; b=json.load(sys.stdin)["benchmarks"]; print([x for x in b if "CrossFade" in x["name"]][0]["real_time"])')
prepare=$(echo "$json" | $py -c 'import json,sys; b=json.load(sys.stdin)["benchmarks"]; print([x for x in b if "Prepare" in x["name"]][0]["real_time"])')

read -r pfade pfull pdraft < <($py - "$dir/slide24mp.jpg" <<'PY'
import sys, time
from PIL import Image
a = Image.new('RGB', (1920, 1080), (200, 100, 50)); b = Image.effect_noise((1920, 1080), 40).convert('RGB')
def best(f, n=5):
    t = 1e9
    for _ in range(n):
        s = time.perf_counter(); f(); t = min(t, time.perf_counter() - s)
    return t * 1000
fade = best(lambda: Image.blend(a, b, 0.4))
def full():
    im = Image.open(sys.argv[1]); im.load(); im.reduce(3)   # 6000x4000 -> 2000x1333, then fitted
    im.resize((1620, 1080), Image.BOX)
def draft():
    im = Image.open(sys.argv[1]); im.draft('RGB', (1920, 1080)); im.load(); im.resize((1620, 1080), Image.BOX)
print(fade, best(full, 3), best(draft, 3))
PY
)

now() { date +%s%N; }
t0=$(now); vipsthumbnail -s 1920x1080 -o "$dir/v.jpg" "$dir/slide24mp.jpg"; t1=$(now)
vips=$(( (t1 - t0) / 1000000 ))
t0=$(now); convert "$dir/slide24mp.jpg" -resize 1920x1080 "$dir/m.ppm"; t1=$(now)
magick=$(( (t1 - t0) / 1000000 ))

printf '%-44s %10s %8s\n' step "ms" "ratio"
printf '%-44s %10.1f %8s\n' "cross-fade frame 1920x1080, ours" "$fade" 1.00
printf '%-44s %10.1f %8.2f\n' "  Pillow Image.blend" "$pfade" "$($py -c "print($pfade/$fade)")"
printf '%-44s %10.1f %8s\n' "24 MP JPEG fitted to 1920x1080, ours" "$prepare" 1.00
printf '%-44s %10.1f %8.2f\n' "  Pillow, full decode + reduce" "$pfull" "$($py -c "print($pfull/$prepare)")"
printf '%-44s %10.1f %8.2f\n' "  Pillow, reduced-size decode (draft)" "$pdraft" "$($py -c "print($pdraft/$prepare)")"
printf '%-44s %10d %8.2f\n' "  vipsthumbnail (shrink on load, process)" "$vips" "$($py -c "print($vips/$prepare)")"
printf '%-44s %10d %8.2f\n' "  ImageMagick convert -resize (process)" "$magick" "$($py -c "print($magick/$prepare)")"
