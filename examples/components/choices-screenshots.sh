#!/usr/bin/env bash
# Redraws the gallery screenshots of the action sheet, the popover and the switch in docs/, by
# automation of example-components (headless, on its manual clock).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
gallery=${MIVO_BUILD_DIR:-$root/build}/examples/example-components
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

run() { # options..., then commands on stdin; fails on the first command that fails
  "$gallery" --headless --automation --home "$home" "$@" 2>/dev/null | while read -r answer; do
    [[ $answer == *'"ok":true'* ]] || { echo "screenshots: $answer" >&2; exit 1; }
  done
}

run <<JSON
{"cmd":"tap","text":"Action sheet"}
{"cmd":"advance","seconds":1}
{"cmd":"tap","text":"多个分区"}
{"cmd":"advance","seconds":1}
{"cmd":"screenshot","path":"$root/docs/gallery-action-sheet.png"}
{"cmd":"quit"}
JSON

run --tablet <<JSON
{"cmd":"tap","text":"Popover"}
{"cmd":"advance","seconds":1}
{"cmd":"tap","text":"箭头向左"}
{"cmd":"advance","seconds":1}
{"cmd":"screenshot","path":"$root/docs/gallery-popover.png"}
{"cmd":"quit"}
JSON

run <<JSON
{"cmd":"tap","text":"Switch"}
{"cmd":"advance","seconds":1}
{"cmd":"drag","from":[225,103],"to":[280,103],"duration":0.3}
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","label":"开关:文字"}
{"cmd":"advance","seconds":0.5}
{"cmd":"screenshot","path":"$root/docs/gallery-switch.png"}
{"cmd":"quit"}
JSON
echo "screenshots: docs/gallery-action-sheet.png docs/gallery-popover.png docs/gallery-switch.png"
