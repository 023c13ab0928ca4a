// The pairs of each molecule type placed in the configuration, whose atoms
// are stored type by type and, within a type, in molecule order: for each
// pair its atoms in the first and in the second molecule of its type, as a
// mode-2 pair list gives them.
#pragma once

#include <string>
#include <vector>

#include "fnc/pair_list.hpp"
#include "structure/structure.hpp"
#include "topology/molecules.hpp"
#include "topology/pairs.hpp"

// Throws LocatedError (naming `structure_file`) where the molecules of a
// type do not keep their atoms' index steps in the configuration.
PairList LayOutPairs(const Structure& structure, const std::string& structure_file,
                     const Molecules& molecules, const AtomTypes& types, const PairSet& pairs);
