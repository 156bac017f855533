#!/usr/bin/env bash
# Writes the JPEG seeds into the folder $1: tiny images the system ffmpeg makes, in the
# thumbnail's colour form and in grey.
set -euo pipefail
out=$1
command -v ffmpeg > /dev/null || { echo "jpeg_size seeds: ffmpeg is not installed" >&2; exit 1; }
make_jpeg() {
  local name=$1
  shift
  ffmpeg -loglevel error -nostdin -y -f lavfi "$@" -frames:v 1 "$out/$name"
}
make_jpeg red-16x16.jpg -i color=red:s=16x16
make_jpeg grey-3x5.jpg -i color=gray:s=3x5 -pix_fmt gray
