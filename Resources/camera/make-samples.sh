#!/bin/sh
# Regenerates the camera's sample media from ffmpeg's built-in test sources: four photos
# (JPEG, one of them portrait) and one short video (MPEG-4 Part 2 in MP4). Bit-exact flags keep
# the output identical from run to run on the same ffmpeg.
set -eu
cd "$(dirname "$0")"

ff() { ffmpeg -hide_banner -loglevel error -y -fflags +bitexact "$@"; }
photo() { # source filter, output name
    ff -f lavfi -i "$1" -frames:v 1 -flags +bitexact -pix_fmt yuvj420p -q:v 4 "$2"
}

photo "testsrc2=size=1600x1200:rate=1" sample-photo-1.jpg
photo "smptehdbars=size=1600x1200:rate=1" sample-photo-2.jpg
photo "mandelbrot=size=1600x1200:rate=1:maxiter=256" sample-photo-3.jpg
photo "testsrc=size=1200x1600:rate=1" sample-photo-4-portrait.jpg

ff -f lavfi -i "testsrc=size=640x480:rate=25:duration=2.4" -c:v mpeg4 -q:v 6 -g 25 \
    -pix_fmt yuv420p -flags +bitexact -map_metadata -1 -movflags +faststart sample-video.mp4

# A portrait photo as a phone stores it: landscape pixels (the portrait picture turned 90 degrees
# counter-clockwise) with EXIF orientation 6, "turn clockwise to show".
ff -f lavfi -i "testsrc2=size=1200x1600:rate=1" -frames:v 1 -vf transpose=2 -flags +bitexact \
    -pix_fmt yuvj420p -q:v 4 sideways.jpg
{
    head -c 2 sideways.jpg
    # APP1: "Exif", a big-endian TIFF header and one IFD entry: Orientation (0x0112), SHORT, 6.
    printf '\377\341\000\042Exif\000\000MM\000\052\000\000\000\010'
    printf '\000\001\001\022\000\003\000\000\000\001\000\006\000\000\000\000\000\000'
    tail -c +3 sideways.jpg
} > sample-photo-5-portrait-exif6.jpg
rm sideways.jpg
