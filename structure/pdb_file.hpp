// The PDB file (.pdb, .ent): ATOM and HETATM records in fixed columns, the
// cell of CRYST1, the title and the CONECT bonds. Everything that knows its
// record layout is here; gemmi writes it.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "structure/structure.hpp"

// Reads the atoms of the first model in the file's order, in angstrom; of
// alternate locations, only the first (blank or A). Serials past 99999 may be
// hybrid-36, hexadecimal or stars: they matter only to CONECT records, which
// must name atoms without doubt. Elements come from columns 77-78, or else
// from the atom name. CRYST1 1 1 1 90 90 90, the mark of no crystal, is no cell.
Structure ReadPdb(std::istream& in, const std::string& file);

// Writes `structure` in angstrom through gemmi: one residue for each run of
// atoms with the same chain, residue number and name; serials and residue
// numbers past the columns in hybrid-36. A name or coordinate that does not
// fit its columns is a located error.
void WritePdb(std::ostream& out, const Structure& structure, const std::string& file);
