#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it with any image
# files given: scripts/run.sh [image files...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" "$root/build" -DPICTORAVELL_UI=ON -DPICTORAVELL_SANITIZE=OFF -DPICTORAVELL_FUZZ=OFF
args=()
for f in "$@"; do
  case "$f" in -*) args+=("$f") ;; *) args+=("$(realpath -m -- "$f")") ;; esac
done
exec "$root/build/pictoravell" "${args[@]}"
