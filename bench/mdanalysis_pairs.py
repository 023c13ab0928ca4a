# The script a user would write instead of fncprep constrain: bonds guessed by
# MDAnalysis, the 1-3 pairs from them, and the distances of both in the box.
import sys

import MDAnalysis as mda
from MDAnalysis.lib.distances import calc_bonds

u = mda.Universe(sys.argv[1], guess_bonds=True)
positions = u.atoms.positions
bonds = u.bonds.indices
angles = u.angles.indices  # guessed from the bonds
d_bonds = calc_bonds(positions[bonds[:, 0]], positions[bonds[:, 1]], box=u.dimensions)
d_13 = calc_bonds(positions[angles[:, 0]], positions[angles[:, 2]], box=u.dimensions)
print(f"{len(u.atoms)} atoms, {len(bonds)} bonds, {len(angles)} 1-3 pairs")
