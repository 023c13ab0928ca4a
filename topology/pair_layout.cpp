// Where each molecule's atoms land in a configuration stored type by type,
// and the index step of each constrained atom from one molecule to the next,
// which must be the same all through a molecule type.
#include "topology/pair_layout.hpp"

#include <algorithm>

#include "fnc/fnc_file.hpp"

namespace {

// Each atom's place in the configuration, counted from 1: all atoms of type
// 1 in structure order, then those of type 2, and so on.
std::vector<int> ConfigurationIndices(const AtomTypes& types) {
  std::vector<int> next(types.names.size() + 1, 0);
  for (const int type : types.of_atom) ++next[static_cast<std::size_t>(type) + 1];
  for (std::size_t t = 1; t < next.size(); ++t) next[t] += next[t - 1];
  std::vector<int> index;
  index.reserve(types.of_atom.size());
  for (const int type : types.of_atom) index.push_back(++next[static_cast<std::size_t>(type)]);
  return index;
}

std::string NameOf(const StructureAtom& atom) {
  return atom.residue.empty() ? atom.name : atom.residue + " " + atom.name;
}

// The molecules of each type, in order.
std::vector<std::vector<std::size_t>> MoleculesByType(const Molecules& molecules) {
  std::vector<std::vector<std::size_t>> of_type(molecules.types.size());
  for (std::size_t m = 0; m < molecules.type.size(); ++m) {
    of_type[static_cast<std::size_t>(molecules.type[m])].push_back(m);
  }
  return of_type;
}

// The configuration index of atom k in each molecule of a type must be the
// first molecule's plus a constant step times the molecule's number.
void CheckSteps(const std::vector<int>& index, const Structure& structure, const std::string& file,
                const Molecules& molecules, const MoleculeType& type,
                const std::vector<std::size_t>& of_type, const std::vector<int>& constrained) {
  const auto at = [&](std::size_t j, int k) {
    return static_cast<std::size_t>(molecules.AtomsOf(of_type[j])[static_cast<std::size_t>(k)]);
  };
  for (const int k : constrained) {
    const long long first = index[at(0, k)];
    const long long step = of_type.size() > 1 ? index[at(1, k)] - first : 0;
    for (std::size_t j = 2; j < of_type.size(); ++j) {
      const std::size_t atom = at(j, k);
      if (index[atom] == first + static_cast<long long>(j) * step) continue;
      throw LocatedError(
          file, structure.atoms[atom].line,
          "the molecules of " + type.name + " laid out alike in the configuration, so that atom " +
              structure.atoms[atom].name + " of molecule " + std::to_string(j + 1) +
              " of the type (atom " + std::to_string(atom + 1) +
              " of the structure) is configuration atom " +
              std::to_string(first + static_cast<long long>(j) * step) +
              " (the first two molecules' step " + std::to_string(step) +
              "); other molecules with the same atom types lie between them unevenly",
          "configuration atom " + std::to_string(index[atom]));
    }
  }
}

}  // namespace

PairList LayOutPairs(const Structure& structure, const std::string& structure_file,
                     const Molecules& molecules, const AtomTypes& types, const PairSet& pairs) {
  const std::vector<int> index = ConfigurationIndices(types);
  const std::vector<std::vector<std::size_t>> of_type = MoleculesByType(molecules);
  PairList list;
  list.atoms = static_cast<int>(structure.atoms.size());
  for (std::size_t t = 0; t < molecules.types.size(); ++t) {
    const std::vector<MoleculePair>& type_pairs = pairs.of_type[t];
    if (type_pairs.empty()) continue;
    const MoleculeType& type = molecules.types[t];
    std::vector<int> constrained;
    for (const MoleculePair& pair : type_pairs)
      constrained.insert(constrained.end(), {pair.first, pair.second});
    std::sort(constrained.begin(), constrained.end());
    constrained.erase(std::unique(constrained.begin(), constrained.end()), constrained.end());
    CheckSteps(index, structure, structure_file, molecules, type, of_type[t], constrained);
    const std::span<const int> first = molecules.AtomsOf(of_type[t][0]);
    const std::span<const int> next =
        molecules.AtomsOf(of_type[t][std::min<std::size_t>(1, of_type[t].size() - 1)]);
    ListedType listed{type.name, type.count, type.size, {}};
    for (const MoleculePair& pair : type_pairs) {
      const auto a = static_cast<std::size_t>(first[static_cast<std::size_t>(pair.first)]);
      const auto b = static_cast<std::size_t>(first[static_cast<std::size_t>(pair.second)]);
      listed.pairs.push_back(
          {pair.kind + 1, index[a], index[b],
           index[static_cast<std::size_t>(next[static_cast<std::size_t>(pair.first)])],
           index[static_cast<std::size_t>(next[static_cast<std::size_t>(pair.second)])],
           NameOf(structure.atoms[a]), NameOf(structure.atoms[b]), pair.depth, pair.reference,
           pair.stated});
    }
    list.types.push_back(std::move(listed));
  }
  for (const PairKind& kind : pairs.kinds) {
    list.kinds.push_back({types.names[static_cast<std::size_t>(kind.first_type)],
                          types.names[static_cast<std::size_t>(kind.second_type)], kind.depth,
                          WindowBound(kind.lower, true), WindowBound(kind.upper, false)});
  }
  return list;
}
