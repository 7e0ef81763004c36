#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
# Share compiled objects between clones of the tree.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_SLOPPINESS=pch_defines,time_macros
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j"${JOBS:-$(nproc)}"
