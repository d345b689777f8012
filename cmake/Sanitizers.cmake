# Compiler and linker flags for GROV_SANITIZE and GROV_BUILD_FUZZERS.
#
# GROV_SANITIZE builds every target with AddressSanitizer (which brings LeakSanitizer) and
# UndefinedBehaviorSanitizer. Undefined behaviour stops the program at its first report rather
# than printing and going on, so a test cannot pass over one.
#
# GROV_BUILD_FUZZERS adds libFuzzer's coverage instrumentation to every target (the fuzz
# targets themselves link the fuzzer's main in fuzz/CMakeLists.txt). It needs clang and is
# only useful together with the sanitizers, so it turns them on as well.

if(GROV_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "GROV_BUILD_FUZZERS needs clang: configure with CC=clang CXX=clang++")
  endif()
  set(GROV_SANITIZE ON CACHE BOOL "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" FORCE)
endif()

if(GROV_SANITIZE)
  set(GROV_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  # Line tables are all a report's stack needs, and much cheaper to build than full debug info.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(GROV_SANITIZER_DEBUG -gline-tables-only)
  else()
    set(GROV_SANITIZER_DEBUG -g1)
  endif()
  add_compile_options(${GROV_SANITIZER_FLAGS} -fno-omit-frame-pointer ${GROV_SANITIZER_DEBUG})
  add_link_options(${GROV_SANITIZER_FLAGS})
  # Every sanitized test runs through this, which gives a run one more try when LeakSanitizer
  # itself broke down in it (see the script).
  set(GROV_TEST_LAUNCHER bash ${CMAKE_SOURCE_DIR}/tests/sanitizers/rerun-on-lsan-fault.sh)
endif()

if(GROV_BUILD_FUZZERS)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
