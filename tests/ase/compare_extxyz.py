"""ASE reads an extended XYZ that fncprep wrote: its cell, atom count, chemical symbols and
positions agree with ASE's own reading of the structure it came from.

usage: compare_extxyz.py XYZ REFERENCE [--configuration]

With --configuration the reference's atoms are taken type by type (types by symbol, in order
of first appearance), as a configuration stores them, and positions are compared up to whole
cell vectors. Prints one line per property; exit status 1 if any disagrees."""
import sys

import ase.io
import numpy as np


def main(xyz, reference, configuration):
    ours = ase.io.read(xyz, format="extxyz")
    theirs = ase.io.read(reference)
    if configuration:
        symbols = theirs.get_chemical_symbols()
        order = sorted(range(len(theirs)), key=lambda i: symbols.index(symbols[i]))
        theirs = theirs[order]
    same_count = len(ours) == len(theirs)
    if same_count:
        shift = theirs.cell.scaled_positions(ours.positions) - theirs.get_scaled_positions(wrap=False)
        if configuration:
            shift -= np.round(shift)
    checks = {
        "count": same_count,
        "cell": np.allclose(ours.cell[:], theirs.cell[:], rtol=0, atol=1e-9),
        "symbols": ours.get_chemical_symbols() == theirs.get_chemical_symbols(),
        "positions": same_count and np.abs(shift).max() < 1e-9,
    }
    for name, same in checks.items():
        print(f"{name}: {'same' if same else 'DIFFERENT'}")
    return 0 if all(checks.values()) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], "--configuration" in sys.argv[3:]))
