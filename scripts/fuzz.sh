#!/usr/bin/env bash
# Fuzzes one of the game's loaders for a while, in the sanitizer build:
#   scripts/fuzz.sh <target> <seconds>     target: settings text2d import_object bone_object texture
# Builds build-asan (clang, sanitizers, fuzz targets) if needed, seeds the corpus from the run
# directory, fuzzes at low priority inside a virtual display, and prints one summary line:
#   fuzz <target>: <execs> execs in <seconds> s, coverage <cov> edges, corpus <n> inputs, <verdict>
# Inputs it finds are kept in build-asan/fuzz/long/<target>/ (and reused by the next run);
# a crash, leak or hang is written there as crash-*, leak-* or timeout-* and ends the run
# (the model targets count Assimp's own out-of-memory cases and go on, see below).
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:?usage: scripts/fuzz.sh <target> <seconds>}
seconds=${2:?usage: scripts/fuzz.sh <target> <seconds>}
build=build-asan
per_input_timeout=60 # seconds one input may take before it counts as a hang
extra=()
case "$target" in
  import_object|bone_object)
    # Assimp reserves memory by the counts a file claims, so a damaged count can ask for
    # gigabytes inside Assimp itself. (Its internal checks, which abort in Debian's build, are
    # turned into failed imports by the game.) Fork mode counts those inputs, keeps them as
    # oom-* and crash-*, and goes on; every crash-* is then checked by scripts/fuzz-triage.sh
    # for the game's own frames.
    extra=(-fork=1 -ignore_ooms=1 -ignore_crashes=1)
    ;;
esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGROV_SANITIZE=ON -DGROV_BUILD_FUZZERS=ON -DGROV_BUILD_BENCHMARKS=OFF > /dev/null
fi
nice -n 10 cmake --build "$build" -j 2 --target "fuzz_$target" grov-fuzz-seeds grov_generated_data > /dev/null

root=$(pwd)
work="$root/$build/fuzz/long/$target"
seeds="$root/$build/fuzz/corpus"
log="$work.log"
mkdir -p "$work" "$root/$build/fuzz/scratch"
"$build/fuzz/grov-fuzz-seeds" "$root/$build/game" "$seeds"

source tests/sanitizers/options.sh
export LSAN_OPTIONS="suppressions=$root/$build/fuzz/lsan-fuzz.supp:print_suppressions=0"
export TMPDIR="$root/$build/fuzz/scratch"

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" nice -n 10 "$root/$build/fuzz/fuzz_$target" \
  -max_total_time="$seconds" -timeout="$per_input_timeout" -print_final_stats=1 \
  -artifact_prefix="$work/" "${extra[@]}" "$work" "$seeds/$target" > "$log" 2>&1 || status=$?

execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
if grep -q '^INFO: -fork=' "$log"; then
  # Fork mode reports its own running totals: "#<execs>: cov: <n> ... oom/timeout/crash: a/b/c".
  execs=$(grep -o '^#[0-9]*: cov' "$log" | tail -1 | tr -dc '0-9')
  took=$(grep -o 'time: [0-9]*s' "$log" | tail -1 | tr -dc '0-9')
  counted=$(grep -o 'oom/timeout/crash: [0-9/]*' "$log" | tail -1 | cut -d' ' -f2)
  # It ends with the code of the last input it counted; reaching the time limit is the end.
  if grep -q '^INFO: fuzzed for [0-9]* seconds, wrapping up' "$log"; then
    status=0
  fi
fi
took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
corpus=$(find "$work" -maxdepth 1 -type f ! -name 'crash-*' ! -name 'leak-*' ! -name 'timeout-*' ! -name 'oom-*' | wc -l)
if [ "$status" -eq 0 ] && [ -n "${counted:-}" ]; then
  verdict="ended normally; inputs counted as oom/timeout/crash: $counted (see scripts/fuzz-triage.sh)"
elif [ "$status" -eq 0 ]; then
  verdict="clean"
else
  verdict="FAILED (exit $status, see $log)"
fi
echo "fuzz $target: ${execs:-?} execs in ${took:-$seconds} s, coverage ${coverage:-?} edges, corpus $corpus inputs, $verdict"
exit "$status"
