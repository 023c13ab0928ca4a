// The GROMACS structure file (.gro): a title, the atom count, one fixed-column
// line per atom (residue number, residue name, atom name, atom number, x, y,
// z in nm, velocities optional) and the box. Everything that knows its line
// layout is here.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "structure/structure.hpp"

// Reads the first frame of the file `file`. The coordinates' width is taken,
// as GROMACS does, from the distance between the first line's decimal points;
// elements are told from the atom names. A box of zeros is no cell.
Structure ReadGro(std::istream& in, const std::string& file);

// Writes `structure` in nm with three decimals, as GROMACS does: residue and
// atom numbers past 99999 wrap around to 0. A name longer than five
// characters, or a coordinate too long for its columns, is a located error.
void WriteGro(std::ostream& out, const Structure& structure, const std::string& file);
