#!/usr/bin/env bash
# own-display.sh COMMAND...: runs the command in a virtual display of its own, so tests that
# show a window and press keys into it can run side by side without taking each other's
# keyboard focus (or a player's, on a desktop). The server picks a free display number itself
# (-displayfd), so two of these starting at once never race for one, and it never resets
# between two clients (-noreset), which would refuse a game starting just then.
# Without Xvfb the command runs in the display it was given.
set -uo pipefail

if ! command -v Xvfb > /dev/null; then
  exec "$@"
fi

fifo=$(mktemp -u "${TMPDIR:-/tmp}/grov-display-XXXXXX")
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3> "$fifo" 2> /dev/null &
server=$!
number=
read -r -t 30 number < "$fifo"
rm -f "$fifo"
if [ -z "$number" ]; then
  kill "$server" 2> /dev/null
  echo "own-display.sh: the virtual display did not start" >&2
  exit 1
fi
trap 'kill "$server" 2> /dev/null; wait "$server" 2> /dev/null' EXIT

export DISPLAY=":$number"
unset XAUTHORITY
"$@"
