# Sourced by the gallery's screenshot scripts: the tree, the build (MIVO_BUILD_DIR or build/), where
# the pictures go (MIVO_DOCS_DIR or docs/) and a throwaway home for the programs they drive.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${MIVO_BUILD_DIR:-$root/build}
docs=${MIVO_DOCS_DIR:-$root/docs}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

# The gallery, headless on its manual clock, reading automation commands from stdin.
gallery() { "$build/examples/example-components" --home "$home" --headless --automation "$@"; }
