// A structure as the common formats hold it (GROMACS, PDB, mmCIF, XYZ): atoms
// with their names, elements, residues and positions in the file's length
// unit, the periodic cell where the file gives one, and the bonds it states.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct StructureAtom {
  std::string name;        // atom name ("OW", "HW1"); an XYZ file's species
  std::string element;     // chemical symbol ("O"), empty where unknown
  std::string residue;     // residue name ("SOL"), empty where the format has none
  int residue_number = 0;  // as the file gives it
  std::string chain;       // chain of PDB and mmCIF, else empty
  std::array<double, 3> position{};
  int line = 0;  // the file's line that gives this atom, 0 where there is none
};

// The cell's three edge vectors a, b and c, one a row.
using Cell = std::array<std::array<double, 3>, 3>;

struct Structure {
  std::string title;
  std::string unit;  // "nm", "A" (angstrom), or as given for XYZ
  std::vector<StructureAtom> atoms;
  std::optional<Cell> cell;
  int cell_line = 0;  // the file's line that gives the cell, 0 where there is none
  std::vector<std::pair<int, int>> bonds;  // atoms counted from 0, as the file states them
};
