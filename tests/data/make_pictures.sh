#!/usr/bin/env bash
# Writes the picture files the native reader tests read, into the folder
# given: PNGs of every layout (make_png.py), and GIF and WebP files made by
# ImageMagick, cwebp and gif2webp from them.
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
touch "$out/stamp"
