#!/usr/bin/env bash
# Redraws the gallery screenshots of the action sheet, the popover and the switch in docs/, by
# automation of example-components (headless, on its manual clock).
source "$(dirname "$0")/screenshots-common.sh"

# shoot PICTURE ROW [--tablet]: opens the row, runs the commands on stdin, saves docs/PICTURE.
shoot() {
  local picture=$1 row=$2
  shift 2
  {
    printf '{"cmd":"tap","text":"%s"}\n{"cmd":"advance","seconds":1}\n' "$row"
    cat
    printf '{"cmd":"screenshot","path":"%s"}\n{"cmd":"quit"}\n' "$docs/$picture"
  } | gallery "$@" 2>/dev/null | while read -r answer; do
    [[ $answer == *'"ok":true'* ]] || { echo "screenshots: $picture: $answer" >&2; exit 1; }
  done
  echo "screenshots: docs/$picture"
}

shoot gallery-action-sheet.png "Action sheet" <<'JSON'
{"cmd":"tap","text":"多个分区"}
{"cmd":"advance","seconds":1}
JSON

shoot gallery-popover.png "Popover" --tablet <<'JSON'
{"cmd":"tap","text":"箭头向左"}
{"cmd":"advance","seconds":1}
JSON

shoot gallery-switch.png "Switch" <<'JSON'
{"cmd":"drag","from":[225,103],"to":[280,103],"duration":0.3}
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","label":"开关:文字"}
{"cmd":"advance","seconds":0.5}
JSON
