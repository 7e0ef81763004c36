#!/usr/bin/env bash
# Installs the Debian packages this project builds, tests and benchmarks with,
# only those not installed yet. Safe to run again; needs root (or sudo).
set -euo pipefail

BUILD=(cmake ninja-build g++ pkg-config ccache
       libwxgtk3.2-dev libjpeg-dev libpng-dev libtiff-dev zlib1g-dev
       libcurl4-openssl-dev libglib2.0-dev libcairo2-dev)
TEST=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
      xvfb xauth x11-apps fonts-dejavu-core poppler-utils python3-pyftpdlib
      imagemagick netpbm python3-pil python3-numpy python3-scipy
      gifsicle giflib-tools libtiff-tools libjpeg-turbo-progs
      pngcheck optipng pngcrush pngquant libvips-tools libimage-exiftool-perl exiv2
      xdotool openbox x11-utils xclip desktop-file-utils)

want=("${BUILD[@]}")
[ "${1:-}" = "--test" ] && want+=("${TEST[@]}")

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
done
((${#missing[@]})) || exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
