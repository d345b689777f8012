#!/bin/bash
# The long run: throw after throw of the game's own code at a fixed step in a 320 x 240
# window, 30 minutes of game time by default, with resident memory, GL errors and the music
# checked. Prints one figure per line and exits with 1 when a check fails. Extra arguments go
# to grov-longrun (--minutes M, --step S, --width W, --height H); GROV_BUILD_DIR picks the
# build (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${GROV_BUILD_DIR:-$root/build}
if [ ! -x "$build/game/grov-longrun" ]; then
  echo "No $build/game/grov-longrun: build first (./test.sh, or make -C $build grov-longrun)" >&2
  exit 2
fi
cd "$build/game"
run=(nice -n 10 ./grov-longrun "$@")
if [ -z "${DISPLAY:-}" ]; then
  run=(xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}")
fi
# Only the figures: the game's own loading and state lines would bury them.
"${run[@]}" | grep -E '^[a-z_]+: |^FAILED'
