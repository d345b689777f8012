#!/usr/bin/env bash
# Sets up, builds and runs every test. Extra arguments go to ctest (for example: -L unit).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j "$(nproc)"

ctest_command=(ctest --test-dir build --output-on-failure "$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # No screen here: a virtual one, deep enough for the GL visuals the game asks for.
  xvfb-run -a -s "-screen 0 1280x1024x24" "${ctest_command[@]}"
else
  "${ctest_command[@]}"
fi
