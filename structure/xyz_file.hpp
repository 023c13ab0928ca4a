// The XYZ file (.xyz, .extxyz): the atom count, a comment line and one line
// per atom. In extended XYZ the comment gives the cell (Lattice="ax ay az bx
// by bz cx cy cz") and the columns (Properties=species:S:1:pos:R:3...).
// Everything that knows its layout is here.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "structure/structure.hpp"

// Reads the first frame. Without Properties= the columns are species, x, y
// and z, and the comment line is the title; without Lattice= there is no
// cell. A species that is an element symbol gives the element; the species X
// with an integer type column (as written below) gives the name T<type>.
// Lengths are in whatever unit the file uses: the unit is left unstated.
Structure ReadXyz(std::istream& in, const std::string& file);

// Writes `structure` as ASE, OVITO and VMD read extended XYZ: the count, then
// Lattice= where there is a cell, Properties= and pbc=, and a line per atom:
// its element symbol and x, y and z with ten significant digits. Where some
// atom has no element, every atom's species is its element or X, and a type
// column gives its type (`types`: one an atom, counted from 0) counted from 1.
void WriteExtendedXyz(std::ostream& out, const Structure& structure, const std::vector<int>& types);
