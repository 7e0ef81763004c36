#!/usr/bin/env bash
# Side-by-side quantisation to 256 colours, with and without dithering:
# this program (the adaptive palette plus mapping, in pictoravell_bench)
# against ImageMagick (-colors 256) and pngquant, on one photo-like
# 2400 x 1600 picture, one thread each. Quality is the PSNR against the
# input, measured for every result by ImageMagick's compare.
#
#   bench/compare_quantize.sh [build-dir] [input.ppm]
#
# Times: ours is the quantisation alone (image in memory); the others are
# whole command runs (reading the input, writing a PNG), so they carry a
# little I/O that ours does not; the I/O of a plain PPM-to-PNG conversion is
# printed for scale.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
bench=$build/pictoravell_bench
[ -x "$bench" ] || { echo "no $bench: build the benchmarks first" >&2; exit 1; }
for tool in convert compare pngquant; do
  command -v $tool >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

input=${2:-}
if [ -z "$input" ]; then
  input=$work/photo.ppm
  convert -seed 42 -size 2400x1600 plasma:fractal -blur 0x4 -attenuate 0.25 +noise Gaussian -depth 8 "$input"
fi
convert "$input" "$work/photo.png"
echo "input: $(identify -format '%wx%h, %k colours' "$input")"

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }
psnr() { compare -metric PSNR "$input" "$1" null: 2>&1 || true; }
best_of() {  # best_of N command... : the shortest of N runs, in seconds
  local n=$1 best= t0 t1 t; shift
  for _ in $(seq "$n"); do
    t0=$(now); "$@" >/dev/null 2>&1; t1=$(now)
    t=$(elapsed "$t0" "$t1")
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

# Ours: one JSON run of the benchmark, the fastest of three repetitions.
PICTORAVELL_QUANTIZE_INPUT=$input PICTORAVELL_QUANTIZE_OUTPUT=$work/ours.pam \
  "$bench" --benchmark_filter='BM_Quantize256' --benchmark_repetitions=3 \
  --benchmark_format=json >"$work/ours.json" 2>/dev/null
ours_time() {
  /usr/bin/python3 - "$work/ours.json" "$1" <<'PY'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type") == "iteration" and b["name"].startswith("BM_Quantize256/dither:" + sys.argv[2])]
print(min(b["real_time"] for b in runs) / 1000.0)
PY
}

io=$(best_of 3 convert "$input" "$work/io.png")
declare -A T P
T[ours_plain]=$(ours_time 0);  P[ours_plain]=$(psnr "$work/ours-plain.pam")
T[ours_dither]=$(ours_time 1); P[ours_dither]=$(psnr "$work/ours-dither.pam")
T[im_plain]=$(best_of 3 convert "$input" +dither -colors 256 "$work/im-plain.png")
P[im_plain]=$(psnr "$work/im-plain.png")
T[im_dither]=$(best_of 3 convert "$input" -colors 256 "$work/im-dither.png")
P[im_dither]=$(psnr "$work/im-dither.png")
T[im_fs]=$(best_of 3 convert "$input" -dither FloydSteinberg -colors 256 "$work/im-fs.png")
P[im_fs]=$(psnr "$work/im-fs.png")
T[pq_plain]=$(best_of 2 pngquant 256 --nofs --force --output "$work/pq-plain.png" "$work/photo.png")
P[pq_plain]=$(psnr "$work/pq-plain.png")
T[pq_dither]=$(best_of 2 pngquant 256 --force --output "$work/pq-dither.png" "$work/photo.png")
P[pq_dither]=$(psnr "$work/pq-dither.png")

printf '\n%-34s %9s %9s\n' "program" "time (s)" "PSNR (dB)"
row() { printf '%-34s %9.3f %9.2f\n' "$1" "${T[$2]}" "${P[$2]}"; }
row "ours, no dither" ours_plain
row "ImageMagick +dither" im_plain
row "pngquant --nofs" pq_plain
row "ours, diffusion" ours_dither
row "ImageMagick (default dither)" im_dither
row "ImageMagick -dither FloydSteinberg" im_fs
row "pngquant (dithered)" pq_dither
printf '%-34s %9.3f\n' "(ImageMagick PPM->PNG, I/O only)" "$io"

ratio() { echo "scale=3; $1 / $2" | bc -l; }
diff_db() { echo "scale=2; $1 - $2" | bc -l; }
echo
echo "time ours / pngquant:    no dither $(ratio "${T[ours_plain]}" "${T[pq_plain]}"), dithered $(ratio "${T[ours_dither]}" "${T[pq_dither]}")   (goal <= 2)"
echo "time ours / ImageMagick: no dither $(ratio "${T[ours_plain]}" "${T[im_plain]}"), dithered $(ratio "${T[ours_dither]}" "${T[im_fs]}")"
echo "PSNR ours - ImageMagick: no dither $(diff_db "${P[ours_plain]}" "${P[im_plain]}") dB, dithered $(diff_db "${P[ours_dither]}" "${P[im_dither]}") dB (vs FloydSteinberg $(diff_db "${P[ours_dither]}" "${P[im_fs]}") dB)   (goal >= 0)"
echo "PSNR ours - pngquant:    no dither $(diff_db "${P[ours_plain]}" "${P[pq_plain]}") dB, dithered $(diff_db "${P[ours_dither]}" "${P[pq_dither]}") dB"
