#!/usr/bin/env bash
# Side-by-side timing of JPEG and PNG decode and encode of one 24-megapixel
# picture: this program's codecs (pictoravell_bench) against libjpeg-turbo's
# djpeg/cjpeg and ImageMagick, one thread each, same input files.
# Usage: bench/compare_jpeg_png.sh [build dir]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bench=$build/pictoravell_bench
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1
py=/usr/bin/python3

# A photo-like 6000 x 4000 picture: smooth shapes, fine texture and noise.
$py - "$tmp/in.ppm" <<'PY'
import sys, numpy as np
from PIL import Image
rng = np.random.default_rng(1)
small = Image.fromarray(rng.integers(0, 256, (50, 75, 3), dtype=np.uint8)).resize((6000, 4000), Image.BICUBIC)
a = np.asarray(small).astype(np.int16)
y, x = np.mgrid[0:4000, 0:6000]
a += ((np.sin(x / 7.0) * np.cos(y / 11.0)) * 12).astype(np.int16)[..., None]
a += rng.integers(-6, 7, a.shape, dtype=np.int16)
Image.fromarray(np.clip(a, 0, 255).astype(np.uint8)).save(sys.argv[1])
PY
cjpeg -quality 75 -outfile "$tmp/in.jpg" "$tmp/in.ppm"
convert "$tmp/in.ppm" "$tmp/in.png"

# Best of three wall-clock runs of a command, in milliseconds.
best() {
  $py - "$@" <<'PY'
import subprocess, sys, time
runs = []
for _ in range(3):
    t = time.perf_counter(); subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL); runs.append(time.perf_counter() - t)
print('%.1f' % (min(runs) * 1000))
PY
}
ours() {
  PICTORAVELL_BENCH_PPM=$tmp/in.ppm PICTORAVELL_BENCH_JPEG=$tmp/in.jpg PICTORAVELL_BENCH_PNG=$tmp/in.png \
    "$bench" --benchmark_filter="^$1/" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=json 2>/dev/null |
    $py -c 'import json,sys; d=json.load(sys.stdin); print("%.1f" % min(b["real_time"] for b in d["benchmarks"] if b.get("aggregate_name") in ("mean","median")))'
}
ratio() { $py -c "print('%.2f' % ($1 / $2))"; }

jd=$(ours BM_JpegDecode24MP); je=$(ours BM_JpegEncode24MP)
pd=$(ours BM_PngDecode24MP); pe=$(ours BM_PngEncode24MP)
djpeg_t=$(best djpeg -outfile /dev/null "$tmp/in.jpg")
cjpeg_t=$(best cjpeg -quality 75 -outfile /dev/null "$tmp/in.ppm")
imjd=$(best convert "$tmp/in.jpg" null:)
imje=$(best convert "$tmp/in.ppm" -quality 75 "$tmp/im.jpg")
impd=$(best convert "$tmp/in.png" null:)
pngtopam_t=$(best pngtopam "$tmp/in.png")
impe=$(best convert "$tmp/in.ppm" "$tmp/im.png")
impei=$(best convert "$tmp/in.ppm" -interlace PNG "$tmp/im-adam7.png")

printf '%-34s %10s %10s %8s\n' "6000x4000, one thread" "ours ms" "other ms" "ratio"
printf '%-34s %10s %10s %8s\n' "JPEG decode vs djpeg" "$jd" "$djpeg_t" "$(ratio "$jd" "$djpeg_t")"
printf '%-34s %10s %10s %8s\n' "JPEG decode vs ImageMagick" "$jd" "$imjd" "$(ratio "$jd" "$imjd")"
printf '%-34s %10s %10s %8s\n' "JPEG encode q75 vs cjpeg" "$je" "$cjpeg_t" "$(ratio "$je" "$cjpeg_t")"
printf '%-34s %10s %10s %8s\n' "JPEG encode q75 vs ImageMagick" "$je" "$imje" "$(ratio "$je" "$imje")"
printf '%-34s %10s %10s %8s\n' "PNG decode vs ImageMagick" "$pd" "$impd" "$(ratio "$pd" "$impd")"
printf '%-34s %10s %10s %8s\n' "PNG decode vs pngtopam" "$pd" "$pngtopam_t" "$(ratio "$pd" "$pngtopam_t")"
printf '%-34s %10s %10s %8s\n' "PNG encode (Adam7) vs IM (plain)" "$pe" "$impe" "$(ratio "$pe" "$impe")"
printf '%-34s %10s %10s %8s\n' "PNG encode (Adam7) vs IM (Adam7)" "$pe" "$impei" "$(ratio "$pe" "$impei")"
