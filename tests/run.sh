#!/usr/bin/env bash
# Builds fncprep and runs its whole test suite: the tests in a release build,
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, and a
# short run of each fuzz target over its corpus. Installs what the tests need
# when the machine lacks it. FNCPREP_QUICK=1 runs the release tests alone.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tests/install_deps.sh

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
ctest --test-dir build --output-on-failure -j2 | tee build/ctest-summary.log

if [ "${FNCPREP_QUICK:-0}" != 1 ]; then
  echo "== Sanitizer build and tests"
  bash tests/sanitize.sh
  echo "== Fuzz smoke runs"
  FUZZ_SECONDS=${FUZZ_SECONDS:-20} bash tests/fuzz_smoke.sh
fi

echo "== Summary of the release tests"
grep -E "tests passed|tests failed" build/ctest-summary.log
