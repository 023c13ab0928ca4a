#!/usr/bin/env bash
# Runs every shipped example through a built fncprep, each in a folder of its
# own under OUTDIR (the example folders themselves stay untouched), and says
# which runs ended with exit status 0.
#
#   bash examples/run_all.sh [FNCPREP [OUTDIR]]
#
# FNCPREP defaults to build/fncprep, OUTDIR to build/examples (both relative
# to the repository). Builds nothing. Exit status 1 if any example failed.
set -uo pipefail
examples=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$examples")
bin=${1:-$repo/build/fncprep}
out=${2:-$repo/build/examples}

if [ ! -x "$bin" ]; then
  echo "run_all.sh: no fncprep at $bin; build it first:" >&2
  echo "  cmake -S . -B build && cmake --build build" >&2
  exit 2
fi
bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")
mkdir -p "$out"
out=$(cd "$out" && pwd)

failed=0
# run NAME MODE: runs fncprep in OUTDIR/NAME with the stem NAME, the answers
# piped in, the console saved in NAME.log.
run() {
  local name=$1 mode=$2
  (cd "$out/$name" && printf '%s %s\ny\n' "$mode" "$name" | "$bin" > "$name.log" 2>&1)
  local status=$?
  if [ "$status" -eq 0 ]; then
    echo "$name: ok (mode $mode), files in $out/$name"
  else
    echo "$name: FAILED with exit status $status, see $out/$name/$name.log"
    failed=1
  fi
}

for name in small liquid; do
  rm -rf "${out:?}/$name" && mkdir -p "$out/$name"
  cp "$examples/$name/$name.dat" "$out/$name/"
  run "$name" 2
done

rm -rf "${out:?}/shell" && mkdir -p "$out/shell"
cp "$examples/shell/shell.dat" "$out/shell/"
sh "$examples/shell/make_incfg.sh" > "$out/shell/shell.incfg"
run shell 1

# The command line: a GROMACS box of methanol in water and its topology.
rm -rf "${out:?}/constrain" && mkdir -p "$out/constrain"
cp -r "$examples/constrain/." "$out/constrain/"
if (cd "$out/constrain" && "$bin" constrain mix.gro mix --topology mix.top >mix.log 2>&1); then
  echo "constrain: ok, files in $out/constrain"
else
  echo "constrain: FAILED with exit status $?, see $out/constrain/mix.log"
  failed=1
fi

exit "$failed"
