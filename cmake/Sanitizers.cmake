# Compiler and linker flags for GROV_SANITIZE and GROV_BUILD_FUZZERS.
