#!/usr/bin/env bash
# Redraws every picture in docs/ from today's code: the walkthrough's steps, the end-to-end road's
# rejected and finished grids, the alert's styles and the component gallery's rows.
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

# The alert's styles (a program of the benchmarks' build).
if [[ -x "$build/bench/components/alert/alert_screenshots" ]]; then
  "$build/bench/components/alert/alert_screenshots" "$scratch/alert" >/dev/null
  cp "$scratch/alert/alert-edit.png" "$docs/alert-edit.png"
  echo "screenshots: docs/alert-edit.png"
fi

for script in "$root"/examples/components/*-screenshots.sh; do
  "$script"
done
