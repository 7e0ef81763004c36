#!/usr/bin/env bash
# Side-by-side timing of a batch conversion: 200 camera JPEGs (4000 x 3000,
# quality 92, EXIF) limited to 640 x 480 and written as JPEG at quality 100,
# by this program's batch run (pictoravell_bench BM_BatchLimit640Jpeg) and by
# `mogrify -resize 640x480 -quality 100` on copies of the same files. Both
# run twice: on every core of the machine, and on one thread each.
# Usage: bench/compare_batch.sh [build dir] [count]   (defaults: build, 200)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
count=${2:-200}
bench=$build/pictoravell_bench
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
py=/usr/bin/python3
cores=$(nproc)

# Eight different photo-like pictures with a camera's EXIF block, copied to
# $count files (decoding costs the same whatever the copy).
mkdir -p "$tmp/cam"
$py - "$tmp/cam" "$count" <<'PY'
import sys, shutil, numpy as np
from PIL import Image
out, count = sys.argv[1], int(sys.argv[2])
rng = np.random.default_rng(7)
y, x = np.mgrid[0:3000, 0:4000]
for k in range(8):
    small = Image.fromarray(rng.integers(0, 256, (30, 40, 3), dtype=np.uint8)).resize((4000, 3000), Image.BICUBIC)
    a = np.asarray(small).astype(np.int16)
    a += ((np.sin(x / (5.0 + k)) * np.cos(y / 9.0)) * 14).astype(np.int16)[..., None]
    a += rng.integers(-5, 6, a.shape, dtype=np.int16)
    img = Image.fromarray(np.clip(a, 0, 255).astype(np.uint8))
    exif = Image.Exif(); exif[0x010F] = "Camera Maker"; exif[0x0110] = "Model 12"; exif[0x0132] = "2026:12:10 12:00:00"
    img.save(f"{out}/base{k}.jpg", quality=92, exif=exif)
for i in range(count):
    shutil.copy(f"{out}/base{i % 8}.jpg", f"{out}/IMG_{i:04d}.jpg")
for k in range(8):
    import os; os.remove(f"{out}/base{k}.jpg")
PY

ours() {  # workers -> ms
  PICTORAVELL_BENCH_BATCH_DIR=$tmp/cam "$bench" --benchmark_filter="^BM_BatchLimit640Jpeg/$1/" \
    --benchmark_format=json 2>/dev/null |
    $py -c 'import json,sys; d=json.load(sys.stdin); print("%.0f" % d["benchmarks"][0]["real_time"])'
}
theirs() {  # threads -> ms (mogrify works in place: on a fresh copy each time)
  rm -rf "$tmp/im"; cp -r "$tmp/cam" "$tmp/im"; sync
  $py - "$1" "$tmp/im" <<'PY'
import glob, os, subprocess, sys, time
env = dict(os.environ, MAGICK_THREAD_LIMIT=sys.argv[1], OMP_NUM_THREADS=sys.argv[1])
files = sorted(glob.glob(sys.argv[2] + "/*.jpg"))
t = time.perf_counter()
subprocess.run(["mogrify", "-resize", "640x480", "-quality", "100"] + files, check=True, env=env)
print("%.0f" % ((time.perf_counter() - t) * 1000))
PY
}
ratio() { $py -c "print('%.2f' % ($1 / $2))"; }

# Warm the page cache for both.
cat "$tmp"/cam/*.jpg > /dev/null
o_all=$(ours "$cores"); m_all=$(theirs "$cores")
o_one=$(ours 1); m_one=$(theirs 1)
printf '%-44s %10s %10s %8s\n' "$count JPEGs 4000x3000 -> 640x480 q100" "ours ms" "mogrify ms" "ratio"
printf '%-44s %10s %10s %8s\n' "all $cores cores" "$o_all" "$m_all" "$(ratio "$o_all" "$m_all")"
printf '%-44s %10s %10s %8s\n' "one thread each" "$o_one" "$m_one" "$(ratio "$o_one" "$m_one")"
