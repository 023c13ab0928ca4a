// The molecules of a structure and their types, with each type's bonds:
// from a GROMACS topology, else from the residues, else (XYZ) from the
// connected parts of the bond graph.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "io/error.hpp"
#include "structure/structure.hpp"
#include "topology/gromacs_topology.hpp"

struct MoleculeType {
  std::string name;
  int count = 0;  // molecules
  int size = 0;   // atoms in one molecule
  // Between atoms of a molecule counted from 0, first < second, in order.
  std::vector<Bond> bonds;
  std::string bonds_from;  // "topology", "structure" (its CONECT records) or "distance"
};

struct Molecules {
  std::vector<MoleculeType> types;
  std::vector<int> type;     // of each molecule, in the order of their first atoms
  std::vector<int> start;    // molecule m's atoms: members[start[m] .. start[m + 1])
  std::vector<int> members;  // atoms of the structure, counted from 0
  std::vector<Warning> warnings;

  std::span<const int> AtomsOf(std::size_t molecule) const {
    return {members.data() + start[molecule], members.data() + start[molecule + 1]};
  }
};

// Where a structure and its topology came from, for messages.
struct MoleculeSources {
  std::string structure_file;
  std::string topology_file;
  double bond_factor = 1.2;  // bonded when d < factor * (rcov(a) + rcov(b))
};

// With a topology: its [ molecules ] in order (or, without that section, its
// molecule types matched to the structure's atom names in turn), its bonds,
// constraints and settles. Throws LocatedError where the atoms do not add up.
Molecules MoleculesOfTopology(const Structure& structure, const Topology& topology,
                              const MoleculeSources& sources);

// Without a topology: residues where the structure has them, else the
// connected parts of the bond graph. Bonds are the structure's own (CONECT)
// for the types whose molecules state any, else found by distance.
Molecules MoleculesOfStructure(const Structure& structure, const MoleculeSources& sources);
