#!/usr/bin/env bash
# Makes the small movie the media tests play, with Debian's ffmpeg:
#   colour_bars.avi   64 x 48, 2 s at 10 frames a second, MS Video 1, no sound.
#                     Left half red, right half blue, so that a test can tell a
#                     drawn frame from the black panel behind it by its pixels.
# The output is committed; run this again only to change it.
set -euo pipefail
cd "$(dirname "$0")"
ffmpeg -hide_banner -loglevel error -y \
  -f lavfi -i "color=c=red:s=32x48:r=10:d=2[l];color=c=blue:s=32x48:r=10:d=2[r];[l][r]hstack=inputs=2" \
  -c:v msvideo1 -pix_fmt rgb555le -fflags +bitexact -flags +bitexact -map_metadata -1 \
  colour_bars.avi
