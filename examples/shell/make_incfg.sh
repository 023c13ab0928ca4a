#!/bin/sh
# Writes the input configuration of the shell example on standard output:
# central atoms of one type on a face-centred cubic lattice, in the version 3
# configuration layout that fncprep reads as 'filename'.incfg.
#
#   sh make_incfg.sh [CELLS [BOX]] > shell.incfg
#
# CELLS lattice cells per edge (default 13, giving 4 x 13^3 = 8788 atoms, the
# number that shell.dat asks for); BOX the edge of the cubic box (default 5000,
# so nearest central atoms are 272 apart and shells of outer radius 123 around
# them do not touch). Coordinates are in box units, centred on the origin
# (from -0.5 to just below 0.5), written with 15 decimals. The output depends
# on nothing but the two arguments.
set -eu
cells=${1:-13}
box=${2:-5000}
exec awk -v cells="$cells" -v box="$box" 'BEGIN {
  n = 4 * cells * cells * cells
  print " (Version 3 format configuration file) !file created by SimpleCfg::save !"
  printf "central atoms on an fcc lattice of %d x %d x %d cells\n", cells, cells, cells
  print ""
  print ""
  printf " %10d%10d%10d moves generated, tried, accepted \n", 0, 0, 0
  printf " %10d              configurations saved\n", 0
  print " "
  printf " %10d molecules of all types\n", n
  printf " %10d types of molecules \n", 1
  printf " %10d is the largest number of atoms in a molecule \n", 1
  printf " %10d Euler angles are provided \n", 0
  print " "
  printf " %10s (box is cubic)\t\n", "F"
  print "            Defining vectors are: "
  printf "            %10.6f %10.6f %10.6f\n", box, 0, 0
  printf "            %10.6f %10.6f %10.6f\n", 0, box, 0
  printf "            %10.6f %10.6f %10.6f\n", 0, 0, box
  print ""
  printf " %10d molecules of type  %d\n", n, 1
  printf " %10d atomic sites \n", 1
  printf "            %10.6f %10.6f %10.6f\n", 0, 0, 0
  print " "
  # The four sites of the cubic cell, in units of the cell edge.
  split("0 0.5 0.5 0", bx, " ")
  split("0 0.5 0 0.5", by, " ")
  split("0 0 0.5 0.5", bz, " ")
  for (i = 0; i < cells; i++)
    for (j = 0; j < cells; j++)
      for (k = 0; k < cells; k++)
        for (s = 1; s <= 4; s++)
          printf " %.15f  %.15f  %.15f\n", (i + bx[s]) / cells - 0.5,
                 (j + by[s]) / cells - 0.5, (k + bz[s]) / cells - 0.5
}'
