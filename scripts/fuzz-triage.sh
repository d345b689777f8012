#!/usr/bin/env bash
# Replays every crash-* and oom-* input a long fuzz run kept and says where each one ends:
#   scripts/fuzz-triage.sh <target>
# One line per input: its name, the kind of report, and the first frame of the game's own
# code (src/) on the failing stack, or the library the stack ends in when none is ours.
set -uo pipefail
cd "$(dirname "$0")/.."

target=${1:?usage: scripts/fuzz-triage.sh <target>}
root=$(pwd)
work="$root/build-asan/fuzz/long/$target"
source tests/sanitizers/options.sh
export LSAN_OPTIONS="suppressions=$root/build-asan/fuzz/lsan-fuzz.supp:print_suppressions=0"
export TMPDIR="$root/build-asan/fuzz/scratch"

for input in "$work"/crash-* "$work"/oom-*; do
  [ -e "$input" ] || continue
  report=$(xvfb-run -a nice -n 10 "$root/build-asan/fuzz/fuzz_$target" "$input" 2>&1)
  kind=$(grep -o -m1 -E 'ai_assert failure|ERROR: [A-Za-z]+: [a-z-]+|out-of-memory|deadly signal' <<< "$report")
  ours=$(grep -m1 -o "$root/src/[^ ]*" <<< "$report")
  library=$(grep -E '^ +#[0-9]+ ' <<< "$report" | grep -v -E 'fuzzer::|__sanitizer|__asan|libc.so|operator new|malloc' |
            grep -m1 -o -E '\(/[^ +]*' | tr -d '(')
  echo "$(basename "$input"): ${kind:-no report now} -- ${ours:-not in our code${library:+, ends in $library}}"
done
