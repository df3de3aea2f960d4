#!/usr/bin/env bash
# Writes the picture files the native reader tests read, into the folder
# given: PNGs of every layout (make_png.py), and GIF, WebP, TIFF, HEIF and
# AVIF files made by ImageMagick, cwebp, gif2webp, tiffcp, heif-enc and
# avifenc from them.
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
writers="$here/../../tools/pictures"
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
# JPEG's YCbCr, colour planes stored apart, a bilevel fax, alpha, a turned
# one, and two pages.
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
tiffcp -c lzw -p separate "$out/tiff/None.tif" "$out/tiff/planes.tif"
# HEIF and AVIF pictures of the quarters, by heif-enc (libheif with x265)
# and avifenc (libavif with aom): nearly lossless; with alpha; 10 bits; grids
# of 2 × 2 tiles (the HEIC one put together by tools/pictures/make_heic_grid.py
# from tiles heif-enc coded, as phones store photos, and cut to 250 × 190);
# turned and mirrored.
mkdir -p "$out/heif"
h="$out/heif"
# (heif-enc reads only true-colour PNGs aright)
convert "$q" PNG24:"$h/rgb.png"
convert "$q" -alpha set -channel A -fx 'i<32 ? 1 : 0.5' +channel PNG32:"$h/alpha.png"
convert "$q" -scale 400% "$h/large.png"
convert "$h/large.png" +repage -crop 128x96 +repage -type TrueColor -define png:color-type=2 "$h/tile-%d.png"
heif-enc -q 98 "$h/rgb.png" -o "$h/quarters.heic" >/dev/null
heif-enc -q 98 "$h/alpha.png" -o "$h/alpha.heic" >/dev/null
for i in 0 1 2 3; do heif-enc -q 98 "$h/tile-$i.png" -o "$h/tile-$i.heic" >/dev/null; done
python3 "$writers/make_heic_grid.py" "$h/grid.heic" 250 190 2 2 "$h"/tile-{0,1,2,3}.heic
avifenc -s 10 --min 0 --max 4 "$q" "$h/quarters.avif" >/dev/null
avifenc -s 10 --min 0 --max 4 "$h/alpha.png" "$h/alpha.avif" >/dev/null
avifenc -s 10 --min 0 --max 4 -d 10 "$q" "$h/10bit.avif" >/dev/null
avifenc -s 10 --min 0 --max 4 --grid 2x2 "$h/large.png" "$h/grid.avif" >/dev/null
avifenc -s 10 --min 0 --max 4 --irot 1 --imir 1 "$q" "$h/turned.avif" >/dev/null

# Colours with a profile: Display P3 red (200, 60, 40) in every kind that
# carries an ICC profile, an animated PNG too, and ImageMagick's (Little
# CMS's) sRGB copy of it as the reference; and an AVIF that says Display P3 by its colour description.
mkdir -p "$out/colour"
c="$out/colour"
python3 "$writers/make_icc.py" "$c"
convert -size 64x48 xc:'rgb(200,60,40)' -depth 8 PNG24:"$c/plain.png"
convert "$c/plain.png" -profile "$c/display-p3.icc" PNG24:"$c/p3.png"
convert "$c/p3.png" -profile "$c/srgb.icc" "$c/srgb-copy.png"
convert "$c/p3.png" -quality 98 -sampling-factor 1x1 "$c/p3.jpg"
convert "$c/p3.png" -compress LZW "$c/p3.tif"
ffmpeg -loglevel error -y -stream_loop 1 -i "$c/p3.png" -plays 0 -f apng "$c/p3.apng"  # two frames
cwebp -quiet -q 98 -metadata icc "$c/p3.png" -o "$c/p3.webp"
heif-enc -q 98 "$c/p3.png" -o "$c/p3.heic" >/dev/null
avifenc -s 10 --min 0 --max 4 --ignore-icc --cicp 12/13/6 "$c/plain.png" "$c/p3-described.avif" >/dev/null
touch "$out/stamp"
