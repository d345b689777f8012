# Sanitizer options for the sanitizer pass (./test.sh) and the long fuzz runs
# (scripts/fuzz.sh); source it from bash.
#   halt_on_error     the first report ends the process, so no test can pass over one
#   detect_leaks      LeakSanitizer checks every process when it ends
#   suppressions      leaks only, and only of the system libraries named in lsan.supp;
#                     undefined behaviour has none, since only the game's code is instrumented
#   MESA_SHADER_CACHE_DISABLE
#                     Mesa's shader-cache thread is still writing when a short run ends and is
#                     torn down by Mesa's exit handler while LeakSanitizer stops the threads for
#                     its check; clang 14's checker then crashes ("Tracer caught signal 11")
grov_sanitizer_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$grov_sanitizer_dir/lsan.supp:print_suppressions=0"
export MESA_SHADER_CACHE_DISABLE=true
