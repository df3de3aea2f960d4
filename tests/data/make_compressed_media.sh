#!/usr/bin/env bash
# Makes the compressed media the Windows tests play through the MPEG device,
# with Debian's ffmpeg, into the folder given (the build tree; nothing here is
# committed):
#   bars.mpg   MPEG-1 video and MPEG audio layer II
#   bars.mp4   H.264 and AAC, the index first, so that half of the file still
#              holds what is needed to start playing
#   bars.wmv   Windows Media Video 8 and Audio 2
#   tone.mp3   MPEG audio layer III
# Every movie is 160 x 120, 2 s at 25 frames a second, its left half red and its
# right half blue, so that a test can tell a drawn frame from the black panel;
# every sound is a 2 s tone.
set -euo pipefail
out=${1:?usage: make_compressed_media.sh OUTPUT_FOLDER}
mkdir -p "$out"
bars="color=c=red:s=80x120:r=25:d=2[l];color=c=blue:s=80x120:r=25:d=2[r];[l][r]hstack=inputs=2"
tone="sine=frequency=440:duration=2"
make() {
  local name=$1; shift
  ffmpeg -hide_banner -loglevel error -nostdin -y "$@" -fflags +bitexact -map_metadata -1 "$out/$name.tmp.${name##*.}"
  mv "$out/$name.tmp.${name##*.}" "$out/$name"
}
make bars.mpg -f lavfi -i "$bars" -f lavfi -i "$tone" -c:v mpeg1video -b:v 200k -c:a mp2 -b:a 64k
make bars.mp4 -f lavfi -i "$bars" -f lavfi -i "$tone" -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
  -c:a aac -b:a 64k -movflags +faststart
make bars.wmv -f lavfi -i "$bars" -f lavfi -i "$tone" -c:v wmv2 -b:v 200k -c:a wmav2 -b:a 64k
make tone.mp3 -f lavfi -i "$tone" -c:a libmp3lame -b:a 64k
