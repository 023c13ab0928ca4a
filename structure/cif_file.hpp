// The mmCIF file (.cif, .mmcif), parsed by gemmi: the atoms of its
// _atom_site table, the _cell and the _struct.title of its first data block.
#pragma once

#include <istream>
#include <string>

#include "structure/structure.hpp"

// Reads the atoms of the first model in the table's order, in angstrom; of
// alternate locations, only the first (none or A). Names, residues and chains
// are the author's where the file gives them. Elements come from type_symbol,
// or else from the atom name. A value out of place is located at its table's
// first line and named by its row.
Structure ReadCif(std::istream& in, const std::string& file);
