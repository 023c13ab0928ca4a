#!/usr/bin/env bash
# Runs one golden case against the real program and compares its standard
# output, standard error, exit status and files byte for byte.
#   tests/golden.sh FNCPREP CASE_DIR
# A case folder holds:
#   args        optional; the command-line arguments, one a line
#   stdin       optional; the bytes on standard input (none if absent)
#   in/         optional; copied into a fresh folder in which the program runs
#   setup       optional; bash script run in that folder first (CASE_DIR and
#               SOURCE_DIR are set); must exit 0
#   run         optional; bash script run in that folder instead of the
#               program ($FNCPREP names it); its output and status are compared;
#               status 77 skips the case (what it needs is not there)
#   faketime    optional; the clock is frozen at this time (libfaketime)
#   expected/   stdout, stderr, status; files/ (each must exist with exactly
#               these bytes); absent (paths that must not exist, one a line)
set -u
bin=$1
case_dir=$(cd "$2" && pwd)
export FNCPREP=$bin CASE_DIR=$case_dir SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
out=$(mktemp -d)
trap 'rm -rf "$work" "$out"' EXIT
[ -d "$case_dir/in" ] && cp -a "$case_dir/in/." "$work/"
if [ -f "$case_dir/setup" ]; then
  (cd "$work" && bash "$case_dir/setup") || { echo "$case_dir: setup failed"; exit 1; }
fi
env=()
if [ -f "$case_dir/faketime" ]; then
  env+=(LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
        "FAKETIME=$(cat "$case_dir/faketime")" TZ=UTC)
fi
args=()
[ -f "$case_dir/args" ] && mapfile -t args <"$case_dir/args"
stdin=/dev/null
[ -f "$case_dir/stdin" ] && stdin=$case_dir/stdin
if [ -f "$case_dir/run" ]; then
  (cd "$work" && env "${env[@]}" bash "$case_dir/run") <"$stdin" >"$out/stdout" 2>"$out/stderr"
else
  (cd "$work" && env "${env[@]}" "$bin" "${args[@]}") <"$stdin" >"$out/stdout" 2>"$out/stderr"
fi
status=$?
if [ -f "$case_dir/run" ] && [ $status = 77 ]; then
  cat "$out/stdout"
  exit 77
fi
echo $status >"$out/status"

failed=0
same() {  # same WHAT EXPECTED ACTUAL
  if ! cmp -s "$2" "$3"; then
    echo "$1 differs:"
    diff -u "$2" "$3" | head -n 40
    failed=1
  fi
}
for part in stdout stderr status; do same "$part" "$case_dir/expected/$part" "$out/$part"; done
if [ -d "$case_dir/expected/files" ]; then
  while IFS= read -r -d '' file; do
    rel=${file#"$case_dir/expected/files/"}
    if [ -f "$work/$rel" ]; then same "file $rel" "$file" "$work/$rel"; else echo "file $rel missing"; failed=1; fi
  done < <(find "$case_dir/expected/files" -type f -print0)
fi
if [ -f "$case_dir/expected/absent" ]; then
  while IFS= read -r rel; do
    [ -z "$rel" ] && continue
    if [ -e "$work/$rel" ] || [ -L "$work/$rel" ]; then echo "$rel should not exist"; failed=1; fi
  done <"$case_dir/expected/absent"
fi
exit $failed
