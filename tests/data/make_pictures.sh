#!/usr/bin/env bash
# Writes the picture files the native reader tests read, into the folder
# given: PNGs of every layout (make_png.py), and GIF, WebP and TIFF files
# made by ImageMagick, cwebp, gif2webp and tiffcp from them.
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
python3 "$here/make_png.py" "$out/png"

# A 64 × 48 picture of four flat quarters, and an animation of three frames:
# red 200 ms, green 0 ms (shown as 100 ms), blue 300 ms, shown twice in all.
convert -size 32x24 xc:'#FF0000' xc:'#00FF00' +append \( -size 32x24 xc:'#0000FF' xc:'#FFFF00' +append \) -append \
  -depth 8 "$out/quarters.png"
convert -size 16x16 -delay 20 xc:'#FF0000' -delay 0 xc:'#00FF00' -delay 30 xc:'#0000FF' -loop 1 "$out/im_anim.gif"
convert -size 16x16 xc:'#FF0000' -interlace GIF "$out/im_interlaced.gif"
# Noise, which hardly compresses: a PNG of about a megabyte.
convert -size 600x400 xc: -seed 7 -channel RGB -fx 'rand()' -depth 8 "$out/noise.png"

cwebp -quiet -q 90 "$out/quarters.png" -o "$out/lossy.webp"
cwebp -quiet -lossless "$out/quarters.png" -o "$out/lossless.webp"
cwebp -quiet -lossless -exact "$out/png/type6_8.png" -o "$out/alpha_lossless.webp"
cwebp -quiet -q 90 -alpha_q 100 "$out/png/type6_8.png" -o "$out/alpha_lossy.webp"
gif2webp -quiet "$out/im_anim.gif" -o "$out/anim.webp"
# TIFFs of the quarters in every common layout, written by ImageMagick
# (libtiff) and tiffcp: each compression, tiles, 16 bits, palette, grey, CMYK,
# JPEG's YCbCr, a bilevel fax, alpha, a turned one, and two pages.
mkdir -p "$out/tiff"
q="$out/quarters.png"
rgb=(-type TrueColor)
for c in None LZW Zip RLE JPEG; do convert "$q" "${rgb[@]}" -compress "$c" -quality 95 "$out/tiff/$c.tif"; done
convert "$q" "${rgb[@]}" -compress LZW -define tiff:tile-geometry=16x16 "$out/tiff/tiles.tif"
convert "$q" "${rgb[@]}" -depth 16 -compress Zip "$out/tiff/16bit.tif"
convert "$q" -type Palette -compress LZW "$out/tiff/palette.tif"
convert "$q" -colorspace Gray -compress LZW "$out/tiff/grey.tif"
convert "$q" -colorspace CMYK -compress LZW "$out/tiff/cmyk.tif"
convert -size 64x48 xc:white -fill black -draw 'rectangle 0,0 31,23' -monochrome -compress Group4 "$out/tiff/group4.tif"
convert -size 64x48 xc:white -fill black -draw 'rectangle 0,0 31,23' -monochrome -compress Fax "$out/tiff/group3.tif"
convert "$q" -alpha set -channel A -fx 'i<32 ? 1 : 0.5' +channel -compress LZW "$out/tiff/alpha.tif"
convert "$q" "${rgb[@]}" -orient right-top -compress LZW "$out/tiff/right-top.tif"
convert "$q" \( "$q" -negate \) -compress LZW "$out/tiff/two-pages.tif"
tiffcp -c lzw -r 8 "$out/tiff/None.tif" "$out/tiff/strips.tif"
tiffcp -c jpeg:95 -r 16 "$out/tiff/None.tif" "$out/tiff/ycbcr.tif"
touch "$out/stamp"
