#!/usr/bin/env bash
# Photographs the image viewer in the component gallery by automation, into docs/: the growth
# out of the thumbnail mid-way and at rest, the collapse mid-way, in portrait and in landscape.
# Usage: examples/components/imageviewer-screenshots.sh [BUILD_DIR]
[[ $# -gt 0 ]] && export MIVO_BUILD_DIR=$1
source "$(dirname "$0")/screenshots-common.sh"
# A tap closes the viewer once a double tap can no longer follow; 0.45 s after it the 0.3 s
# collapse is half-way.
gallery >/dev/null <<JSON
{"cmd":"tap","text":"Image viewer"}
{"cmd":"advance","seconds":0.6}
{"cmd":"tap","text":"Local photo"}
{"cmd":"advance","seconds":0.15}
{"cmd":"screenshot","path":"$docs/imageviewer-portrait-presenting.png"}
{"cmd":"advance","seconds":0.4}
{"cmd":"screenshot","path":"$docs/imageviewer-portrait-open.png"}
{"cmd":"tap","x":160,"y":284}
{"cmd":"advance","seconds":0.45}
{"cmd":"screenshot","path":"$docs/imageviewer-portrait-dismissing.png"}
{"cmd":"advance","seconds":1}
{"cmd":"tap","text":"Scaled + blurred"}
{"cmd":"rotate","orientation":"landscapeLeft"}
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","text":"Local photo"}
{"cmd":"advance","seconds":0.15}
{"cmd":"screenshot","path":"$docs/imageviewer-landscape-presenting.png"}
{"cmd":"advance","seconds":0.4}
{"cmd":"screenshot","path":"$docs/imageviewer-landscape-open.png"}
{"cmd":"tap","x":160,"y":284}
{"cmd":"advance","seconds":0.45}
{"cmd":"screenshot","path":"$docs/imageviewer-landscape-dismissing.png"}
{"cmd":"quit"}
JSON
echo "screenshots in $docs/imageviewer-*.png"
