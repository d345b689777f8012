#!/usr/bin/env bash
# layer_rules_test.sh BUILD_DIR SOURCE_DIR: a game source builds with includes of the layers
# below it and fails to build with an include of the application above it; and the rules and
# the seams below everything never call GL themselves.
set -uo pipefail
build=$1
source=$2
if calls=$(grep -nE '(^|[^A-Za-z_.:])gl[A-Z][A-Za-z0-9]*\(' "$source"/src/core/*.cpp "$source"/src/game/*.cpp); then
  echo "$calls"
  echo "FAIL: GL is called from core or game; only app, render, model and audio call it"
  exit 1
fi
if ! output=$(cmake --build "$build" --target layer_check_down 2>&1); then
  echo "$output"
  echo "FAIL: a game source could not include the layers below it"
  exit 1
fi
output=$(cmake --build "$build" --target layer_check_up 2>&1)
status=$?
if [ $status -eq 0 ]; then
  echo "FAIL: a game source built with an include of app/Window.h"
  exit 1
fi
if ! grep -q 'app/Window.h: No such file' <<<"$output"; then
  echo "$output"
  echo "FAIL: the upward include failed for another reason than a header out of reach"
  exit 1
fi
echo "PASS: downward includes build, the upward include is refused, core and game call no GL"
