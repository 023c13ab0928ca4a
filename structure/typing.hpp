// From a structure to a typed configuration and back: the atoms' types, by
// element or by name, numbered in order of first appearance; the atoms stored
// type by type, in box units of a cubic box; the names of the types kept in
// the configuration's title.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// A configuration as the version 3 file holds it.
struct TypedConfiguration {
  std::string title;
  std::string unit;                // of the box; empty where it is not stated
  double box = 0;                  // the cubic box's edge
  std::vector<std::string> names;  // one a type; empty where the types have none
  std::vector<int> counts;         // atoms of each type
  std::vector<double> coords;      // x, y, z of each atom in box units, type by type
};

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

// A configuration's title that names its types: `title` without any earlier
// names, then "types: O H".
std::string TitleWithNames(std::string_view title, const std::vector<std::string>& names);
// The names of such a title; none where it names none.
std::vector<std::string> NamesInTitle(std::string_view title);
