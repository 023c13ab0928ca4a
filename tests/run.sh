#!/usr/bin/env bash
# The test command: builds fncprep and runs its test suite in a release build,
# then again under AddressSanitizer and UndefinedBehaviorSanitizer, then each
# fuzz target for a short while. Installs what the tests need when the
# machine lacks it. FNCPREP_QUICK=1 stops after the release tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tests/install_deps.sh

# suite DIR CMAKE-OPTIONS...: builds the program and its tests in DIR and runs them.
suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DFNCPREP_TESTS=ON "$@" >/dev/null
  cmake --build "$dir"
  ctest --test-dir "$dir" --output-on-failure -j2 | tee "$dir/ctest-summary.log"
}

echo "== Release build and tests"
suite build-test -DCMAKE_BUILD_TYPE=Release
if [ "${FNCPREP_QUICK:-0}" != 1 ]; then
  echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
  # The sanitizer runtime must come first among the loaded libraries, but the
  # golden cases preload libfaketime; every report fails the test.
  ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1:halt_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 FNCPREP_SANITIZED=1 \
    suite build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFNCPREP_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
  echo "== Fuzz smoke runs"
  FUZZ_SECONDS=${FUZZ_SECONDS:-20} bash tests/fuzz_smoke.sh
fi
echo "== Summary of the release tests"
grep -E "tests passed|tests failed" build-test/ctest-summary.log
