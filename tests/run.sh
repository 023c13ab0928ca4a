#!/usr/bin/env bash
# The test command: installs what the tests need; builds the program as the README's first command
# does but with GoogleTest hidden and CMake's default generator, and runs the shipped examples;
# runs the suite in a release build, then under AddressSanitizer and UndefinedBehaviorSanitizer,
# then each fuzz target for FUZZ_SECONDS (20) seconds. FNCPREP_QUICK=1 stops after the release tests.
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
for tool in cmake:cmake make:make ninja:ninja-build g++:g++ faketime:faketime clang++:clang \
  python3:python3 chromium:chromium; do
  command -v "${tool%:*}" >/dev/null || need+=("${tool#*:}")
done
[ -d /usr/include/gtest ] || need+=(libgtest-dev libgmock-dev)
[ -f /usr/include/gemmi/elem.hpp ] || need+=(gemmi-dev)
[ -f /usr/include/tao/pegtl.hpp ] || need+=(tao-pegtl-dev)
# The extended XYZ cases read it back with ASE, as users' scripts do.
/usr/bin/python3 -c 'import ase' 2>/dev/null || need+=(python3-ase)
[ -e "$(clang++ -print-runtime-dir 2>/dev/null)/libclang_rt.fuzzer-x86_64.a" ] || need+=(libclang-rt-14-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

suite() {  # suite DIR CMAKE-OPTIONS...: builds the program and the tests in DIR, runs them
  cmake -S . -B "$1" -G Ninja -DFNCPREP_TESTS=ON "${@:2}" >/dev/null
  cmake --build "$1"
  ctest --test-dir "$1" --output-on-failure -j2 | tee "$1/ctest-summary.log"
}

echo "== The program alone: GoogleTest hidden, default generator, then the shipped examples"
rm -rf build-plain
cmake -S . -B build-plain -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON | grep -E "generator|fncprep" || true
grep -E "^CMAKE_GENERATOR:" build-plain/CMakeCache.txt
cmake --build build-plain -j2 >/dev/null
bash examples/run_all.sh build-plain/fncprep build-plain/examples

echo "== Release build and tests"
suite build-test -DCMAKE_BUILD_TYPE=Release
if [ "${FNCPREP_QUICK:-0}" != 1 ]; then
  echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
  # The golden cases preload libfaketime ahead of the sanitizer runtime.
  ASAN_OPTIONS=verify_asan_link_order=0:halt_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    FNCPREP_SANITIZED=1 suite build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFNCPREP_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
  echo "== Fuzz targets (address and undefined-behaviour sanitizers), ${FUZZ_SECONDS:-20} s each"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
    -DFNCPREP_FUZZ=ON -DFNCPREP_TESTS=OFF >/dev/null
  cmake --build build-fuzz --target fuzz_runs fuzz_reader
  mkdir -p build-fuzz/artifacts
  for target in fuzz_runs fuzz_reader; do  # new inputs go to a scratch folder, not the corpus
    scratch=$(mktemp -d)
    build-fuzz/tests/fuzz/$target -max_total_time="${FUZZ_SECONDS:-20}" -max_len=8192 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix=build-fuzz/artifacts/$target- "$scratch" \
      tests/fuzz/corpus/$target 2>build-fuzz/$target.log || { tail -n 40 build-fuzz/$target.log; exit 1; }
    grep -E "Done [0-9]+ runs" build-fuzz/$target.log
    rm -rf "$scratch"
  done
fi
echo "== Summary of the release tests"
grep -E "tests passed|tests failed" build-test/ctest-summary.log
