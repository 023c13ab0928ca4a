#!/usr/bin/env bash
# Builds fncprep and runs its whole test suite. Installs what the tests need
# when the machine lacks it.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
[ -d /usr/include/gtest ] || need+=(libgtest-dev)
[ -d /usr/include/gmock ] || need+=(libgmock-dev)
command -v faketime >/dev/null || need+=(faketime)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq "${need[@]}" >/dev/null
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
ctest --test-dir build --output-on-failure
