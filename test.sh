#!/usr/bin/env bash
# Sets up, checks the formatting, builds and runs every test. Extra arguments go to ctest (for
# example: -L unit). Then the sanitizer pass: the unit and GL tests but the world's, one
# end-to-end throw and a short run of every fuzz target, built with clang's AddressSanitizer
# and UndefinedBehaviorSanitizer in build-asan/, which builds beside the main build and tests.
# It runs when no arguments are given; GROV_SANITIZER_PASS=1 asks for it anyway,
# GROV_SANITIZER_PASS=0 leaves it out. Warnings are errors in both builds. Each phase prints
# its time, and the end sums them up.
set -euo pipefail
cd "$(dirname "$0")"
# The games the tests play keep records; they go to a folder of the run's own, never a real home.
player_data=$(mktemp -d "${TMPDIR:-/tmp}/grov-test-data-XXXXXX")
trap 'rm -rf "$player_data"' EXIT
export XDG_DATA_HOME="$player_data"

phase_times=()
phase_start=$SECONDS
phase() { # phase NAME: ends the phase before, starts this one
  if [ -n "${phase_name:-}" ]; then
    phase_times+=("$phase_name $((SECONDS - phase_start)) s")
  fi
  phase_name=$1
  phase_start=$SECONDS
  [ -n "$1" ] && echo "== $1"
  return 0
}
report_times() {
  phase ""
  local total=0 entry
  for entry in "${phase_times[@]}"; do
    total=$((total + $(awk '{print $(NF-1)}' <<<"$entry")))
  done
  echo "== Times: $(IFS=,; echo "${phase_times[*]}" | sed 's/,/, /g'); total $total s"
}

phase packages
scripts/install-deps.sh test

if [ $# -gt 0 ]; then
  default_pass=0
else
  default_pass=1
fi
sanitizer_pass=${GROV_SANITIZER_PASS:-$default_pass}
# What the sanitizer pass leaves out: the layer check builds nothing new, and the world's
# frames are played by the sanitized throw.
sanitizer_skips='layer_rules|world_gl_tests'

phase formatting
# Every source as .clang-format lays it out; the fix is one command.
mapfile -t unformatted < <(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | sed -n 's/^\([^:]*\.\(cpp\|h\)\):[0-9]*:[0-9]*: .*/\1/p' | sort -u)
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "These files are not formatted as .clang-format says; run: clang-format -i ${unformatted[*]}"
  exit 1
fi

# The sanitizer pass's build: the unit and GL tests but those skipped, the fuzz targets, the
# game and its end-to-end binary, built with clang in build-asan/. Only what the pass runs; the generated
# images, models and sounds are the main build's, copied, rather than made again by a sanitized
# generator, so the end-to-end binary is built without its data dependency (the Makefile
# generator's "/fast" form). It builds beside the main build and the main tests: its own
# parallelism is poor, and the end-to-end tests mostly wait on their games' clocks.
build_sanitized() {
  local start=$SECONDS
  CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -DGROV_WERROR=ON \
    -DGROV_SANITIZE=ON -DGROV_BUILD_FUZZERS=ON -DGROV_BUILD_BENCHMARKS=OFF > /dev/null
  # Every unit and GL test there is, its CTest entry and its binary sharing the name, but the
  # world's: it draws whole frames of the game at full quality, which the sanitized throw below
  # plays through the same code at a fraction of the cost.
  mapfile -t asan_tests < <(ctest --test-dir build-asan -N -L '^(unit|gl)$' | sed -n 's/^ *Test *#[0-9]*: //p' |
    grep -vE "^($sanitizer_skips)$")
  local fuzzers=(fuzz_settings fuzz_text2d fuzz_import_object fuzz_bone_object fuzz_texture grov-fuzz-seeds)
  cmake --build build-asan -j "$(nproc)" --target "${asan_tests[@]}" "${fuzzers[@]}" grov-rage \
    grov_test_support grov_e2e_support
  make -C build-asan --no-print-directory -j "$(nproc)" e2e_tests/fast > /dev/null
  echo "$((SECONDS - start))" > build-asan/sanitized-build.seconds
}

sanitized_build_log=build-asan/sanitized-build.log
if [ "$sanitizer_pass" != 0 ]; then
  mkdir -p build-asan
  build_sanitized > "$sanitized_build_log" 2>&1 &
  sanitized_build=$!
  trap 'kill $sanitized_build 2>/dev/null || true; rm -rf "$player_data"' EXIT
fi

phase build
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DGROV_WERROR=ON > /dev/null
cmake --build build -j "$(nproc)"

# No screen here: a virtual one, deep enough for the GL visuals the game asks for.
in_display() {
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
  else
    "$@"
  fi
}

phase tests
# Tests that press keys into a window each run in a display of their own, and spend most of
# their time waiting on the game's clock, so twice as many run as there are cores.
tests_status=0
in_display ctest --test-dir build --output-on-failure -j "$(( $(nproc) * 2 ))" "$@" || tests_status=$?
if [ "$sanitizer_pass" != 0 ] && ! wait "$sanitized_build"; then
  cat "$sanitized_build_log"
  echo "The sanitizer build failed (its output is above, and in $sanitized_build_log)"
  exit 1
fi
[ $tests_status -eq 0 ] || exit $tests_status
if [ "$sanitizer_pass" != 0 ]; then
  echo "== The sanitizer build took $(cat build-asan/sanitized-build.seconds) s, beside the main build and tests"
fi
if [ "$sanitizer_pass" = 0 ]; then
  report_times
  exit 0
fi
for data in res assets; do
  cmake -E copy_directory "build/game/$data" "build-asan/game/$data"
done

phase "sanitizer pass"
echo "   AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, in build-asan"
source tests/sanitizers/options.sh
# Mesa unloads its DRI driver when the game closes its display; whatever the driver still held
# then shows as a leak from an unknown module, which no suppression can name. Loaded from the
# start, it stays until the process ends and its memory is the driver's, as it is in the tests
# that never close their display.
dri_driver=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)

# One end-to-end throw of the sanitized game, in a display of its own beside the tests.
sanitized_throw_log=build-asan/sanitized-throw.log
bash tests/support/own-display.sh tests/sanitizers/rerun-on-lsan-fault.sh env ${dri_driver:+LD_PRELOAD=$dri_driver} \
  build-asan/tests/e2e/e2e_tests --gtest_filter=Gameplay.OneThrowFromStartToTheRetry > "$sanitized_throw_log" 2>&1 &
sanitized_throw=$!
asan_status=0
bash tests/support/own-display.sh ctest --test-dir build-asan --output-on-failure -j "$(nproc)" -L "unit|gl|fuzz" \
  -E "^($sanitizer_skips)$" ||
  asan_status=$?
throw_status=0
wait "$sanitized_throw" || throw_status=$?
echo "== One end-to-end throw of the sanitized game"
if [ $throw_status -ne 0 ]; then
  cat "$sanitized_throw_log"
else
  tail -n 3 "$sanitized_throw_log"
fi
[ $asan_status -eq 0 ] && [ $throw_status -eq 0 ] || exit 1
report_times
