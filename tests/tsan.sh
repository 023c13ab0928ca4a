#!/usr/bin/env bash
# Builds fncprep and its tests with ThreadSanitizer in build-tsan and runs the
# whole test suite under it: the file writers, the placement, the expansion
# and the coordinate reader share their work between two threads, and any
# data race they might have fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tests/install_deps.sh

# Every report ends the process with a failure status; the golden cases
# compare exit status and standard error byte for byte.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
cmake --build build-tsan -j2
ctest --test-dir build-tsan --output-on-failure -j2
