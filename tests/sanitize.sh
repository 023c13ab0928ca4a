#!/usr/bin/env bash
# Builds fncprep and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan and runs the whole test suite under them; any sanitizer report
# fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tests/install_deps.sh

# The sanitizer runtime must come first among the loaded libraries; the
# golden cases preload libfaketime to freeze the clock, so the order check is
# switched off. Every report ends the process with a failure status.
export ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFNCPREP_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  >/dev/null
cmake --build build-asan -j2
ctest --test-dir build-asan --output-on-failure -j2
