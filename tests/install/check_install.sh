#!/usr/bin/env bash
# Installs the program into a temporary prefix and checks what a desktop
# needs to offer it for pictures: the program, its desktop entry (valid, with
# the image types it reads), its icon and the Readme the program finds.
#   check_install.sh <build dir>
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$prefix/bin/pictoravell" ] || fail "no program in bin"
entry=$prefix/share/applications/pictoravell.desktop
[ -f "$entry" ] || fail "no desktop entry"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop entry not valid"
elif [ -n "${PICTORAVELL_REQUIRE_TOOLS:-}" ]; then
  fail "desktop-file-validate is missing"
fi
for type in image/bmp image/gif image/jpeg image/png image/tiff image/x-pict image/x-pcx image/x-tga; do
  grep -q "^MimeType=.*$type;" "$entry" || fail "desktop entry lacks $type"
done
grep -q '^Exec=pictoravell %F$' "$entry" || fail "Exec line"
[ -f "$prefix/share/icons/hicolor/scalable/apps/pictoravell.svg" ] || fail "no icon"
[ -f "$prefix/share/doc/pictoravell/Readme.txt" ] || fail "no Readme"
echo "installed and checked in $prefix"
