#!/usr/bin/env bash
# tests/signal_campaign.sh FNCPREP RUNS CENTRES: RUNS grows of CENTRES central atoms (two
# neighbours each) in a fresh folder, each sent SIGINT, SIGTERM, SIGHUP or SIGPIPE in turn at a
# random moment, from its start to a fifth past the time an undisturbed run takes. Before each run
# the folder holds an earlier pair of files (one neighbour each, so that any mix of the two pairs
# shows); after it, the pair on disk must be that earlier pair, or a new whole pair (the constraint
# file every seed gives, a configuration that `check` passes with it), and no temporary file may be
# left. Prints how the runs of each signal ended, then a last line with the verdict; exit status 1
# if any run broke the rule. The long form: RUNS 100, CENTRES 500000 (a few minutes).
set -u
fncprep=$(realpath "$1") runs=$2 centres=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
awk -v n="$centres" 'BEGIN {
  srand(7)
  print " (Version 3 format configuration file) !file created by SimpleCfg::save !"
  print "centres at random"; print ""; print ""
  print "          0         0         0 moves generated, tried, accepted "
  print "          0              configurations saved"
  print " "
  printf " %10d molecules of all types\n", n
  print "          1 types of molecules "
  print "          1 is the largest number of atoms in a molecule "
  print "          0 Euler angles are provided "
  print " "
  print "          F (box is cubic)\t"
  print "            Defining vectors are: "
  print "            100.000000   0.000000   0.000000"
  print "              0.000000 100.000000   0.000000"
  print "              0.000000   0.000000 100.000000"
  print ""
  printf " %10d molecules of type  1\n", n
  print "          1 atomic sites "
  print "              0.000000   0.000000   0.000000"
  print " "
  for (i = 0; i < n; i++) printf " %.15f  %.15f  %.15f\n", rand() - 0.5, rand() - 0.5, rand() - 0.5
}' >c.incfg
shells() { printf ' %d\n 2\n 1\n 0 %d\n 0 1.0\n 0 1.2\n' "$centres" "$1" >c.dat; }
# The earlier pair, and the constraint file of every new pair.
shells 1 && "$fncprep" grow c --seed 1 >/dev/null && cp c.cfg old.cfg && cp c.fnc old.fnc || exit 1
shells 2
start=$(date +%s%N)
"$fncprep" grow c --seed 1 >/dev/null && mv c.fnc new.fnc || exit 1
span=$((($(date +%s%N) - start) / 1000000 * 6 / 5 + 1))  # milliseconds
cp old.cfg c.cfg && cp old.fnc c.fnc
declare -A tally
broken=0
signals=(INT TERM HUP PIPE)
for ((i = 0; i < runs; i++)); do
  signal=${signals[i % 4]}
  env --default-signal "$fncprep" grow c --seed $((i + 2)) >/dev/null 2>&1 &
  run=$!
  delay=$((RANDOM * 32768 + RANDOM))
  sleep "$(printf '%d.%03d' $((delay % span / 1000)) $((delay % span % 1000)))"
  # What the run was doing, as near the signal as a look can tell.
  moment=other
  compgen -G '.c.cfg.*' >/dev/null && moment=cfg
  compgen -G '.c.fnc.*' >/dev/null && moment=fnc
  kill -s "$signal" "$run" 2>/dev/null
  wait "$run" 2>/dev/null
  status=$?
  if compgen -G '.c.*' >/dev/null; then
    pair="temporary file left"
  elif cmp -s c.cfg old.cfg && cmp -s c.fnc old.fnc; then
    pair="earlier pair"
  elif cmp -s c.fnc new.fnc && ! cmp -s c.cfg old.cfg && "$fncprep" check c.cfg c.fnc >/dev/null; then
    pair="new pair"
    cp old.cfg c.cfg && cp old.fnc c.fnc
  else
    pair="mixed or broken pair"
  fi
  case $pair in earlier* | new*) ;; *)
    echo "run $((i + 1)) ($signal, status $status): $pair"
    broken=$((broken + 1))
    rm -f .c.* && cp old.cfg c.cfg && cp old.fnc c.fnc
    ;;
  esac
  [ "$status" = 0 ] && ended=finished || ended="ended by it"
  tally[$signal,$moment,$pair,$ended]=$((${tally[$signal,$moment,$pair,$ended]:-0} + 1))
done
# The moment: "cfg" while only the configuration's temporary file was there,
# "fnc" once the constraint file's was too, "other" before or after both.
printf '%-6s %-6s %-21s %-12s %s\n' signal moment "pair on disk" "the run" runs
for key in "${!tally[@]}"; do
  IFS=, read -r signal moment pair ended <<<"$key"
  printf '%-6s %-6s %-21s %-12s %d\n' "$signal" "$moment" "$pair" "$ended" "${tally[$key]}"
done | sort
if [ $broken = 0 ]; then
  echo "$runs runs of $centres centres: each left one whole pair and no temporary file"
else
  echo "$runs runs of $centres centres: $broken left a mixed or broken pair, or a temporary file"
  exit 1
fi
