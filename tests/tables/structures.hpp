// Small structures for the tables: waters and methanols placed where a test
// wants them.
#pragma once

#include <string>
#include <vector>

#include "structure/structure.hpp"
#include "topology/bonds.hpp"
#include "topology/pairs.hpp"

namespace tables {

inline Structure InUnit(const char* unit) {
  Structure structure;
  structure.unit = unit;
  return structure;
}

// Adds the atoms of a residue: name, element and offset from `at` each.
inline void AddResidue(Structure& structure, const std::string& residue, int number,
                       const Position& at,
                       const std::vector<std::tuple<std::string, std::string, Position>>& atoms) {
  for (const auto& [name, element, offset] : atoms) {
    structure.atoms.push_back({name,
                               element,
                               residue,
                               number,
                               "",
                               {at[0] + offset[0], at[1] + offset[1], at[2] + offset[2]}});
  }
}

// O-H 0.1 nm (the second hydrogen `oh2` away), H-O-H at right angles.
inline void AddWater(Structure& structure, int number, const Position& at, double oh2 = 0.1) {
  AddResidue(structure, "SOL", number, at,
             {{"OW", "O", {0, 0, 0}}, {"HW1", "H", {0.1, 0, 0}}, {"HW2", "H", {0, oh2, 0}}});
}

// C, three H, O, H with bonds C-H 0.109, C-O 0.143, O-H 0.096 (nm).
inline void AddMethanol(Structure& structure, int number, const Position& at) {
  AddResidue(structure, "MET", number, at,
             {{"C", "C", {0, 0, 0}},
              {"H1", "H", {-0.036, 0.103, 0}},
              {"H2", "H", {-0.036, -0.051, 0.089}},
              {"H3", "H", {-0.036, -0.051, -0.089}},
              {"O", "O", {0.143, 0, 0}},
              {"HO", "H", {0.175, 0.0905, 0}}});
}

}  // namespace tables
