#!/usr/bin/env bash
# Benchmark of fncprep: five large workloads of the dialogue, each with two
# baselines, the placements of grow on a sixth, convert and constrain on a GROMACS box, and
# constrain beside an MDAnalysis script.
# Run from the repository root: bash bench/run.sh
# Environment: RUNS (timed runs per figure, default 5),
#              BENCH_NO_INSTALL=1 (never call apt-get for missing tools),
#              BENCH_NO_HYPERFINE=1 (time with a plain date loop instead).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH=$ROOT/bench
SCRATCH=$BENCH/scratch
BUILD=$ROOT/build-bench
BIN=$BUILD/fncprep
RUNS=${RUNS:-5}
FAKETIME_LIB=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
# A stopped clock: every mode-1 run draws from the same seed.
FAKE_DATE="2026-01-01 00:00:00"

say() { printf '%s\n' "$*"; }
die() { printf 'bench: %s\n' "$*" >&2; exit 1; }

# ---------------------------------------------------------------- tools
APT_UPDATED=0
install_pkg() {  # install_pkg PACKAGE: true when it is installed afterwards
  [[ ${BENCH_NO_INSTALL:-0} == 1 ]] && return 1
  [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null || return 1
  if [[ $APT_UPDATED == 0 ]]; then
    DEBIAN_FRONTEND=noninteractive apt-get update -qq >/dev/null 2>&1 || return 1
    APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$1" >/dev/null 2>&1
}

[[ -x /usr/bin/time ]] || install_pkg time || die "/usr/bin/time is missing (package time)"
[[ -f $FAKETIME_LIB ]] || install_pkg faketime ||
  die "libfaketime is missing (package faketime); mode-1 outputs would not be reproducible"
HAVE_HYPERFINE=0
if [[ ${BENCH_NO_HYPERFINE:-0} != 1 ]] && { command -v hyperfine >/dev/null || install_pkg hyperfine; }; then
  HAVE_HYPERFINE=1
fi
for tool in cmake ninja g++ sha256sum cmp awk; do
  command -v "$tool" >/dev/null || die "$tool is missing"
done

# ---------------------------------------------------------------- build
if [[ ! -f $BUILD/build.ninja ]]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFNCPREP_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" -j2 --target fncprep >/dev/null
mkdir -p "$SCRATCH"
for tool in gen_workloads gen_grow_workloads plain_writer shell_stats verify_grow; do
  if [[ ! -x $SCRATCH/$tool || $BENCH/$tool.cpp -nt $SCRATCH/$tool ]]; then
    g++ -O2 -std=c++20 -Wall -Wextra -Wpedantic -o "$SCRATCH/$tool" "$BENCH/$tool.cpp"
  fi
done

# ---------------------------------------------------------------- workloads
cd "$SCRATCH"
rm -rf plain copy
mkdir -p plain copy
"$SCRATCH/gen_workloads" "$SCRATCH"
mkdir -p grow
"$SCRATCH/gen_grow_workloads" "$SCRATCH/grow"
printf '1\nw1\ny\n' >w1.answers
printf '1\nw2\ny\n' >w2.answers
printf '2\nw3\ny\n' >w3.answers
printf '1\nw4\ny\n' >w4.answers
printf '1\nw5\ny\n' >w5.answers
[[ -f sums.txt ]] && mv sums.txt sums.prev

# ---------------------------------------------------------------- helpers
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# wall_median COMMAND [PREPARE]: median wall time in seconds of RUNS runs of a
# shell command; PREPARE, if given, runs (untimed) before each of them.
wall_median() {
  if [[ $HAVE_HYPERFINE == 1 ]]; then
    local prepare=()
    [[ -n ${2:-} ]] && prepare=(--prepare "$2")
    hyperfine --runs "$RUNS" --style none "${prepare[@]}" --export-csv timing.csv "$1" >/dev/null 2>&1 ||
      die "command failed: $1"
    awk -F, 'NR == 2 { print $4 }' timing.csv
  else
    local i t0 t1
    for ((i = 0; i < RUNS; i++)); do
      [[ -n ${2:-} ]] && { sh -c "$2" || die "command failed: $2"; }
      t0=$(date +%s.%N)
      sh -c "$1" || die "command failed: $1"
      t1=$(date +%s.%N)
      awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }'
    done | median
  fi
}

# fresh_outputs FILE...: the command that removes output files and writes all
# dirty data to disk, so that a timed run starts with no files to discard and
# no write-back of earlier runs going on.
fresh_outputs() { printf 'rm -f %s; sync' "$*"; }

fncprep_cmd() {  # fncprep_cmd WORKLOAD
  printf 'env LD_PRELOAD=%q FAKETIME=%q %q <%s.answers >/dev/null' \
    "$FAKETIME_LIB" "$FAKE_DATE" "$BIN" "$1"
}

declare -A SUMMARY TIME
# bench_workload NAME PRECISION OUTPUT...: the real program, the copy floor and
# the plain writer on the same output files.
bench_workload() {
  local w=$1 precision=$2
  shift 2
  local outputs=("$@") f

  # One run under /usr/bin/time for the peak memory; it also makes the outputs
  # that the baselines read.
  env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$FAKE_DATE" \
    /usr/bin/time -f %M -o "$w.rss" "$BIN" <"$w.answers" >"$w.console" ||
    die "fncprep failed on $w (console in $SCRATCH/$w.console)"
  local rss_kib first_sums bytes=0
  rss_kib=$(tail -n 1 "$w.rss")
  first_sums=$(sha256sum "${outputs[@]}")
  for f in "${outputs[@]}"; do bytes=$((bytes + $(stat -c %s "$f"))); done

  # Two situations, each for all three commands: the outputs of the run
  # before are still there, so opening them discards ("over"), or there are
  # none and nothing is being written back ("fresh").
  local t_prog t_cp t_plain f_prog f_cp f_plain
  t_prog=$(wall_median "$(fncprep_cmd "$w")")
  [[ $(sha256sum "${outputs[@]}") == "$first_sums" ]] ||
    die "$w: outputs differ between runs of the same input"
  f_prog=$(wall_median "$(fncprep_cmd "$w")" "$(fresh_outputs "${outputs[@]}")")
  [[ $(sha256sum "${outputs[@]}") == "$first_sums" ]] ||
    die "$w: outputs differ between runs of the same input"
  t_cp=$(wall_median "cp ${outputs[*]} copy/")
  f_cp=$(wall_median "cp ${outputs[*]} copy/" "$(fresh_outputs "${outputs[@]/#/copy/}")")

  local args=() times=() fresh_times=() i
  for f in "${outputs[@]}"; do
    case $f in
      *.cfg) args+=(cfg "$f" "plain/$f") ;;
      *.fnc) args+=(fnc "$precision" "$f" "plain/$f") ;;
    esac
  done
  for ((i = 0; i < RUNS; i++)); do
    times+=("$("$SCRATCH/plain_writer" "${args[@]}")") || die "plain_writer failed on $w"
  done
  for ((i = 0; i < RUNS; i++)); do
    sh -c "$(fresh_outputs "${outputs[@]/#/plain/}")"
    fresh_times+=("$("$SCRATCH/plain_writer" "${args[@]}")") || die "plain_writer failed on $w"
  done
  t_plain=$(printf '%s\n' "${times[@]}" | median)
  f_plain=$(printf '%s\n' "${fresh_times[@]}" | median)
  local same=yes
  for f in "${outputs[@]}"; do
    cmp -s "$f" "plain/$f" || same=NO
    cmp -s "$f" "copy/$f" || die "cp produced a different $f"
  done

  local mb mbps f_mbps r_plain r_cp fr_plain fr_cp
  mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
  mbps=$(awk -v b="$bytes" -v t="$t_prog" 'BEGIN { printf "%.0f", b / 1e6 / t }')
  f_mbps=$(awk -v b="$bytes" -v t="$f_prog" 'BEGIN { printf "%.0f", b / 1e6 / t }')
  r_plain=$(ratio "$t_plain" "$t_prog")
  r_cp=$(ratio "$t_prog" "$t_cp")
  fr_plain=$(ratio "$f_plain" "$f_prog")
  fr_cp=$(ratio "$f_prog" "$f_cp")
  say "  output   $mb MB (${outputs[*]}); fncprep peak RSS $rss_kib KiB"
  say "                 over the last outputs    fresh outputs"
  say "  fncprep  $(printf '%9.3f s %8s MB/s %9.3f s %8s MB/s' "$t_prog" "$mbps" "$f_prog" "$f_mbps")"
  say "  cp       $(printf '%9.3f s %14s %9.3f s' "$t_cp" "" "$f_cp")   (copy of the finished outputs)"
  say "  plain    $(printf '%9.3f s %14s %9.3f s' "$t_plain" "" "$f_plain")   (write phase only; byte-identical to fncprep: $same)"
  say "  ratios   over the last outputs: plain/fncprep $r_plain, fncprep/cp $r_cp;" \
    "fresh: plain/fncprep $fr_plain, fncprep/cp $fr_cp (targets >= 15 and <= 5)"
  [[ $same == yes ]] || die "plain writer output differs from fncprep on $w"
  TIME[$w]=$t_prog
  SUMMARY[$w]=$(printf '%-3s %-5s %8.3f %8.3f %8.3f %7s %7s' "$w" over "$t_prog" "$t_cp" "$t_plain" \
    "$r_plain" "$r_cp")
  SUMMARY[$w]+=$'\n'$(printf '%-3s %-5s %8.3f %8.3f %8.3f %7s %7s %8s' "" fresh "$f_prog" "$f_cp" \
    "$f_plain" "$fr_plain" "$fr_cp" "$((rss_kib / 1024))")
  LAST_RSS_KIB=$rss_kib
}

# ---------------------------------------------------------------- run
say "fncprep benchmark: $RUNS runs per figure, timing by $([[ $HAVE_HYPERFINE == 1 ]] && echo hyperfine || echo date loop)"
say "binary: $BIN"
say "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores (figures are noisy when the machine is shared)"
say ""

W1_N=100000
W1_S=16
say "== w1: mode 1, $W1_N central atoms of type 1 in a box of 120, neighbours 0 12 4 -> $((W1_N * (1 + W1_S))) atoms"
bench_workload w1 15 w1.cfg w1.fnc
# Arrays the program cannot do without: input and output coordinates (24 bytes
# per atom), 12 bytes per constraint row (central index, list start, count) and
# 8 bytes per entry (neighbour, constraint kind).
rows=$((W1_N * (1 + W1_S)))
entries=$((2 * W1_N * W1_S))
coord_bytes=$((24 * (W1_N + rows)))
row_bytes=$((12 * rows))
entry_bytes=$((8 * entries))
array_bytes=$((coord_bytes + row_bytes + entry_bytes))
say "  arrays   $(awk -v c="$coord_bytes" -v r="$row_bytes" -v e="$entry_bytes" -v t="$array_bytes" \
  'BEGIN { printf "%.1f MB = coordinates %.1f + rows %.1f + entries %.1f", t / 1e6, c / 1e6, r / 1e6, e / 1e6 }')"
say "  memory   peak RSS / arrays $(ratio $((LAST_RSS_KIB * 1024)) "$array_bytes") (target < 1.5)"
t_check=$(wall_median "$BIN check w1.cfg w1.fnc >/dev/null")
say "  check    fncprep check w1.cfg w1.fnc: $(printf '%.3f' "$t_check") s (target < 1)"
say ""

say "== w2: mode 1, 1700000 atoms of one type, no neighbours (reader and writer alone)"
bench_workload w2 15 w2.cfg w2.fnc
say ""

say "== w3: mode 2, 1000000 atoms: 70000 x 12-atom molecules (20 pairs), 20000 x 6-atom (5 pairs), 40000 single atoms"
bench_workload w3 6 w3.fnc
say ""

say "== w4, w5: mode 1, 200000 atoms copied through, written as %.10e (w4) and as plain decimals (w5)"
bench_workload w4 15 w4.cfg w4.fnc
bench_workload w5 15 w5.cfg w5.fnc
cmp -s w4.cfg w5.cfg || die "w4 and w5 hold the same values but gave different outputs"
say "  notation  exponents / plain decimals $(ratio "${TIME[w4]}" "${TIME[w5]}") (target <= 1.5)"
say ""

say "== w6: grow, 103823 centres on a lattice at the molecular density of liquid water, 4 neighbours each in 1.0 .. 1.2"
declare -A GROW
for options in "--seed 6" "--seed 6 --uniform" "--seed 6 --uniform --min-distance 0.8"; do
  GROW[$options]=$(wall_median "$BIN grow w6 $options >/dev/null")
  "$BIN" check w6.cfg w6.fnc >w6.check || die "w6 $options: check failed (report in $SCRATCH/w6.check)"
  say "  grow w6 $options: $(printf '%.3f' "${GROW[$options]}") s, check passes"
  "$SCRATCH/shell_stats" w6.cfg w6.fnc 103823 1.0 1.2 | sed 's/^/    /'
done
say "  with --uniform --min-distance 0.8 / without $(ratio "${GROW[--seed 6 --uniform --min-distance 0.8]}" "${GROW[--seed 6]}") (target <= 3)"
say ""

say "== w7: convert a GROMACS water box of 1119744 atoms (.gro) to a configuration (.cfg)"
# gmx genconf copies GROMACS's 216-water box 12 x 12 x 12 times; without GROMACS a lattice
# of the same count stands in, and only cp is there to compare with.
HAVE_GMX=0
command -v gmx >/dev/null && [[ -f /usr/share/gromacs/top/spc216.gro ]] && HAVE_GMX=1
if [[ ! -s w7.gro ]]; then
  if [[ $HAVE_GMX == 1 ]]; then
    gmx -quiet genconf -f /usr/share/gromacs/top/spc216.gro -nbox 12 12 12 -o w7.gro >/dev/null 2>&1 ||
      die "gmx genconf failed"
  else
    awk 'BEGIN { n = 1119744; print "lattice"; printf "%5d\n", n
      for (i = 0; i < n; i++) printf "%5d%-5s%5s%5d%8.3f%8.3f%8.3f\n", (i / 3 + 1) % 100000, "SOL",
        (i % 3 ? "HW" i % 3 : "OW"), (i + 1) % 100000, (i % 104) * 0.215, (int(i / 104) % 104) * 0.215,
        int(i / 10816) * 0.215
      printf "%10.5f%10.5f%10.5f\n", 22.36, 22.36, 22.36 }' >w7.gro
  fi
fi
/usr/bin/time -f %M -o w7.rss "$BIN" convert w7.gro w7.cfg >w7.console || die "convert failed on w7"
T7_PROG=$(wall_median "$BIN convert w7.gro w7.cfg >/dev/null")
F7_PROG=$(wall_median "$BIN convert w7.gro w7.cfg >/dev/null" "$(fresh_outputs w7.cfg)")
T7_CP=$(wall_median "cp w7.gro w7.copy.gro")
F7_CP=$(wall_median "cp w7.gro w7.copy.gro" "$(fresh_outputs w7.copy.gro)")
say "  input    $(awk -v b="$(stat -c %s w7.gro)" 'BEGIN { printf "%.1f", b / 1e6 }') MB; output" \
  "$(awk -v b="$(stat -c %s w7.cfg)" 'BEGIN { printf "%.1f", b / 1e6 }') MB; convert peak RSS $(tail -n 1 w7.rss) KiB"
say "                 over the last outputs    fresh outputs"
say "  convert  $(printf '%9.3f s %14s %9.3f s' "$T7_PROG" "" "$F7_PROG")"
if [[ $HAVE_GMX == 1 ]]; then
  T7_GMX=$(wall_median "gmx -quiet editconf -f w7.gro -o w7.editconf.gro >/dev/null 2>&1")
  F7_GMX=$(wall_median "gmx -quiet editconf -f w7.gro -o w7.editconf.gro >/dev/null 2>&1" \
    "$(fresh_outputs w7.editconf.gro)")
  say "  editconf $(printf '%9.3f s %14s %9.3f s' "$T7_GMX" "" "$F7_GMX")   (gmx editconf -f w7.gro -o Y.gro)"
else
  say "  editconf (GROMACS is not installed: no gmx editconf to compare with)"
fi
say "  cp       $(printf '%9.3f s %14s %9.3f s' "$T7_CP" "" "$F7_CP")   (cp w7.gro Y.gro)"
if [[ $HAVE_GMX == 1 ]]; then
  say "  ratios   convert/editconf $(ratio "$T7_PROG" "$T7_GMX") over, $(ratio "$F7_PROG" "$F7_GMX")" \
    "fresh (target <= 0.5); convert/cp $(ratio "$T7_PROG" "$T7_CP") over, $(ratio "$F7_PROG" "$F7_CP") fresh"
else
  say "  ratios   convert/cp $(ratio "$T7_PROG" "$T7_CP") over, $(ratio "$F7_PROG" "$F7_CP") fresh"
fi
rm -f w7.copy.gro w7.editconf.gro
say ""

say "== w8: constrain the same box: molecules from residues, bonds by distance, pairs to depth 2"
# Reading, bonds, pairs, the three outputs and the check of w8.cfg and w8.fnc.
/usr/bin/time -f %M -o w8.rss "$BIN" constrain w7.gro w8 >w8.console || die "constrain failed on w7.gro"
T8_PROG=$(wall_median "$BIN constrain w7.gro w8 >/dev/null")
F8_PROG=$(wall_median "$BIN constrain w7.gro w8 >/dev/null" "$(fresh_outputs w8.cfg w8.dat w8.fnc)")
say "  constrain$(printf '%9.3f s %14s %9.3f s' "$T8_PROG" "" "$F8_PROG")   peak RSS $(tail -n 1 w8.rss) KiB"
if [[ $HAVE_GMX == 1 ]]; then
  say "  ratios   constrain/editconf $(ratio "$T8_PROG" "$T7_GMX") over, $(ratio "$F8_PROG" "$F7_GMX")" \
    "fresh (target <= 2)"
else
  say "  ratios   constrain/cp $(ratio "$T8_PROG" "$T7_CP") over (GROMACS is not installed:" \
    "no gmx editconf to compare with)"
fi
say ""

say "== w9: constrain a water box of about 100000 atoms beside the MDAnalysis script a user would write"
# bench/mdanalysis_pairs.py: Universe(gro, guess_bonds=True), the 1-3 pairs from the bonds and
# calc_bonds with the box. Debian's python3-mdanalysis is in /usr/bin/python3.
if [[ ! -s w9.gro ]]; then
  if [[ $HAVE_GMX == 1 ]]; then
    gmx -quiet solvate -cs spc216.gro -box 10.05 10.05 10.05 -o w9.gro >/dev/null 2>&1 ||
      die "gmx solvate failed"
  else
    head -n 99914 w7.gro | awk 'NR == 2 { print 99912; next } { print }' >w9.gro
    printf '%10.5f%10.5f%10.5f\n' 22.36 22.36 22.36 >>w9.gro
  fi
fi
T9_PROG=$(wall_median "$BIN constrain w9.gro w9 >/dev/null")
F9_PROG=$(wall_median "$BIN constrain w9.gro w9 >/dev/null" "$(fresh_outputs w9.cfg w9.dat w9.fnc)")
say "  constrain  $(printf '%9.3f s over the last outputs, %.3f s fresh' "$T9_PROG" "$F9_PROG")" \
  "($(sed -n 2p w9.gro | tr -d ' ') atoms)"
PYTHON=
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import MDAnalysis' >/dev/null 2>&1; then PYTHON=$candidate; break; fi
done
if [[ -n $PYTHON ]]; then
  # The script takes tens of seconds: one run, with its peak RSS.
  start=$(date +%s.%N)
  /usr/bin/time -f %M -o w9.rss "$PYTHON" "$BENCH/mdanalysis_pairs.py" w9.gro >w9.mda 2>/dev/null ||
    die "the MDAnalysis script failed"
  T9_MDA=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }')
  say "  MDAnalysis $(printf '%9.3f s' "$T9_MDA")   peak RSS $(tail -n 1 w9.rss) KiB: $(cat w9.mda)"
  say "  ratios   MDAnalysis/constrain $(ratio "$T9_MDA" "$T9_PROG") over, $(ratio "$T9_MDA" "$F9_PROG")" \
    "fresh (target >= 100)"
else
  say "  MDAnalysis is not installed (python3-mdanalysis): no script to compare with"
fi
say ""

# grow_pair STEM D: grow STEM without and with --min-distance D, each timed,
# its peak memory taken and its output checked by verify_grow (without: the
# shells only; with: the shells and every pair against D).
grow_pair() {
  local stem=$1 d=$2 options t_without t_with rss_without rss_with check_without check_with
  for options in "" "--min-distance $d"; do
    /usr/bin/time -f %M -o "$stem.rss" "$BIN" grow "$stem" --seed 6 --uniform $options >/dev/null 2>&1 ||
      die "grow $stem $options failed"
    local check least=0
    [[ -n $options ]] && least=$d
    check=$("$SCRATCH/verify_grow" "$stem" "$least") || die "grow $stem $options: verify_grow failed: $check"
    if [[ -z $options ]]; then
      t_without=$(wall_median "$BIN grow $stem --seed 6 --uniform >/dev/null 2>&1")
      rss_without=$(tail -n 1 "$stem.rss")
      check_without=$check
    else
      t_with=$(wall_median "$BIN grow $stem --seed 6 --uniform $options >/dev/null 2>&1")
      rss_with=$(tail -n 1 "$stem.rss")
      check_with=$check
    fi
  done
  GROWN[$stem]=$t_with
  say "$(printf '  %-13s %5s %8.3f %8.3f %6s %8d %8d' "$stem" "$d" "$t_without" "$t_with" \
    "$(ratio "$t_with" "$t_without")" "$((rss_without / 1024))" "$((rss_with / 1024))")"
  say "                with: ${check_with#* centres; }"
}

say "== grow with a minimum distance (--seed 6 --uniform, without and with --min-distance D)"
say "   lattice-kK: 1000 centres 3.104 apart, K neighbours in 0.9 .. 1.1; cluster: 100000 centres in"
say "   1 % of a box of 215, even: as many spread at the cluster's density, spread: over the box"
say "   of 215, speck-N: N centres in a cube of side 0.1 (4 neighbours in 1.0 .. 1.2 each)"
say "  workload          D  without     with  ratio  MiB w/o  MiB with"
declare -A GROWN
cd grow
for workload in lattice-k2:0.8 lattice-k4:0.8 lattice-k12:0.8 lattice-k24:0.8 cluster:0.3 even:0.3 \
  spread:0.8 speck-10000:0.01 speck-30000:0.01 speck-100000:0.01; do
  grow_pair "${workload%:*}" "${workload#*:}"
done
cd ..
say "  clustered / even with the option $(ratio "${GROWN[cluster]}" "${GROWN[even]}") (target <= 1);" \
  "spread-out with / without: see its ratio (target <= 2)"
say ""

say "summary (median seconds; peak RSS of fncprep in MiB)"
say "wl  files  fncprep       cp    plain  pl/fnc  fnc/cp  RSS MiB"
for w in w1 w2 w3 w4 w5; do say "${SUMMARY[$w]}"; done
say ""

sha256sum w1.incfg w1.dat w2.incfg w2.dat w3.dat w4.incfg w5.incfg \
  w1.cfg w1.fnc w2.cfg w2.fnc w3.fnc w4.cfg w4.fnc >sums.txt
if [[ -f sums.prev ]]; then
  if cmp -s sums.txt sums.prev; then
    say "outputs: byte-identical to the previous run (sums.prev)"
  else
    say "outputs: DIFFER from the previous run in:"
    diff sums.prev sums.txt | awk '/^>/ { print "  " $3 }'
  fi
else
  say "outputs: sha256 sums saved to bench/scratch/sums.txt (no previous run to compare)"
fi
rm -rf plain copy timing.csv
