#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#  1. the program, its window tests (under Xvfb) and the core tests;
#  2. every test again under AddressSanitizer and UBSan (clang), with every
#     fuzz target run over its corpus of kept inputs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
t0=$SECONDS
bash scripts/deps.sh --test
echo "== packages ready after $((SECONDS - t0)) s"

export PICTORAVELL_REQUIRE_TOOLS=1 NO_AT_BRIDGE=1
jobs=$(nproc)

bash scripts/build.sh build -DPICTORAVELL_UI=ON -DPICTORAVELL_BENCH=ON -DPICTORAVELL_SANITIZE=OFF -DPICTORAVELL_FUZZ=OFF
echo "== main build after $((SECONDS - t0)) s"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600
echo "== main tests after $((SECONDS - t0)) s"

CC=clang CXX=clang++ bash scripts/build.sh build-sanitize \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPICTORAVELL_UI=ON -DPICTORAVELL_BENCH=OFF \
  -DPICTORAVELL_SANITIZE=ON -DPICTORAVELL_FUZZ=ON
echo "== sanitizer build after $((SECONDS - t0)) s"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs" --timeout 1500
echo "== all tests passed after $((SECONDS - t0)) s"
