#!/usr/bin/env bash
# Photographs the image viewer's interaction in the component gallery by automation, into docs/:
# pinched in, double-tapped in, a drag springing back, a flick in flight, the copy menu and a
# slow download's progress bar; and writes the viewer's accessibility texts beside them.
# Usage: examples/components/imageviewer-interaction-screenshots.sh [BUILD_DIR]
[[ $# -gt 0 ]] && export MIVO_BUILD_DIR=$1
source "$(dirname "$0")/screenshots-common.sh"
gallery >"$home/answers.jsonl" <<JSON
{"cmd":"tap","text":"Image viewer"}
{"cmd":"advance","seconds":0.6}
{"cmd":"tap","text":"Local photo"}
{"cmd":"advance","seconds":0.6}
{"cmd":"find","label":"图片"}
{"cmd":"pinch","x":160,"y":284,"scale":2.2,"duration":0.4}
{"cmd":"advance","seconds":0.5}
{"cmd":"screenshot","path":"$docs/imageviewer-pinched.png"}
{"cmd":"doubletap","x":160,"y":284}
{"cmd":"advance","seconds":0.5}
{"cmd":"doubletap","x":100,"y":250}
{"cmd":"advance","seconds":0.5}
{"cmd":"screenshot","path":"$docs/imageviewer-double-tapped.png"}
{"cmd":"find","label":"图片"}
{"cmd":"doubletap","x":160,"y":284}
{"cmd":"advance","seconds":0.5}
{"cmd":"drag","from":[220,300],"to":[250,420],"duration":1.0}
{"cmd":"screenshot","path":"$docs/imageviewer-drag-released.png"}
{"cmd":"advance","seconds":1}
{"cmd":"longpress","x":160,"y":284}
{"cmd":"advance","seconds":0.2}
{"cmd":"screenshot","path":"$docs/imageviewer-copy-menu.png"}
{"cmd":"tap","text":"拷贝"}
{"cmd":"pasteboard"}
{"cmd":"drag","from":[200,284],"to":[280,200],"duration":0.1}
{"cmd":"advance","seconds":0.12}
{"cmd":"screenshot","path":"$docs/imageviewer-flick.png"}
{"cmd":"advance","seconds":1.5}
{"cmd":"tap","text":"URL image"}
{"cmd":"advance","seconds":0.6}
{"cmd":"wait","text":"never shown","timeout":0.5}
{"cmd":"advance","seconds":0.3}
{"cmd":"screenshot","path":"$docs/imageviewer-progress.png"}
{"cmd":"quit"}
JSON
cat "$home/answers.jsonl"
echo "screenshots in $docs/imageviewer-*.png"
