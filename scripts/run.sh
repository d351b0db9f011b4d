#!/usr/bin/env bash
# The run command: builds, starts the stand-in server on 127.0.0.1 and the app pointed at it.
# A window when there is a display, else the headless walkthrough. Options:
#   --keep-data   keep the app's and the server's data folders from the last run (default: fresh)
#   --headless    walk the road headless even when there is a display
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
keep=0; headless=0
for arg in "$@"; do
  case "$arg" in
    --keep-data) keep=1 ;;
    --headless) headless=1 ;;
    *) echo "run: unknown option $arg" >&2; exit 2 ;;
  esac
done
"$root/scripts/install-deps.sh"
export MIVO_BUILD_DIR=${MIVO_BUILD_DIR:-$root/build}
"$root/scripts/build.sh" >/dev/null

app="$MIVO_BUILD_DIR/app/mivo-inspector"
server="$MIVO_BUILD_DIR/server/mivo-server"
if [[ ! -x "$app" || ! -x "$server" ]]; then
  echo "run: the app and the stand-in server are not built yet; nothing to run."
  exit 0
fi

data=${MIVO_DATA_DIR:-$root/out/run}
if [[ $keep -eq 0 ]]; then rm -rf "$data"; fi
mkdir -p "$data/app" "$data/server"
# A kept folder holds the last run's port file: wait for this server's, not that one.
rm -f "$data/server/port"

"$server" --host 127.0.0.1 --port 0 --data "$data/server" --port-file "$data/server/port" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do [[ -s "$data/server/port" ]] && break; sleep 0.05; done
port=$(cat "$data/server/port")
echo "run: stand-in server on http://127.0.0.1:$port"

if [[ $headless -eq 0 && -n "${DISPLAY:-}" ]]; then
  "$app" --home "$data/app" --server "http://127.0.0.1" --port "$port"
else
  "$app" --home "$data/app" --server "http://127.0.0.1" --port "$port" --walkthrough
fi
