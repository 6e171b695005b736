#!/bin/sh
# Copies Wine's own fonts (Debian's fonts-wine: Tahoma, Marlett, MS Sans
# Serif and the rest) into a prefix's C:\windows\Fonts. This Wine build does
# not look for them in its data folder: without the copy, title-bar buttons
# are drawn as the letter "r" (no Marlett) and a wider font cuts labels.
# Run it right after `wineboot -i`, before the prefix's programs start.
# Usage: tools/wine_fonts.sh PREFIX   (or with WINEPREFIX set)
set -eu
prefix=${1:-${WINEPREFIX:?WINEPREFIX must be set}}
source=${PENDRIX_WINE_FONTS:-/usr/share/wine/fonts}
if [ ! -f "$source/marlett.ttf" ]; then
    echo "Wine's fonts are missing from $source: install fonts-wine (tools/setup.sh does)" >&2
    exit 1
fi
target="$prefix/drive_c/windows/Fonts"
mkdir -p "$target"
cp -u "$source"/* "$target/"
