#!/usr/bin/env bash
# Runs the GL and end-to-end tiers again and again while one extra process keeps a core busy,
# as on a machine doing other work, and prints how often each test passed.
#   scripts/flake-check.sh [runs] [build dir]     defaults: 10 runs, build
# A test that passes fewer than all runs fails at random: that is a defect to mend.
set -euo pipefail
cd "$(dirname "$0")/.."
# The games the tests play keep records; they go to a folder of the run's own, never a real home.
player_data=$(mktemp -d "${TMPDIR:-/tmp}/grov-test-data-XXXXXX")
trap 'rm -rf "$player_data"' EXIT
export XDG_DATA_HOME="$player_data"
runs=${1:-10}
build=${2:-build}

if [ ! -f "$build/CTestTestfile.cmake" ]; then
  scripts/install-deps.sh test
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
fi
cmake --build "$build" -j "$(nproc)" > /dev/null

logs=$(mktemp -d /tmp/grov-flake-XXXXXX)
# The extra load: one busy loop, at the machine's normal priority.
bash -c 'while :; do :; done' &
busy=$!
trap 'kill $busy 2>/dev/null || true; rm -rf "$player_data"' EXIT

for run in $(seq 1 "$runs"); do
  start=$(date +%s)
  # Each run in a display of its own, as ./test.sh does.
  if xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
      ctest --test-dir "$build" -L '^(gl|e2e)$' -j "$(( $(nproc) * 2 ))" -V > "$logs/run-$run.txt" 2>&1; then
    verdict=passed
  else
    verdict=FAILED
  fi
  echo "run $run of $runs: $verdict in $(( $(date +%s) - start )) s"
done

echo
echo "passes per test, of $runs runs (under one extra busy process):"
# ctest -V prefixes every line of a test's output with its number; a test's verdict is the
# test framework's own OK or FAILED line.
all_tests=$(grep -ho '\[ RUN      \] [^ ]*' "$logs"/run-*.txt | awk '{print $4}' | sort -u)
worst=$runs
for name in $all_tests; do
  # A test that says why it cannot run here (no /dev/uinput, say) is skipped, not failed.
  passed=$(grep -hE "\[ +(OK|SKIPPED) \] $name " "$logs"/run-*.txt | wc -l)
  [ "$passed" -lt "$worst" ] && worst=$passed
  printf '%3d/%d  %s\n' "$passed" "$runs" "$name"
done
echo "logs: $logs"
[ "$worst" -eq "$runs" ]
