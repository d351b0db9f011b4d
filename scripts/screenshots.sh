#!/usr/bin/env bash
# Redraws every picture in docs/ from today's code: the walkthrough's steps, the end-to-end road's
# rejected and finished grids, the number dialog turned, the create-task screen turned, the alert's
# styles and the component gallery's rows.
# Usage: scripts/screenshots.sh   (MIVO_BUILD_DIR, MIVO_DOCS_DIR as for the other scripts)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export MIVO_BUILD_DIR=${MIVO_BUILD_DIR:-$root/build}
export MIVO_DOCS_DIR=${MIVO_DOCS_DIR:-$root/docs}
build=$MIVO_BUILD_DIR
docs=$MIVO_DOCS_DIR
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$docs"

# The walkthrough, headless against its own stand-in server (run.sh builds first).
MIVO_DATA_DIR=$scratch/run "$root/scripts/run.sh" --headless >"$scratch/walkthrough.log" \
  || { cat "$scratch/walkthrough.log" >&2; exit 1; }
walk=$scratch/run/app/walkthrough
while read -r step picture; do
  cp "$walk/$step" "$docs/$picture"
  echo "screenshots: docs/$picture"
done <<'LIST'
03-new-task.png walkthrough-new-task.png
03-product-sheet-landscape.png walkthrough-landscape-sheet.png
04-grid-new.png grid-new.png
04b-edit-task.png walkthrough-edit-task.png
04c-edit-plan-sheet.png walkthrough-edit-sheet.png
05-camera.png grid-camera.png
05a-camera-landscape.png grid-camera-landscape.png
07-grid-all-shot.png grid-all-shot.png
07b-video-player.png movie-player.png
09-grid-to-upload.png grid-to-upload.png
11-upload-in-flight.png upload-in-flight.png
15-number-dialog.png number-dialog.png
16-finished-renumbered.png finished-renumbered.png
LIST

# The rejected and finished grids with the server's shots, as the end-to-end road leaves them.
rm -rf "$build/screenshots"
"$build/tests/e2e/test_e2e" --gtest_filter='Brands/RoadTest.*/arvel' >"$scratch/e2e.log" \
  || { cat "$scratch/e2e.log" >&2; exit 1; }
for grid in rejected finished; do
  cp "$build/screenshots/$grid-grid-arvel.png" "$docs/grid-$grid.png"
  echo "screenshots: docs/grid-$grid.png"
done

# The number dialog with the phone turned, as its test on the finished list leaves it.
"$build/tests/screens/tasks/test_screens_tasks" \
  --gtest_filter='*TaskDialogsTurnedTest.TheNumberDialogOpenedTurned*' >"$scratch/dialog.log" \
  || { cat "$scratch/dialog.log" >&2; exit 1; }
cp "$build/screenshots/number-dialog-landscape.png" "$docs/number-dialog-landscape.png"
echo "screenshots: docs/number-dialog-landscape.png"

# The create-task screen turned to landscape, filled in and scrolled to "开始拍摄", against a
# stand-in server of its own. Automation's points are the picture's own on either system version.
mkdir -p "$scratch/turned/server"
"$build/server/mivo-server" --host 127.0.0.1 --port 0 --data "$scratch/turned/server" \
  --port-file "$scratch/turned/server/port" >"$scratch/turned/server.log" 2>&1 &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [[ -s "$scratch/turned/server/port" ]] && break; sleep 0.05; done
"$build/app/mivo-inspector" --home "$scratch/turned/app" --headless --automation \
  --server http://127.0.0.1 --port "$(cat "$scratch/turned/server/port")" >"$scratch/turned/app.log" 2>"$scratch/turned/app.err" <<JSON
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","label":"用户名"}
{"cmd":"type","text":"arvel"}
{"cmd":"tap","label":"密码"}
{"cmd":"type","text":"123456"}
{"cmd":"tap","text":"登录"}
{"cmd":"wait","text":"新建任务","timeout":10}
{"cmd":"advance","seconds":1}
{"cmd":"rotate","orientation":"landscapeLeft"}
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","text":"新建任务"}
{"cmd":"advance","seconds":0.6}
{"cmd":"tap","label":"申请编号"}
{"cmd":"type","text":"A20240611"}
{"cmd":"tap","label":"库存地点"}
{"cmd":"type","text":"上海浦东仓"}
{"cmd":"tap","label":"保险公司"}
{"cmd":"type","text":"平安保险"}
{"cmd":"tap","label":"成交价格"}
{"cmd":"type","text":"86000"}
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","label":"产品类型"}
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","text":"常规产品"}
{"cmd":"advance","seconds":0.5}
{"cmd":"drag","from":[284,280],"to":[284,80],"duration":1}
{"cmd":"advance","seconds":1}
{"cmd":"tap","label":"拍摄方案"}
{"cmd":"advance","seconds":0.5}
{"cmd":"tap","text":"拆密封条-方案1"}
{"cmd":"advance","seconds":0.5}
{"cmd":"wait","text":"开始拍摄","timeout":1}
{"cmd":"screenshot","path":"$docs/new-task-landscape.png"}
{"cmd":"quit"}
JSON
if grep -q '"ok":false' "$scratch/turned/app.log"; then
  cat "$scratch/turned/app.log" >&2
  exit 1
fi
kill $server_pid 2>/dev/null || true
echo "screenshots: docs/new-task-landscape.png"

# The alert's styles (a program of the benchmarks' build).
if [[ -x "$build/bench/components/alert/alert_screenshots" ]]; then
  "$build/bench/components/alert/alert_screenshots" "$scratch/alert" >/dev/null
  cp "$scratch/alert/alert-edit.png" "$docs/alert-edit.png"
  echo "screenshots: docs/alert-edit.png"
fi

for script in "$root"/examples/components/*-screenshots.sh; do
  "$script"
done
