#!/usr/bin/env bash
# tests/signal_at.sh SIGNAL GLOB CONDITION COMMAND...: runs COMMAND in the background with every
# signal at its default, waits until a file matching GLOB appears (at most 10 s), and stops it.
# Once it has stopped, if CONDITION (bash) holds, it gets SIGNAL and is let go on, and this script
# ends with its exit status; otherwise it is let go on undisturbed and this script ends with 75,
# for the caller to try again. So SIGNAL reaches the run at the moment CONDITION describes however
# loaded the machine is: a stop takes effect only some time after it is sent.
set -u
signal=$1 glob=$2 condition=$3
shift 3
exec {nap}<> <(:)  # a pipe nothing is written to: reading from it waits without a process
env --default-signal "$@" &
run=$!
for ((i = 0; i < 20000; i++)); do
  compgen -G "$glob" >/dev/null && break
  read -r -t 0.0005 -u "$nap" || true
done
kill -s STOP "$run" 2>/dev/null
# Until the stop has taken effect (state T), or the run has ended (Z, or gone).
while read -r _ _ state _ <"/proc/$run/stat" 2>/dev/null && [ "$state" != T ] && [ "$state" != Z ]; do :; done
if [ "${state:-}" = T ] && eval "$condition"; then
  kill -s "$signal" "$run"
  kill -s CONT "$run"
  wait "$run" 2>/dev/null  # without the shell's note of the signal that ended it
  exit
fi
kill -s CONT "$run" 2>/dev/null
wait "$run"
exit 75
