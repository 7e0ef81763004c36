#!/usr/bin/env bash
# Side-by-side timing of resampling, reduction, rotation and blur on one
# 6000 x 4000 photograph-like picture, one thread each:
#   ours         the pictoravell_bench binary (Google Benchmark, PICTORAVELL_BENCH_IMAGE)
#   ImageMagick  convert -limit thread 1 (picture held in memory; reading the
#                file is timed separately and subtracted)
#   libvips      vips CLI with VIPS_CONCURRENCY=1 (native .v files; the time
#                of reading the picture, `vips avg`, is subtracted; writing
#                the result stays in; vips overlaps reading with computing,
#                so where its operation costs less than the read the figure
#                is only a lower bound)
# Prints milliseconds per operation and how many times faster ours is.
#
# usage: bench/compare_resample.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bench=$build/pictoravell_bench
[ -x "$bench" ] || { echo "build $bench first (JOBS=3 bash scripts/build.sh $build)" >&2; exit 1; }
convert=/usr/bin/convert
[ -x "$convert" ] || convert=$(command -v convert)
command -v vips >/dev/null || { echo "vips (libvips-tools) is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ImageMagick's default policy caps its pixel cache at 256 MiB, which sends a
# picture of this size to a disk cache; give it enough memory to be fair.
mkdir -p "$work/im"
cat > "$work/im/policy.xml" <<'EOF'
<policymap>
  <policy domain="resource" name="memory" value="8GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="area" value="4GP"/>
  <policy domain="resource" name="width" value="64KP"/>
  <policy domain="resource" name="height" value="64KP"/>
  <policy domain="resource" name="disk" value="16GiB"/>
</policymap>
EOF
export MAGICK_CONFIGURE_PATH=$work/im
export VIPS_CONCURRENCY=1
export OMP_NUM_THREADS=1

echo "making the picture (plasma fractal with grain, 6000 x 4000)..."
"$convert" -limit thread 1 -size 1500x1000 -seed 7 plasma:fractal -resize '6000x4000!' \
  -attenuate 0.3 +noise Gaussian -depth 8 "$work/photo.ppm"
vips copy "$work/photo.ppm" "$work/photo.v"
# The same with an alpha channel, for the masked resampling rows.
"$convert" "$work/photo.ppm" -alpha set -channel A -evaluate set 70% +channel "$work/photo.pam"

# Best wall time in ms of a command, over $runs runs.
runs=${RUNS:-2}
best_ms() {
  local best=
  for _ in $(seq "$runs"); do
    local t0 t1
    t0=$(date +%s%N)
    if ! "$@" >/dev/null 2>&1; then echo "failed: $*" >&2; echo -1; return; fi
    t1=$(date +%s%N)
    local ms=$(( (t1 - t0) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}
im_base=$(best_ms "$convert" -limit thread 1 "$work/photo.ppm" null:)
im() {
  local t; t=$(best_ms "$convert" -limit thread 1 "$work/photo.ppm" "$@" null:)
  if [ "$t" -lt 0 ]; then echo -; else echo $(( t > im_base ? t - im_base : 1 )); fi
}
vips_base=$(best_ms vips avg "$work/photo.v")
vp() {
  local op=$1; shift
  local t; t=$(best_ms vips "$op" "$work/photo.v" "$work/out.v" "$@")
  if [ "$t" -lt 0 ]; then echo -; else echo $(( t > vips_base ? t - vips_base : 1 )); fi
}

echo "running our benchmarks..."
PICTORAVELL_BENCH_IMAGE=$work/photo.ppm "$bench" \
  --benchmark_filter='BM_ResampleImage/|BM_ResampleImageMasked/5/|BM_ReduceImage/25|BM_RotateImage/17|BM_RotateImage/90|BM_BlurImage/5' \
  --benchmark_min_time=0.5 --benchmark_format=csv 2>/dev/null > "$work/ours.csv"
ours() {  # benchmark name -> ms (real time)
  awk -F, -v n="\"$1\"" '$1 == n { printf "%d", $3 + 0.5 }' "$work/ours.csv"
}

printf '\n%-34s %9s %9s %9s %10s %10s\n' "operation (6000x4000, 1 thread)" "ours ms" "IM ms" "vips ms" "IM/ours" "vips/ours"
row() {  # label ours im vips
  local label=$1 o=$2 i=$3 v=$4 ri=- rv=-
  [ -n "$o" ] || o=-
  [ "$i" != - ] && [ "$o" != - ] && ri=$(awk -v a="$i" -v b="$o" 'BEGIN { printf "%.2fx", a / b }')
  [ "$v" != - ] && [ "$o" != - ] && rv=$(awk -v a="$v" -v b="$o" 'BEGIN { printf "%.2fx", a / b }')
  printf '%-34s %9s %9s %9s %10s %10s\n' "$label" "$o" "$i" "$v" "$ri" "$rv"
}

names=(hermite box triangle bell bspline lanczos3 mitchell)
im_filters=(Hermite Box Triangle Quadratic Spline Lanczos Mitchell)
vips_kernels=(- - linear - - lanczos3 mitchell)
for pct in 25 150; do
  w=$((6000 * pct / 100)); h=$((4000 * pct / 100))
  scale=$(awk -v p="$pct" 'BEGIN { print p / 100 }')
  for f in 0 1 2 3 4 5 6; do
    o=$(ours "BM_ResampleImage/$f/$pct/min_time:1.000")
    [ -n "$o" ] || o=$(ours "BM_ResampleImage/$f/$pct")
    i=$(im -filter "${im_filters[$f]}" -resize "${w}x${h}!")
    v=-
    [ "${vips_kernels[$f]}" != - ] && v=$(vp resize "$scale" --kernel "${vips_kernels[$f]}" --gap 0)
    row "resample ${names[$f]} to $pct%" "$o" "$i" "$v"
  done
done
im_alpha() {
  local base t
  base=$(best_ms "$convert" -limit thread 1 "$work/photo.pam" null:)
  t=$(best_ms "$convert" -limit thread 1 "$work/photo.pam" "$@" null:)
  if [ "$t" -lt 0 ]; then echo -; else echo $(( t > base ? t - base : 1 )); fi
}
row "resample lanczos3 25%, with alpha" "$(ours BM_ResampleImageMasked/5/25)" \
  "$(im_alpha -filter Lanczos -resize 1500x1000!)" -
row "resample lanczos3 150%, with alpha" "$(ours BM_ResampleImageMasked/5/150)" \
  "$(im_alpha -filter Lanczos -resize 9000x6000!)" -
row "area average to 25%" "$(ours BM_ReduceImage/25)" "$(im -scale 1500x1000!)" "$(vp shrink 4 4)"
row "rotate 90" "$(ours BM_RotateImage/90)" "$(im -rotate 90)" "$(vp rot d90)"
row "rotate 17 (bicubic class)" "$(ours BM_RotateImage/17)" "$(im -rotate 17)" \
  "$(vp rotate 343 --interpolate bicubic)"
row "blur (box r5 / gaussian sigma 5)" "$(ours BM_BlurImage/5)" "$(im -blur 0x5)" "$(vp gaussblur 5)"
echo
echo "IM/ours and vips/ours above 1 mean ours is faster. ImageMagick: $("$convert" -version | head -1 | cut -d' ' -f2-4);"
echo "libvips: $(vips --version). Blur compares our box blur with the peers' Gaussian of the same radius."
