#!/usr/bin/env bash
# rerun-on-lsan-fault.sh <command> [args...]: runs a sanitized test, and runs it once more
# when LeakSanitizer itself broke down in it.
#
# clang 14's LeakSanitizer now and then crashes in its own tracer thread while it stops the
# process's threads for the leak check at exit ("Tracer caught signal 11", then "LeakSanitizer
# has encountered a fatal error"). That is a fault of the checker, not a report about the
# program, so such a run gets one more try. Every other failure, a real leak report among
# them, and a second breakdown in a row fail the test as they are.
set -uo pipefail

log=$(mktemp "${TMPDIR:-/tmp}/grov-lsan-XXXXXX")
trap 'rm -f "$log"' EXIT

for attempt in 1 2; do
  "$@" > >(tee "$log") 2>&1
  status=$?
  # tee may still be writing the last lines when the command has ended.
  wait
  [ "$status" = 0 ] && exit 0
  if [ "$attempt" = 1 ] &&
     grep -q "LeakSanitizer has encountered a fatal error" "$log" &&
     grep -q "Tracer caught signal" "$log"; then
    echo "== LeakSanitizer's own tracer crashed, which says nothing about the program; running it once more"
    continue
  fi
  exit "$status"
done
