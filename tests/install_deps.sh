#!/usr/bin/env bash
# Installs, quietly, whatever the build and the tests need and the machine
# lacks: CMake, Ninja, GoogleTest/GoogleMock and libfaketime.
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
[ -d /usr/include/gtest ] || need+=(libgtest-dev)
[ -d /usr/include/gmock ] || need+=(libgmock-dev)
command -v faketime >/dev/null || need+=(faketime)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq "${need[@]}" >/dev/null
fi
