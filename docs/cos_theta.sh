#!/usr/bin/env bash
# Draws docs/cos_theta.svg: the histogram of cos(theta) of the neighbours of
# the shell example (105456 neighbours), grown with seed 1 as the dialogue
# places them and with --uniform.
#
#   bash docs/cos_theta.sh [FNCPREP]
#
# FNCPREP defaults to build/fncprep. Figures come from bench/shell_stats.cpp.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bin=$(realpath "${1:-$repo/build/fncprep}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

g++ -O2 -std=c++20 -o "$work/shell_stats" "$repo/bench/shell_stats.cpp"
cp "$repo/examples/shell/shell.dat" "$work/"
sh "$repo/examples/shell/make_incfg.sh" >"$work/shell.incfg"
cd "$work"
"$bin" grow shell --seed 1 >/dev/null
./shell_stats shell.cfg shell.fnc 8788 35 123 default.bins
"$bin" grow shell --seed 1 --uniform >/dev/null
./shell_stats shell.cfg shell.fnc 8788 35 123 uniform.bins

# Two bars per bin, as fractions of the neighbours; the dashed line is the
# fraction of points spread uniformly over a sphere (1/20 per bin).
paste default.bins uniform.bins | awk -v out="$repo/docs/cos_theta.svg" '
  function Y(v) { return top + height * (1 - v / top_value) }
  { d[NR] = $1; u[NR] = $2; total_d += $1; total_u += $2 }
  END {
    left = 60; top = 40; width = 600; height = 260; top_value = 0.16; bin = width / 20
    printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" font-family=\"sans-serif\" font-size=\"12\">\n", left + width + 20, top + height + 50 > out
    printf "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n" > out
    printf "<text x=\"%d\" y=\"20\" font-size=\"14\">cos(theta) of 105456 neighbours, shell example, seed 1</text>\n", left > out
    for (v = 0; v <= top_value + 1e-9; v += 0.04) {
      printf "<line x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"#ddd\"/>\n", left, Y(v), left + width, Y(v) > out
      printf "<text x=\"%d\" y=\"%.1f\" text-anchor=\"end\">%.2f</text>\n", left - 6, Y(v) + 4, v > out
    }
    for (i = 1; i <= 20; i++) {
      x = left + (i - 1) * bin
      printf "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#999\"/>\n", x + 2, Y(d[i] / total_d), bin / 2 - 2, height * d[i] / total_d / top_value > out
      printf "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#2a6fb0\"/>\n", x + bin / 2, Y(u[i] / total_u), bin / 2 - 2, height * u[i] / total_u / top_value > out
    }
    printf "<line x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"black\" stroke-dasharray=\"6 4\"/>\n", left, Y(0.05), left + width, Y(0.05) > out
    printf "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"black\"/>\n", left, top + height, left + width, top + height > out
    for (k = 0; k <= 4; k++)
      printf "<text x=\"%.1f\" y=\"%d\" text-anchor=\"middle\">%.1f</text>\n", left + k * width / 4, top + height + 18, -1 + k * 0.5 > out
    printf "<text x=\"%d\" y=\"%d\" text-anchor=\"middle\">cos(theta), 20 bins; bar height: fraction of the neighbours</text>\n", left + width / 2, top + height + 40 > out
    printf "<rect x=\"%d\" y=\"%d\" width=\"12\" height=\"12\" fill=\"#999\"/><text x=\"%d\" y=\"%d\">default (theta uniform)</text>\n", left + 180, top + 8, left + 198, top + 18 > out
    printf "<rect x=\"%d\" y=\"%d\" width=\"12\" height=\"12\" fill=\"#2a6fb0\"/><text x=\"%d\" y=\"%d\">--uniform (cos theta uniform)</text>\n", left + 180, top + 28, left + 198, top + 38 > out
    printf "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"black\" stroke-dasharray=\"6 4\"/><text x=\"%d\" y=\"%d\">uniform over the sphere</text>\n", left + 176, top + 52, left + 192, top + 52, left + 198, top + 56 > out
    printf "</svg>\n" > out
  }'
echo "wrote $repo/docs/cos_theta.svg"
