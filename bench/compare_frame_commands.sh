#!/usr/bin/env bash
# Optimize and Expand of 200 frames of 640 x 480 through the image document's
# menu commands, beside gifsicle on the same frames (one thread each):
#   ours:     the frames of an unoptimised GIF (every frame complete, written
#             by ImageMagick) in a document; Optimize... with frame
#             differencing and no global palette (the frames are in memory:
#             no reading or writing in the time), then Expand of gifsicle's
#             -O2 file
#   gifsicle: -O2 of the same GIF, --unoptimize of its -O2 file (each reads
#             and writes its file)
# Prints the times and their ratios (gifsicle / ours: above 1 means ours is
# faster) and the pixels the optimised frames keep (ours and gifsicle's).
# Usage: bench/compare_frame_commands.sh [build dir]   (default: build; needs
# an X display or runs itself under xvfb-run)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
py=/usr/bin/python3
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"; fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1 NO_AT_BRIDGE=1

# A sprite crossing a banded picture, a clock digit blinking in a corner and
# every tenth frame a band scrolled: most frames change a little, some a lot.
$py - "$dir" <<'PY'
import sys, os
import numpy as np
from PIL import Image
out = sys.argv[1]
H, W = 480, 640
y, x = np.mgrid[0:H, 0:W]
pic = np.stack([(x * 6 // W) * 40, (y * 6 // H) * 40, ((x + y) // 80 % 4) * 60], -1).astype(np.uint8)
for k in range(200):
    f = pic.copy()
    cx, cy = 30 + (k * 3) % 580, 100 + (k * 7) % 280
    f[(x - cx) ** 2 + (y - cy) ** 2 < 600] = (255, 220, 0)
    f[20:44, 560:620] = (0, 0, 0)
    f[26:38, 566 + (k % 10) * 5:571 + (k % 10) * 5] = (255, 80, 80)
    if k % 10 == 9:
        f[400:440] = np.roll(f[400:440], 8 * k, axis=1)
    Image.fromarray(f).save(os.path.join(out, f"f{k:03d}.png"))
PY
convert -delay 4 -dispose none "$dir"/f*.png "$dir/full.gif"
gifsicle -O2 "$dir/full.gif" -o "$dir/o2.gif"

best() {  # best of three wall times of a command, in ms
  local best=999999999 t0 t1 t
  for _ in 1 2 3; do
    t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N)
    t=$(( (t1 - t0) / 1000000 ))
    (( t < best )) && best=$t
  done
  echo "$best"
}
o2_ms=$(best gifsicle -O2 "$dir/full.gif" -o "$dir/t.gif")
un_ms=$(best gifsicle --unoptimize "$dir/o2.gif" -o "$dir/t.gif")
PICTORAVELL_FRAME_BENCH_FILE="$dir/full.gif" PICTORAVELL_FRAME_BENCH_O2="$dir/o2.gif" \
  "$build/pictoravell_ui_bench" --benchmark_filter='BM_FrameCommand' --benchmark_format=json 2>/dev/null >"$dir/ours.json"
read -r opt_ms exp_ms kept frames < <($py - "$dir/ours.json" <<'PY'
import json, sys
b = {x["name"].split("/")[0]: x for x in json.load(open(sys.argv[1]))["benchmarks"]}
o, e = b["BM_FrameCommandOptimize"], b["BM_FrameCommandExpand"]
print(round(o["real_time"]), round(e["real_time"]), int(o["kept_pixels"]), int(o["frames"]))
PY
)
g_kept=$($py - "$dir/o2.gif" <<'PY'
import re, subprocess, sys
info = subprocess.run(["gifsicle", "--info", sys.argv[1]], capture_output=True, text=True).stdout
print(sum(int(w) * int(h) for w, h in re.findall(r"\+ image #\d+ (\d+)x(\d+)", info)))
PY
)
ratio() { $py -c "print(round($1 / max($2, 1), 2))"; }
echo "$frames frames of 640 x 480 ($(stat -c %s "$dir/full.gif") bytes as GIF)"
echo "Optimize (menu command, frames in memory): ours ${opt_ms} ms; gifsicle -O2 (read, optimise, write) ${o2_ms} ms; ratio $(ratio "$o2_ms" "$opt_ms")"
echo "  pixels kept: ours ${kept}; gifsicle -O2 ${g_kept}; of $(( frames * 640 * 480 ))"
echo "Expand of gifsicle's -O2 frames (menu command): ours ${exp_ms} ms; gifsicle --unoptimize ${un_ms} ms; ratio $(ratio "$un_ms" "$exp_ms")"
