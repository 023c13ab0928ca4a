#!/usr/bin/env bash
# tests/golden.sh FNCPREP CASE_DIR: runs one golden case and compares its output, errors, status
# and files byte for byte. A case folder holds: args (one a line), stdin, in/ (copied into a fresh
# folder where the program runs), setup (bash, run there first), run (bash, run instead of the
# program, named by $FNCPREP; status 77 skips the case), faketime (the clock frozen at this UTC
# time), and expected/: stdout, stderr, status, files/ (produced with exactly these bytes) and
# absent (paths that must not exist, one a line). A case with neither args nor run is a dialogue:
# its standard output must start with the help text pinned in cases/dialogue_help_text, and
# expected/stdout holds what follows it.
# tests/golden.sh --update CASE_DIR...: runs each case with $FNCPREP (build-test/fncprep by
# default) and rewrites its stdout, stderr, status and the files already under expected/files/,
# for review with git diff.
set -u
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
HELP=$SOURCE_DIR/tests/cases/dialogue_help_text/expected/stdout
if [ "${1:-}" = --update ]; then
  for case in "${@:2}"; do
    mkdir -p "$case/expected"
    bash "$0" "${FNCPREP:-$SOURCE_DIR/build-test/fncprep}" "$case" "$(cd "$case" && pwd)/expected" >/dev/null
    case $? in 0) ;; 77) echo "$case: skipped, not updated" ;; *) echo "$case: not updated" ;; esac
  done
  exit 0
fi
CASE_DIR=$(cd "$2" && pwd)
UPDATE=${3:-}
export FNCPREP=$1 CASE_DIR SOURCE_DIR TZ=UTC
work=$(mktemp -d) out=$(mktemp -d)
trap 'rm -rf "$work" "$out"' EXIT
[ -d "$CASE_DIR/in" ] && cp -a "$CASE_DIR/in/." "$work/"
[ -f "$CASE_DIR/setup" ] && { (cd "$work" && bash "$CASE_DIR/setup") || { echo "setup failed"; exit 1; }; }
[ -f "$CASE_DIR/faketime" ] && export LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 \
  FAKETIME="$(cat "$CASE_DIR/faketime")"
mapfile -t args < <(cat "$CASE_DIR/args" 2>/dev/null)
command=("$FNCPREP" "${args[@]}")
[ -f "$CASE_DIR/run" ] && command=(bash "$CASE_DIR/run")
stdin=/dev/null
[ -f "$CASE_DIR/stdin" ] && stdin=$CASE_DIR/stdin
(cd "$work" && "${command[@]}") <"$stdin" >"$out/stdout" 2>"$out/stderr"
status=$?
[ -f "$CASE_DIR/run" ] && [ $status = 77 ] && exit 77
echo $status >"$out/status"

failed=0
if [ ! -f "$CASE_DIR/args" ] && [ ! -f "$CASE_DIR/run" ]; then
  lines=$(wc -l <"$HELP")
  head -n "$lines" "$out/stdout" | cmp -s - "$HELP" ||
    { echo "stdout does not start with the help text" && failed=1; }
  tail -n +$((lines + 1)) "$out/stdout" >"$out/rest" && mv "$out/rest" "$out/stdout"
fi
if [ -n "$UPDATE" ]; then
  [ $failed = 0 ] || exit 1
  cp "$out/stdout" "$out/stderr" "$out/status" "$UPDATE/"
  while IFS= read -r -d '' file; do
    cp "$work/${file#"$UPDATE/files/"}" "$file"
  done < <(find "$UPDATE/files" -type f -print0 2>/dev/null)
  exit 0
fi
same() { cmp -s "$2" "$3" || { echo "$1 differs:" && diff -u "$2" "$3" | head -n 40 && failed=1; }; }
for part in stdout stderr status; do same "$part" "$CASE_DIR/expected/$part" "$out/$part"; done
while IFS= read -r -d '' file; do
  same "file ${file#"$CASE_DIR/expected/files/"}" "$file" "$work/${file#"$CASE_DIR/expected/files/"}"
done < <(find "$CASE_DIR/expected/files" -type f -print0 2>/dev/null)
# Every configuration a run writes holds the constraints it writes with it.
for cfg in "$CASE_DIR"/expected/files/*.cfg; do
  [ "$status" = 0 ] && [ -f "${cfg%.cfg}.fnc" ] && ! cmp -s "$cfg" "$CASE_DIR/in/${cfg##*/}" &&
    ! (cd "$work" && "$FNCPREP" check \
    "$(basename "$cfg")" "$(basename "${cfg%.cfg}.fnc")" >/dev/null) && echo "check fails on $cfg" && failed=1
done
while IFS= read -r rel; do
  [ -n "$rel" ] && { [ -e "$work/$rel" ] || [ -L "$work/$rel" ]; } && echo "$rel should not exist" && failed=1
done < <(cat "$CASE_DIR/expected/absent" 2>/dev/null)
exit $failed
