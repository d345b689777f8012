#!/usr/bin/env bash
# Sets up, builds and starts Grov Rage.
set -euo pipefail
cd "$(dirname "$0")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Grov Rage needs a display and none is set (DISPLAY and WAYLAND_DISPLAY are empty); without a screen, start it as: xvfb-run -a ./run.sh" >&2
  exit 1
fi

scripts/install-deps.sh game
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DGROV_BUILD_TESTS=OFF -DGROV_BUILD_BENCHMARKS=OFF > /dev/null
cmake --build build-release -j "$(nproc)"
cd build-release/game
exec ./grov-rage
