#!/bin/sh
# Counts the instructions the game's own code runs per frame, under callgrind, so a change can
# be compared with the one before it without any timing noise.
#
#   scripts/callgrind-frame.sh [build dir] [frames]      (defaults: build-release, 30)
#
# It plays the first frames of grov-bench's scripted throw (30 frames are the aiming; 120 reach
# the flight) in a copy of the run directory with a small 4:3 window, since the software GL's
# work grows with the window but the game's does not. Collection is on only inside
# World::frame, and the figure counts only the instructions of the game's own machine code (the
# bench binary, into which the game library is linked), not those of the GL driver, the C and
# C++ libraries or the kernel. Without a display it starts a virtual one.
set -eu
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-release}
frames=${2:-30}
game=$(cd "$build/game" 2>/dev/null && pwd) || { echo "no run directory in $build; build first" >&2; exit 1; }
[ -x "$game/grov-bench" ] || { echo "no grov-bench in $game; build first" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "valgrind is not installed (scripts/install-deps.sh test)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$game/." "$work/"
printf 'FULLSCREEN 0\nWIDTH 320\nHEIGHT 240\n' > "$work/settings.txt"

cd "$work"
valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" \
    --collect-atstart=no --toggle-collect='World::frame*' \
    ./grov-bench --frames "$frames" --terrain-every 3000 > "$work/bench.txt" 2> "$work/valgrind.txt" ||
    { cat "$work/valgrind.txt" >&2; exit 1; }

# Exclusive instruction counts by object: in callgrind's format each function's cost lines
# follow its "fn=" line, under the last "ob=" named; lines under "calls=" are inclusive costs of
# a call and are skipped. Names may be compressed to "(id)" after their first use.
awk -v frames="$frames" -v binary="$work/grov-bench" '
    function name(text,    id) {
        if (match(text, /^\([0-9]+\)/)) {
            id = substr(text, 2, RLENGTH - 2)
            rest = substr(text, RLENGTH + 1); sub(/^ /, "", rest)
            if (rest != "") objects[id] = rest
            return objects[id]
        }
        return text
    }
    /^ob=/ { object = name(substr($0, 4)); next }
    /^cob=/ { name(substr($0, 5)); next }
    /^calls=/ { skip = 1; next }
    /^[0-9+*-]/ {
        if (skip) { skip = 0; next }
        total += $2
        if (object == binary) own += $2
        next
    }
    END {
        printf "frames: %d\n", frames
        printf "game_instructions_per_frame: %.0f instructions\n", own / frames
        printf "all_instructions_per_frame: %.0f instructions\n", total / frames
    }
' "$work/callgrind.out"
