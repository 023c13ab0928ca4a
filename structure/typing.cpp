// Types, the order the configuration file requires, and names in its title.
#include "structure/typing.hpp"

#include <cmath>
#include <unordered_map>

#include "io/error.hpp"
#include "io/words.hpp"
#include "structure/cell.hpp"
#include "structure/element.hpp"

namespace {

std::string NameOfType(const TypedConfiguration& config, std::size_t type) {
  if (!config.names.empty()) return config.names[type];
  std::string name = "T";
  return name += std::to_string(type + 1);
}

}  // namespace

AtomTypes TypesOf(const Structure& structure, TypeBy by, const std::string& file) {
  AtomTypes types;
  types.of_atom.reserve(structure.atoms.size());
  std::unordered_map<std::string, int> number;
  int last = -1;  // the type of the atom before, which the next one mostly shares
  for (std::size_t i = 0; i < structure.atoms.size(); ++i) {
    const StructureAtom& atom = structure.atoms[i];
    const std::string& key = by == TypeBy::kElement ? atom.element : atom.name;
    if (key.empty()) {
      throw LocatedError(
          file, atom.line,
          (by == TypeBy::kElement ? "a chemical element for atom " : "a name for atom ") +
              std::to_string(i + 1),
          atom.name.empty() ? "none" : "the name " + Quoted(atom.name));
    }
    if (last < 0 || types.names[last] != key) {
      const auto [it, added] = number.emplace(key, static_cast<int>(types.names.size()));
      if (added) {
        types.names.push_back(key);
        types.counts.push_back(0);
      }
      last = it->second;
    }
    ++types.counts[last];
    types.of_atom.push_back(last);
  }
  return types;
}

TypedConfiguration ToConfiguration(const Structure& structure, const AtomTypes& types,
                                   const std::string& file) {
  if (!structure.cell) {
    throw LocatedError(file, 0, "a box (CRYST1 in a PDB, Lattice= in an XYZ, or --box L)", "none");
  }
  TypedConfiguration config;
  config.title = structure.title;
  config.unit = structure.unit;
  config.box = CubicEdge(*structure.cell, file, structure.cell_line);
  config.names = types.names;
  config.counts = types.counts;
  // Counting sort: each type's atoms start where the types before it end.
  std::vector<std::size_t> next(types.counts.size(), 0);
  for (std::size_t t = 1; t < next.size(); ++t) next[t] = next[t - 1] + types.counts[t - 1];
  config.coords.resize(3 * structure.atoms.size());
  for (std::size_t i = 0; i < structure.atoms.size(); ++i) {
    const auto in_box = InCellUnits(*structure.cell, structure.atoms[i].position);
    double* const slot = &config.coords[3 * next[types.of_atom[i]]++];
    for (int k = 0; k < 3; ++k) slot[k] = WrapToBox(in_box[k]);
  }
  return config;
}

Structure ToStructure(const TypedConfiguration& config) {
  Structure structure;
  structure.title = config.title;
  structure.unit = config.unit;
  structure.cell = Cell{{{config.box, 0, 0}, {0, config.box, 0}, {0, 0, config.box}}};
  structure.atoms.reserve(config.coords.size() / 3);
  const double* s = config.coords.data();
  for (std::size_t t = 0; t < config.counts.size(); ++t) {
    const std::string name = NameOfType(config, t);
    const std::string element = ElementSymbol(name) == name ? name : ElementOfName(name, "");
    for (int n = 0; n < config.counts[t]; ++n, s += 3) {
      StructureAtom atom;
      atom.name = name;
      atom.residue = name;
      atom.element = element;
      atom.residue_number = static_cast<int>(structure.atoms.size()) + 1;
      for (int k = 0; k < 3; ++k) {
        const double x = (s[k] - std::floor(s[k])) * config.box;
        atom.position[k] = x < config.box ? x : 0;
      }
      structure.atoms.push_back(std::move(atom));
    }
  }
  return structure;
}

AtomTypes TypesOf(const TypedConfiguration& config) {
  AtomTypes types;
  types.counts = config.counts;
  for (std::size_t t = 0; t < config.counts.size(); ++t) {
    types.names.push_back(NameOfType(config, t));
    types.of_atom.insert(types.of_atom.end(), config.counts[t], static_cast<int>(t));
  }
  return types;
}
