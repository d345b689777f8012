#!/bin/bash
# The whole damaged-data matrix: every file the game reads, each missing, empty, cut at half
# its length and replaced by random bytes, one start of the real game per case, two at a time,
# each pair in a virtual display of its own. Every case plays a whole throw to the retry with
# SPACE presses in every state, then Ctrl+Q. Prints a table of what happened and the totals;
# exits with 1 when any case crashed, hung, exited with another code than 0 or did not name
# the damaged file.
#
#   scripts/damaged-data.sh [case-pattern]     e.g. 'res_sounds_*' or '*_random'
#
# GROV_BUILD_DIR picks the build (default build/), GROV_DAMAGE_JOBS the number of games at once
# (default 2), GROV_DAMAGE_PLAY=short plays a few seconds instead of a whole throw.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${GROV_BUILD_DIR:-$root/build}
jobs=${GROV_DAMAGE_JOBS:-2}
pattern=${1:-*}
binary=$build/tests/damage/damage_tests
caseTimeout=240 # seconds: a start, a throw and the way out, far more than a case needs
export GROV_DAMAGE_PLAY=${GROV_DAMAGE_PLAY:-throw}

if [ ! -x "$binary" ]; then
  echo "No $binary: build first (./test.sh, or make -C $build damage_tests)" >&2
  exit 2
fi

work=$(mktemp -d /tmp/grov-damage-XXXXXX)
servers=()
cleanup() {
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# Case names as the test binary gives them, one a line.
"$binary" --gtest_list_tests --gtest_filter="Files/DamagedFile.GameCarriesOn/$pattern" |
  sed -n "s/^  GameCarriesOn\/\([A-Za-z0-9_]*\).*/\1/p" > "$work/cases"
total=$(wc -l < "$work/cases")
if [ "$total" -eq 0 ]; then
  echo "No case matches '$pattern'" >&2
  exit 2
fi

# A display number with no server and no lock file.
free_display() {
  local n=$1
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  echo "$n"
}

run_worker() {
  local worker=$1 display=$2
  local name log
  awk -v w="$worker" -v n="$jobs" 'NR % n == w' "$work/cases" | while read -r name; do
    log=$work/$name.log
    local rc try
    for try in 1 2; do
      DISPLAY=:$display timeout -s KILL "$caseTimeout" nice -n 10 "$binary" \
        --gtest_filter="Files/DamagedFile.GameCarriesOn/$name" > "$log" 2>&1
      rc=$?
      # A game that could not be started at all (the display refused it, or the binary was
      # being rebuilt) says nothing about the damaged file: such a case is tried once more.
      grep -q 'exit=127 \|Failed to initialize GLFW' "$log" || break
      echo "retry: $name" >> "$work/retries"
    done
    if ! grep -q '^damage-result: ' "$log"; then
      # The test itself was killed or failed before it could judge the game.
      echo "damage-result: $name ? harness-rc-$rc exit=? states=?" >> "$log"
    fi
    grep -h '^damage-result: ' "$log" >> "$work/results.$worker"
    echo "$(grep -h '^damage-result: ' "$log" | cut -d' ' -f2-4)" >&2
  done
}

start=$(date +%s)
display=$(free_display 110)
for ((worker = 0; worker < jobs; worker++)); do
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
  servers+=($!)
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  run_worker "$worker" "$display" &
  workers[$worker]=$!
  display=$(free_display $((display + 1)))
done
wait "${workers[@]}"
seconds=$(( $(date +%s) - start ))

cat "$work"/results.* 2>/dev/null | sed 's/^damage-result: //' | sort > "$work/all"

# One row per file, one column per damage.
echo
echo "| File | missing | empty | cut | random |"
echo "|---|---|---|---|---|"
awk '{ files[$1] = 1; verdict[$1 " " $2] = $3 }
     END {
       n = split("missing empty cut random", damages, " ")
       for (f in files) {
         row = "| " f " |"
         for (i = 1; i <= n; i++) {
           v = verdict[f " " damages[i]]
           row = row " " (v == "" ? "-" : v) " |"
         }
         print row
       }
     }' "$work/all" | sort

tried=$(wc -l < "$work/all")
count() { awk -v v="$1" '$3 == v' "$work/all" | wc -l; }
ok=$(count ok)
crashes=$(count crash)
hangs=$(count hang)
unnamed=$(count unnamed)
stuck=$(count stuck)
others=$((tried - ok - crashes - hangs - unnamed - stuck))
echo
echo "cases: $tried of $total"
echo "ok: $ok"
echo "crashes: $crashes"
echo "hangs: $hangs"
echo "stuck (no throw to the retry): $stuck"
echo "unnamed (no console line for the file): $unnamed"
echo "other failures (exit code, harness): $others"
echo "tried again after the game could not start: $(cat "$work/retries" 2>/dev/null | wc -l)"
echo "time: $seconds s with $jobs at once"
[ "$ok" -eq "$total" ]
