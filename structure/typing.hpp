// From a structure to a typed configuration and back: the atoms' types, by
// element or by name, numbered in order of first appearance; the atoms stored
// type by type, in box units of a cubic box.
#pragma once

#include <string>
#include <vector>

#include "cfg/configuration.hpp"
#include "structure/structure.hpp"

enum class TypeBy { kElement, kName };

struct AtomTypes {
  std::vector<std::string> names;  // one a type
  std::vector<int> counts;         // one a type
  std::vector<int> of_atom;        // one an atom: its type, counted from 0
};

// The types of `structure`'s atoms. By element, an atom without one is a
// located error at its line of `file`.
AtomTypes TypesOf(const Structure& structure, TypeBy by, const std::string& file);

// `structure` with the types `types`: the atoms type by type, in the order of
// the structure within a type, wrapped into [-0.5, 0.5). A structure without a
// cell, or whose cell is not cubic, is a located error.
TypedConfiguration ToConfiguration(const Structure& structure, const AtomTypes& types,
                                   const std::string& file);

// A configuration as a structure: one atom a residue, both named after the
// type ("T1", "T2", ... where the types have no names), positions in [0, box)
// in the configuration's order.
Structure ToStructure(const TypedConfiguration& config);
// The types of ToStructure(config).
AtomTypes TypesOf(const TypedConfiguration& config);
