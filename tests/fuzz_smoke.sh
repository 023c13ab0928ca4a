#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ (address and undefined-behaviour
# sanitizers) and runs each for a short while over its checked-in corpus.
# Any crash, sanitizer report, leak or timeout fails the script; the input
# that caused it is left in build-fuzz/artifacts/.
#   FUZZ_SECONDS  seconds per target (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
targets=(fuzz_runs fuzz_reader)

install() {
  echo "Installing: $*"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq "$@" >/dev/null
}
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v clang++ >/dev/null || need+=(clang)
if [ ${#need[@]} -gt 0 ]; then install "${need[@]}"; fi
runtime_dir=$(clang++ -print-runtime-dir)
if [ ! -e "$runtime_dir/libclang_rt.fuzzer-x86_64.a" ]; then
  major=$(clang++ -dumpversion | cut -d. -f1)
  install "libclang-rt-$major-dev" || install "libclang-common-$major-dev"
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
  -DFNCPREP_FUZZ=ON -DFNCPREP_TESTS=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]}"

mkdir -p build-fuzz/artifacts
status=0
for target in "${targets[@]}"; do
  # New inputs go to a scratch folder, never into the checked-in corpus.
  scratch=$(mktemp -d)
  echo "== $target: ${seconds}s"
  if ! build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix=build-fuzz/artifacts/"$target"- \
      "$scratch" tests/fuzz/corpus/"$target" 2>build-fuzz/"$target".log; then
    echo "FAILED: $target (see build-fuzz/$target.log and build-fuzz/artifacts/)"
    tail -n 40 build-fuzz/"$target".log
    status=1
  else
    grep -E 'DONE|stat::number_of_executed_units' build-fuzz/"$target".log || true
  fi
  rm -rf "$scratch"
done
exit $status
