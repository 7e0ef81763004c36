#!/usr/bin/env bash
# The thumbnail browser's folder passes against vipsthumbnail, on the same
# files in one run:
#  - a cold folder of 500 camera photographs (4000 x 3000, EXIF thumbnails of
#    160 x 120) made into 160-pixel thumbnails: the browser's first visit
#    (scan, thumbnails, cache written) against `vipsthumbnail -s 160` over the
#    same files; again on copies without EXIF thumbnails, where every
#    thumbnail is decoded from the photograph;
#  - a warm reload of a 5,000-file folder whose cache is current: entered
#    anew (every thumbnail read from the cache file), and reloaded while
#    shown (the thumbnails in hand are kept).
# Each comparison runs one thread on both sides, then all cores on ours and
# vips's default threading. Peak memory is the process's resident peak.
# Usage: bench/compare_browser.sh [build dir]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bench=$build/pictoravell_bench
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
command -v vipsthumbnail >/dev/null || { echo "vipsthumbnail missing (libvips-tools)" >&2; exit 1; }
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
py=/usr/bin/python3
mkdir -p "$tmp/exif" "$tmp/plain" "$tmp/warm" "$tmp/base" "$tmp/out"

# Eight photo-like 4000 x 3000 pictures (smooth shapes, texture, noise),
# each copied under 62 or 63 names: 500 files per folder.
$py - "$tmp/base" <<'PY'
import sys, numpy as np
from PIL import Image
rng = np.random.default_rng(7)
for k in range(8):
    small = Image.fromarray(rng.integers(0, 256, (30, 40, 3), dtype=np.uint8)).resize((4000, 3000), Image.BICUBIC)
    a = np.asarray(small).astype(np.int16)
    y, x = np.mgrid[0:3000, 0:4000]
    a += ((np.sin(x / (5.0 + k)) * np.cos(y / 9.0)) * 10).astype(np.int16)[..., None]
    a += rng.integers(-4, 5, a.shape, dtype=np.int16)
    Image.fromarray(np.clip(a, 0, 255).astype(np.uint8)).save(f"{sys.argv[1]}/p{k}.jpg", quality=88)
    Image.fromarray(np.clip(a, 0, 255).astype(np.uint8)).resize((160, 120), Image.BILINEAR).save(f"{sys.argv[1]}/t{k}.jpg", quality=80)
    Image.fromarray(np.clip(a[::6, ::6], 0, 255).astype(np.uint8)).save(f"{sys.argv[1]}/w{k}.jpg", quality=85)
PY
for k in 0 1 2 3 4 5 6 7; do
  cp "$tmp/base/p$k.jpg" "$tmp/base/e$k.jpg"
  exiftool -q -overwrite_original "-ThumbnailImage<=$tmp/base/t$k.jpg" "$tmp/base/e$k.jpg"
done
for i in $(seq -w 0 499); do
  k=$((10#$i % 8))
  cp "$tmp/base/e$k.jpg" "$tmp/exif/IMG_$i.jpg"
  cp "$tmp/base/p$k.jpg" "$tmp/plain/IMG_$i.jpg"
done
for i in $(seq -w 0 4999); do cp "$tmp/base/w$((10#$i % 8)).jpg" "$tmp/warm/DSC_$i.jpg"; done
sync

# Wall-clock seconds and peak resident megabytes of one command.
measure() {
  $py - "$@" <<'PY'
import resource, subprocess, sys, time
t = time.perf_counter(); subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
dt = time.perf_counter() - t
print('%.3f %.0f' % (dt, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024))
PY
}
vips() {  # threads folder
  rm -rf "$tmp/out"; mkdir -p "$tmp/out"
  if [ "$1" = 1 ]; then
    VIPS_CONCURRENCY=1 measure vipsthumbnail -s 160 -o "$tmp/out/%s.jpg" "$2"/*.jpg
  else
    measure vipsthumbnail -s 160 -o "$tmp/out/%s.jpg" "$2"/*.jpg
  fi
}
# ours filter folder-variable folder -> "seconds peak_MB"
ours() {
  env "$2=$3" "$bench" --benchmark_filter="$1" --benchmark_format=json 2>/dev/null |
    $py -c 'import json,sys; b=json.load(sys.stdin)["benchmarks"][0]; print("%.3f %.0f" % (b["real_time"]/1000, b["peak_MB"]))'
}
ratio() { $py -c "print('%.2f' % ($1 / $2))"; }
row() {  # label ours vips
  read -r ot om <<<"$2"; read -r vt vm <<<"$3"
  printf '%-44s %8s %6s MB %8s %6s MB %7s\n' "$1" "$ot" "$om" "$vt" "$vm" "$(ratio "$ot" "$vt")"
}

printf '%-44s %17s %17s %7s\n' "500 files 4000x3000 -> 160 px" "ours s, peak" "vipsthumbnail" "ratio"
row "EXIF thumbnails, one thread" "$(ours 'BM_BrowserColdFolder/160/1/' PICTORAVELL_BENCH_COLD_FOLDER "$tmp/exif")" "$(vips 1 "$tmp/exif")"
row "EXIF thumbnails, all cores" "$(ours 'BM_BrowserColdFolder/160/0/' PICTORAVELL_BENCH_COLD_FOLDER "$tmp/exif")" "$(vips 0 "$tmp/exif")"
row "no EXIF thumbnails, one thread" "$(ours 'BM_BrowserColdFolder/160/1/' PICTORAVELL_BENCH_COLD_FOLDER "$tmp/plain")" "$(vips 1 "$tmp/plain")"
row "no EXIF thumbnails, all cores" "$(ours 'BM_BrowserColdFolder/160/0/' PICTORAVELL_BENCH_COLD_FOLDER "$tmp/plain")" "$(vips 0 "$tmp/plain")"
echo
printf '%-44s %17s\n' "warm reload of 5000 files (cache current)" "ours s, peak"
for cell in 100 160; do
  read -r wt wm <<<"$(ours "BM_BrowserWarmRescan/$cell/" PICTORAVELL_BENCH_WARM_FOLDER "$tmp/warm")"
  printf '%-44s %8s %6s MB\n' "$cell-pixel cells" "$wt" "$wm"
done
echo
printf '%-44s %17s\n' "reload of the shown 5000 files (list in hand)" "ours s, peak"
for cell in 100 160; do
  read -r wt wm <<<"$(ours "BM_BrowserReloadShownFolder/$cell/" PICTORAVELL_BENCH_WARM_FOLDER "$tmp/warm")"
  printf '%-44s %8s %6s MB\n' "$cell-pixel cells" "$wt" "$wm"
done
