#!/usr/bin/env bash
# Sets up, builds and runs every test. Extra arguments go to ctest (for example: -L unit).
# Then the sanitizer pass: the unit and GL tests, one end-to-end throw and a short run of
# every fuzz target, built with clang's AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/. It runs when no arguments are given; GROV_SANITIZER_PASS=1 asks for it anyway,
# GROV_SANITIZER_PASS=0 leaves it out.
set -euo pipefail
cd "$(dirname "$0")"
# The games the tests play keep records; they go to a folder of the run's own, never a real home.
player_data=$(mktemp -d "${TMPDIR:-/tmp}/grov-test-data-XXXXXX")
trap 'rm -rf "$player_data"' EXIT
export XDG_DATA_HOME="$player_data"

scripts/install-deps.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j "$(nproc)"

# No screen here: a virtual one, deep enough for the GL visuals the game asks for.
in_display() {
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
  else
    "$@"
  fi
}

# Tests that press keys into a window each run in a display of their own, and spend most of
# their time waiting on the game's clock, so twice as many run as there are cores.
in_display ctest --test-dir build --output-on-failure -j "$(( $(nproc) * 2 ))" "$@"

if [ $# -gt 0 ]; then
  default_pass=0
else
  default_pass=1
fi
[ "${GROV_SANITIZER_PASS:-$default_pass}" = 0 ] && exit 0

echo "== Sanitizer pass (AddressSanitizer, LeakSanitizer, UndefinedBehaviorSanitizer) in build-asan"
CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 \
  -DGROV_SANITIZE=ON -DGROV_BUILD_FUZZERS=ON -DGROV_BUILD_BENCHMARKS=OFF > /dev/null
# Only what the pass runs. The generated images, models and sounds are the main build's,
# copied, rather than made again by a sanitized generator; so the end-to-end binary is built
# without its data dependency (the Makefile generator's "/fast" form).
# Every unit and GL test there is; its CTest entry and its binary share the name.
mapfile -t asan_tests < <(ctest --test-dir build-asan -N -L '^(unit|gl)$' | sed -n 's/^ *Test *#[0-9]*: //p')
fuzzers=(fuzz_settings fuzz_text2d fuzz_import_object fuzz_bone_object fuzz_texture grov-fuzz-seeds)
cmake --build build-asan -j "$(nproc)" --target "${asan_tests[@]}" "${fuzzers[@]}" grov-rage grov_test_support grov_e2e_support
make -C build-asan --no-print-directory -j "$(nproc)" e2e_tests/fast > /dev/null
for data in res assets; do
  cmake -E copy_directory "build/game/$data" "build-asan/game/$data"
done

source tests/sanitizers/options.sh
# Mesa unloads its DRI driver when the game closes its display; whatever the driver still held
# then shows as a leak from an unknown module, which no suppression can name. Loaded from the
# start, it stays until the process ends and its memory is the driver's, as it is in the tests
# that never close their display.
dri_driver=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)

in_display ctest --test-dir build-asan --output-on-failure -j "$(nproc)" -L "unit|gl|fuzz"
echo "== One end-to-end throw of the sanitized game"
in_display tests/sanitizers/rerun-on-lsan-fault.sh env ${dri_driver:+LD_PRELOAD=$dri_driver} \
  build-asan/tests/e2e/e2e_tests --gtest_filter=Gameplay.OneThrowFromStartToTheRetry
