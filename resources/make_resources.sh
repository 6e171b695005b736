#!/bin/sh
# Makes the program's pictures from the drawing below, with ImageMagick and
# icoutils, and checks every image's size and colour depth:
#   Pendrix.ico     window and program-file icon, eleven images
#   About.ico       About window icon, nine images
#   PageIcon.ico    the 32 x 32, 256-colour picture of both pages and About
#   Background.bmp  the 400 x 300, 24-bit background of the main window
# The results are checked in; run this again after changing the drawing.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The master drawing, 256 x 256 with transparency: a page on a blue tile,
# with an orange arrow turning round it (a file put in another's place).
convert -size 256x256 xc:none \
    -fill '#1f5fa8' -stroke '#123b6b' -strokewidth 6 -draw 'roundrectangle 8,8 248,248 36,36' \
    -fill white -stroke '#c8d6e8' -strokewidth 4 -draw 'polygon 70,40 160,40 196,76 196,216 70,216' \
    -fill '#c8d6e8' -stroke none -draw 'polygon 160,40 160,76 196,76' \
    -stroke '#f08a24' -strokewidth 18 -fill none -draw 'arc 88,92 178,182 200,520' \
    -fill '#f08a24' -stroke none -draw 'polygon 150,80 196,104 150,128' \
    "$work/master.png"

# One image: size, then depth 1, 4, 8 (palette, binary transparency) or 32
# (full alpha). icotool stores each at the smallest depth its colours fit.
image() {
    size=$1 depth=$2 out="$work/${1}_$2.png"
    case $depth in
    1) convert "$work/master.png" -resize "${size}x$size" -background white -alpha remove -monochrome PNG8:"$out" ;;
    4) convert "$work/master.png" -resize "${size}x$size" -channel A -threshold 50% +channel -colors 15 +dither PNG8:"$out" ;;
    8) convert "$work/master.png" -resize "${size}x$size" -channel A -threshold 50% +channel -colors 255 PNG8:"$out" ;;
    32) convert "$work/master.png" -resize "${size}x$size" PNG32:"$out" ;;
    esac
    echo "$out"
}

# icon FILE SIZExDEPTH...: makes FILE and checks that it holds exactly
# those images, in that order.
icon() {
    file=$1
    shift
    inputs="" expected=""
    for entry in "$@"; do
        size=${entry%x*} depth=${entry#*x}
        inputs="$inputs $(image "$size" "$depth")"
        expected="$expected${size}x${size}x$depth "
    done
    # shellcheck disable=SC2086
    icotool -c -o "$file" $inputs
    found=$(icotool -l "$file" | sed 's/.*--width=\([0-9]*\) --height=\([0-9]*\) --bit-depth=\([0-9]*\).*/\1x\2x\3/' | tr '\n' ' ')
    if [ "$found" != "$expected" ]; then
        echo "$file: expected $expected, made $found" >&2
        exit 1
    fi
}

icon Pendrix.ico 48x4 32x4 16x4 48x8 32x8 24x8 16x8 48x32 32x32 24x32 16x32
icon About.ico 32x4 32x1 16x4 48x8 32x8 16x8 48x32 32x32 16x32
icon PageIcon.ico 32x8

# The background: white, a blue band along the top with the master drawing
# at its left, and a light band behind the row of buttons at the bottom.
convert -size 400x300 xc:white \
    \( -size 400x56 gradient:'#1f5fa8'-'#6d9bd6' \) -geometry +0+0 -composite \
    -fill '#f08a24' -draw 'rectangle 0,56 399,58' \
    -fill '#eef3fa' -draw 'rectangle 0,210 399,299' \
    -fill '#c8d6e8' -draw 'rectangle 0,210 399,210' \
    \( "$work/master.png" -resize 40x40 \) -geometry +12+8 -composite \
    -alpha off -type TrueColor BMP3:Background.bmp
size=$(identify -format '%wx%h %[bit-depth] %[channels]' Background.bmp)
case $size in
"400x300 8 srgb" | "400x300 8 rgb") ;;
*) echo "Background.bmp: expected 400x300 24-bit, made $size" >&2; exit 1 ;;
esac
echo "resources made in $(pwd)"
