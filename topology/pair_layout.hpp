// The pairs of each molecule type placed in the configuration, whose atoms
// are stored type by type and, within a type, in molecule order: for each
// pair its atoms in the first and in the second molecule of its type, as a
// mode-2 pair list gives them.
#pragma once

#include <string>
#include <vector>

#include "structure/structure.hpp"
#include "topology/molecules.hpp"
#include "topology/pairs.hpp"

struct ListedPair {
  int kind = 1;  // counted from 1
  // Atoms of the configuration counted from 1: in the first molecule of the
  // type, then in the second (the same as in the first for a lone molecule).
  int first = 0, second = 0, first_next = 0, second_next = 0;
  // Residue and atom names ("SOL OW"), bonds apart, reference distance.
  std::string first_name, second_name;
  int depth = 1;
  double reference = 0;
};

struct ListedType {
  std::string name;
  int molecules = 0;
  int atoms = 0;  // in one molecule
  std::vector<ListedPair> pairs;
};

struct ListedKind {
  std::string first_type, second_type;  // atom type names
  int depth = 1;
  double lower = 0, upper = 0;
};

struct PairList {
  int atoms = 0;                  // of the whole configuration
  std::vector<ListedType> types;  // those with pairs
  std::vector<ListedKind> kinds;  // kind k at k - 1
};

// Throws LocatedError (naming `structure_file`) where the molecules of a
// type do not keep their atoms' index steps in the configuration.
PairList LayOutPairs(const Structure& structure, const std::string& structure_file,
                     const Molecules& molecules, const AtomTypes& types, const PairSet& pairs);
