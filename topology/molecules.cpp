// Molecules and their types: laid out by a topology, cut at residue changes,
// or grown along bonds; each type's bonds from the topology, the structure's
// CONECT records or distances.
#include "topology/molecules.hpp"

#include <algorithm>
#include <map>
#include <numeric>

#include "topology/bonds.hpp"

namespace {

using Pairs = std::vector<std::pair<int, int>>;

std::string AtomText(std::size_t atom, const StructureAtom& a) {
  return "atom " + std::to_string(atom + 1) + " (" + a.name + ")";
}

// How many of something the structure has, and the first of them: its text
// and its line in the file.
struct Tally {
  int count = 0;
  int line = 0;
  std::string first;

  template <class Describe>
  void Add(int at, Describe describe) {
    if (count++ == 0) {
      line = at;
      first = describe();
    }
  }
};

bool NewResidue(const StructureAtom& before, const StructureAtom& atom) {
  return atom.residue_number != before.residue_number || atom.residue != before.residue ||
         atom.chain != before.chain;
}

void AddMolecule(Molecules& molecules, int type, int first, int size) {
  if (molecules.start.empty()) molecules.start.push_back(0);
  for (int i = 0; i < size; ++i) molecules.members.push_back(first + i);
  molecules.start.push_back(static_cast<int>(molecules.members.size()));
  molecules.type.push_back(type);
  ++molecules.types[static_cast<std::size_t>(type)].count;
}

// Bonds with first < second, in order, each once (with a length where one
// of its listings states it).
std::vector<Bond> Normalized(std::vector<Bond> bonds) {
  for (Bond& bond : bonds) {
    if (bond.first > bond.second) std::swap(bond.first, bond.second);
  }
  std::stable_sort(bonds.begin(), bonds.end(), [](const Bond& a, const Bond& b) {
    return std::pair(a.first, a.second) < std::pair(b.first, b.second);
  });
  std::vector<Bond> unique;
  for (const Bond& bond : bonds) {
    if (!unique.empty() && unique.back().first == bond.first &&
        unique.back().second == bond.second) {
      if (!unique.back().length) unique.back().length = bond.length;
    } else {
      unique.push_back(bond);
    }
  }
  return unique;
}

// The types of the topology in the order the structure first uses them.
int TypeFor(Molecules& molecules, std::vector<int>& used, const Topology& topology, int type) {
  int& index = used[static_cast<std::size_t>(type)];
  if (index < 0) {
    const TopologyMoleculeType& defined = topology.types[static_cast<std::size_t>(type)];
    index = static_cast<int>(molecules.types.size());
    molecules.types.push_back({defined.name, 0, static_cast<int>(defined.atoms.size()),
                               Normalized(defined.bonds), "topology"});
  }
  return index;
}

// [ molecules ] in order, each line's molecules one after another.
void LayOutListed(Molecules& molecules, const Structure& structure, const Topology& topology,
                  const MoleculeSources& sources) {
  std::vector<int> used(topology.types.size(), -1);
  const auto atoms = static_cast<long long>(structure.atoms.size());
  long long next = 0;
  for (const TopologyMolecules& listed : topology.molecules) {
    const TopologyMoleculeType& defined = topology.types[static_cast<std::size_t>(listed.type)];
    const auto size = static_cast<long long>(defined.atoms.size());
    if (next + listed.count * size > atoms) {
      throw LocatedError(listed.file, listed.line,
                         std::to_string(listed.count) + " molecules of " + defined.name + " (" +
                             std::to_string(size) + " atoms each) from atom " +
                             std::to_string(next + 1) + " of " + sources.structure_file + " on",
                         "only " + std::to_string(atoms - next) + " atoms left");
    }
    const int type = TypeFor(molecules, used, topology, listed.type);
    for (int m = 0; m < listed.count; ++m, next += size) {
      AddMolecule(molecules, type, static_cast<int>(next), static_cast<int>(size));
    }
  }
  if (next != atoms) {
    const TopologyMolecules& last = topology.molecules.back();
    throw LocatedError(
        last.file, last.line,
        "molecules for all " + std::to_string(atoms) + " atoms of " + sources.structure_file,
        "molecules for " + std::to_string(next) + " atoms");
  }
}

// Without [ molecules ]: at each atom, the first molecule type whose atom
// names follow there.
void LayOutMatched(Molecules& molecules, const Structure& structure, const Topology& topology,
                   const MoleculeSources& sources) {
  std::vector<int> used(topology.types.size(), -1);
  const std::size_t atoms = structure.atoms.size();
  for (std::size_t next = 0; next < atoms;) {
    const auto fits = [&](const TopologyMoleculeType& type) {
      return !type.atoms.empty() && type.atoms.size() <= atoms - next &&
             std::equal(
                 type.atoms.begin(), type.atoms.end(), structure.atoms.begin() + next,
                 [](const TopologyAtom& a, const StructureAtom& b) { return a.name == b.name; });
    };
    const auto found = std::find_if(topology.types.begin(), topology.types.end(), fits);
    if (found == topology.types.end()) {
      std::string firsts;
      for (const TopologyMoleculeType& type : topology.types) {
        if (!type.atoms.empty()) firsts += (firsts.empty() ? "" : ", ") + type.atoms[0].name;
      }
      throw LocatedError(sources.structure_file, structure.atoms[next].line,
                         "a molecule of " + sources.topology_file + " at " +
                             AtomText(next, structure.atoms[next]) +
                             " (none is listed under [ molecules ]; the types start with " +
                             (firsts.empty() ? "no atom" : firsts) + ")",
                         "atom names that match none");
    }
    const int type =
        TypeFor(molecules, used, topology, static_cast<int>(found - topology.types.begin()));
    AddMolecule(molecules, type, static_cast<int>(next), static_cast<int>(found->atoms.size()));
    next += found->atoms.size();
  }
}

// Atom names that differ from the topology's, and residues that do not
// begin and end where the topology's do.
void CompareWithTopology(Molecules& molecules, const Structure& structure, const Topology& topology,
                         const MoleculeSources& sources) {
  std::map<std::string, const TopologyMoleculeType*> by_name;
  for (const TopologyMoleculeType& type : topology.types) by_name[type.name] = &type;
  Tally renamed;
  Tally broken;
  for (std::size_t m = 0; m + 1 < molecules.start.size(); ++m) {
    const MoleculeType& type = molecules.types[static_cast<std::size_t>(molecules.type[m])];
    const std::vector<TopologyAtom>& expected = by_name.at(type.name)->atoms;
    const std::span<const int> atoms = molecules.AtomsOf(m);
    for (std::size_t k = 0, breaks = 0; k < atoms.size(); ++k) {
      const auto i = static_cast<std::size_t>(atoms[k]);
      const StructureAtom& atom = structure.atoms[i];
      if (atom.name != expected[k].name) {
        renamed.Add(atom.line, [&] {
          return AtomText(i, atom) + " where " + type.name + " has " + expected[k].name;
        });
      }
      const bool starts = k == 0 ? i > 0
                                 : expected[k].residue_number != expected[k - 1].residue_number ||
                                       expected[k].residue != expected[k - 1].residue;
      if (i > 0 && NewResidue(structure.atoms[i - 1], atom) != starts && breaks++ == 0) {
        broken.Add(atom.line, [&] {
          return "molecule " + std::to_string(m + 1) + " (" + type.name + ") at " +
                 AtomText(i, atom);
        });
      }
    }
  }
  if (renamed.count > 0) {
    molecules.warnings.push_back({sources.structure_file, renamed.line,
                                  std::to_string(renamed.count) +
                                      " atoms are named otherwise than in " +
                                      sources.topology_file + "; the first: " + renamed.first});
  }
  if (broken.count > 0) {
    molecules.warnings.push_back({sources.structure_file, broken.line,
                                  "the residues break " + std::to_string(broken.count) +
                                      " molecules of " + sources.topology_file +
                                      "; the first: " + broken.first});
  }
}

}  // namespace

Molecules MoleculesOfTopology(const Structure& structure, const Topology& topology,
                              const MoleculeSources& sources) {
  Molecules molecules;
  if (topology.molecules.empty()) {
    LayOutMatched(molecules, structure, topology, sources);
  } else {
    LayOutListed(molecules, structure, topology, sources);
  }
  CompareWithTopology(molecules, structure, topology, sources);
  return molecules;
}

namespace {

// The bonds of each molecule, between its atoms counted from 0, in order.
struct MoleculeBonds {
  std::vector<int> start{0};  // molecule m's: pairs[start[m] .. start[m + 1])
  Pairs pairs;

  std::span<const std::pair<int, int>> Of(std::size_t m) const {
    return {pairs.data() + start[m], pairs.data() + start[m + 1]};
  }
  void Close() { start.push_back(static_cast<int>(pairs.size())); }
};

// The structure's bonds sorted into its molecules; a bond that joins two
// molecules is left out, with a warning.
MoleculeBonds StatedBonds(const Molecules& molecules, const Structure& structure,
                          const Pairs& stated, const MoleculeSources& sources,
                          std::vector<Warning>& warnings) {
  const std::size_t count = molecules.start.size() - 1;
  std::vector<int> molecule_of(structure.atoms.size());
  std::vector<int> place(structure.atoms.size());
  for (std::size_t m = 0; m < count; ++m) {
    const std::span<const int> atoms = molecules.AtomsOf(m);
    for (std::size_t k = 0; k < atoms.size(); ++k) {
      molecule_of[static_cast<std::size_t>(atoms[k])] = static_cast<int>(m);
      place[static_cast<std::size_t>(atoms[k])] = static_cast<int>(k);
    }
  }
  std::vector<Pairs> within(count);
  Tally joining;
  for (const auto& bond : stated) {
    const auto a = static_cast<std::size_t>(bond.first);
    const auto b = static_cast<std::size_t>(bond.second);
    const int m = molecule_of[a];
    if (m != molecule_of[b]) {
      joining.Add(structure.atoms[a].line, [&] {
        return AtomText(a, structure.atoms[a]) + " and " + AtomText(b, structure.atoms[b]);
      });
      continue;
    }
    const auto [i, j] = std::minmax(place[a], place[b]);
    if (i != j) within[static_cast<std::size_t>(m)].emplace_back(i, j);
  }
  if (joining.count > 0) {
    warnings.push_back(
        {sources.structure_file, joining.line,
         std::to_string(joining.count) +
             " bonds join two molecules and are left out; the first: " + joining.first});
  }
  MoleculeBonds bonds;
  for (Pairs& pairs : within) {
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    bonds.pairs.insert(bonds.pairs.end(), pairs.begin(), pairs.end());
    bonds.Close();
  }
  return bonds;
}

// The stated bonds of the types that state any; by distance for the others.
MoleculeBonds ResidueBonds(Molecules& molecules, const Structure& structure,
                           const MoleculeSources& sources) {
  const std::size_t count = molecules.start.size() - 1;
  MoleculeBonds stated;
  stated.start.assign(count + 1, 0);
  if (!structure.bonds.empty()) {
    stated = StatedBonds(molecules, structure, structure.bonds, sources, molecules.warnings);
  }
  std::vector<bool> states(molecules.types.size(), false);
  for (std::size_t m = 0; m < count; ++m) {
    if (!stated.Of(m).empty()) states[static_cast<std::size_t>(molecules.type[m])] = true;
  }
  for (std::size_t t = 0; t < states.size(); ++t) {
    molecules.types[t].bonds_from = states[t] ? "structure" : "distance";
  }
  if (std::find(states.begin(), states.end(), false) == states.end()) return stated;
  const Box box(structure.cell, sources.structure_file, structure.cell_line);
  const std::vector<double> radii = CovalentRadii(structure, sources.structure_file);
  MoleculeBonds bonds;
  for (std::size_t m = 0; m < count; ++m) {
    const auto found =
        states[static_cast<std::size_t>(molecules.type[m])]
            ? Pairs(stated.Of(m).begin(), stated.Of(m).end())
            : BondsWithin(structure, box, radii, molecules.AtomsOf(m), sources.bond_factor);
    bonds.pairs.insert(bonds.pairs.end(), found.begin(), found.end());
    bonds.Close();
  }
  return bonds;
}

bool SameBonds(std::span<const std::pair<int, int>> a, std::span<const std::pair<int, int>> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// Each type's bonds are those most of its molecules have (a majority vote in
// one pass); the molecules with other bonds are warned about.
void SettleBonds(Molecules& molecules, const MoleculeBonds& bonds, const Structure& structure,
                 const MoleculeSources& sources) {
  const std::size_t types = molecules.types.size();
  std::vector<std::size_t> candidate(types);
  std::vector<int> votes(types, 0);
  for (std::size_t m = 0; m < molecules.type.size(); ++m) {
    const auto t = static_cast<std::size_t>(molecules.type[m]);
    if (votes[t] == 0) {
      candidate[t] = m;
      votes[t] = 1;
    } else {
      votes[t] += SameBonds(bonds.Of(m), bonds.Of(candidate[t])) ? 1 : -1;
    }
  }
  std::vector<Tally> unlike(types);
  for (std::size_t m = 0; m < molecules.type.size(); ++m) {
    const auto t = static_cast<std::size_t>(molecules.type[m]);
    if (SameBonds(bonds.Of(m), bonds.Of(candidate[t]))) continue;
    const auto first = static_cast<std::size_t>(molecules.AtomsOf(m)[0]);
    unlike[t].Add(structure.atoms[first].line, [&] {
      return "molecule " + std::to_string(m + 1) + " from " +
             AtomText(first, structure.atoms[first]);
    });
  }
  for (std::size_t t = 0; t < types; ++t) {
    MoleculeType& type = molecules.types[t];
    for (const auto& [a, b] : bonds.Of(candidate[t])) type.bonds.push_back({a, b, std::nullopt});
    if (unlike[t].count == 0) continue;
    molecules.warnings.push_back({sources.structure_file, unlike[t].line,
                                  std::to_string(unlike[t].count) + " of the " +
                                      std::to_string(type.count) + " molecules of " + type.name +
                                      " have other bonds than most of them, whose bonds are used "
                                      "for all; the first: " +
                                      unlike[t].first});
  }
}

// A type for each new key, named `name`, or `name(2)` and so on where an
// earlier type has that name.
int TypeOfKey(Molecules& molecules, std::map<std::string, int>& types, const std::string& key,
              const std::string& name, int size) {
  const auto [found, added] = types.emplace(key, static_cast<int>(molecules.types.size()));
  if (added) {
    int same = 1;
    for (const MoleculeType& type : molecules.types) {
      same += type.name == name || type.name.starts_with(name + "(");
    }
    molecules.types.push_back(
        {same == 1 ? name : name + "(" + std::to_string(same) + ")", 0, size, {}, {}});
  }
  return found->second;
}

// A new molecule wherever the residue number, name or chain changes; one
// type for each residue name and sequence of atom names.
Molecules ByResidues(const Structure& structure) {
  Molecules molecules;
  std::map<std::string, int> types;
  const std::size_t n = structure.atoms.size();
  for (std::size_t first = 0, end = 0; first < n; first = end) {
    std::string key = structure.atoms[first].residue;
    for (end = first;
         end < n && (end == first || !NewResidue(structure.atoms[end - 1], structure.atoms[end]));
         ++end) {
      key += '\n' + structure.atoms[end].name;
    }
    const std::string& residue = structure.atoms[first].residue;
    const int size = static_cast<int>(end - first);
    const int type = TypeOfKey(molecules, types, key, residue.empty() ? "molecule" : residue, size);
    AddMolecule(molecules, type, static_cast<int>(first), size);
  }
  return molecules;
}

std::string ElementOf(const StructureAtom& atom) {
  return atom.element.empty() ? atom.name : atom.element;
}

// Hill's order: carbon, hydrogen, then the others alphabetically; without
// carbon all alphabetically.
std::string Formula(const Structure& structure, std::span<const int> atoms) {
  std::map<std::string, int> counts;
  for (const int atom : atoms) ++counts[ElementOf(structure.atoms[static_cast<std::size_t>(atom)])];
  std::string formula;
  const auto add = [&](const std::string& element) {
    const auto found = counts.find(element);
    if (found == counts.end()) return;
    formula += element + (found->second > 1 ? std::to_string(found->second) : "");
    counts.erase(found);
  };
  if (counts.count("C")) add("C"), add("H");
  while (!counts.empty()) add(counts.begin()->first);
  return formula;
}

int Root(std::vector<int>& parent, int atom) {
  while (parent[static_cast<std::size_t>(atom)] != atom) {
    atom = parent[static_cast<std::size_t>(atom)] = parent[static_cast<std::size_t>(parent[atom])];
  }
  return atom;
}

// The connected parts of the bond graph, in the order of their first atoms,
// each with its atoms in file order; one type for each sequence of elements
// with the same bonds.
Molecules ByComponents(const Structure& structure, const Pairs& bonds) {
  const std::size_t n = structure.atoms.size();
  std::vector<int> parent(n);
  std::iota(parent.begin(), parent.end(), 0);
  for (const auto& [a, b] : bonds)
    parent[static_cast<std::size_t>(Root(parent, a))] = Root(parent, b);
  std::vector<int> part(n, -1);
  std::vector<int> part_of_root(n, -1);
  int parts = 0;
  for (std::size_t i = 0; i < n; ++i) {
    int& index = part_of_root[static_cast<std::size_t>(Root(parent, static_cast<int>(i)))];
    if (index < 0) index = parts++;
    part[i] = index;
  }
  Molecules molecules;
  molecules.start.assign(static_cast<std::size_t>(parts) + 1, 0);
  for (const int p : part) ++molecules.start[static_cast<std::size_t>(p) + 1];
  std::partial_sum(molecules.start.begin(), molecules.start.end(), molecules.start.begin());
  molecules.members.resize(n);
  std::vector<int> next(molecules.start.begin(), molecules.start.end() - 1);
  for (std::size_t i = 0; i < n; ++i) molecules.members[next[part[i]]++] = static_cast<int>(i);
  return molecules;
}

// Types of the parts ByComponents found, from their elements and bonds.
void TypesOfComponents(Molecules& molecules, const Structure& structure,
                       const MoleculeBonds& bonds) {
  std::map<std::string, int> types;
  for (std::size_t m = 0; m + 1 < molecules.start.size(); ++m) {
    std::string key;
    for (const int atom : molecules.AtomsOf(m))
      key += ElementOf(structure.atoms[static_cast<std::size_t>(atom)]) + ' ';
    for (const auto& [a, b] : bonds.Of(m))
      key += '\n' + std::to_string(a) + '-' + std::to_string(b);
    const std::span<const int> atoms = molecules.AtomsOf(m);
    const int type =
        TypeOfKey(molecules, types, key, Formula(structure, atoms), static_cast<int>(atoms.size()));
    molecules.type.push_back(type);
    ++molecules.types[static_cast<std::size_t>(type)].count;
  }
}

}  // namespace

Molecules MoleculesOfStructure(const Structure& structure, const MoleculeSources& sources) {
  const bool residues =
      std::any_of(structure.atoms.begin(), structure.atoms.end(),
                  [](const StructureAtom& atom) { return !atom.residue.empty(); });
  if (residues) {
    Molecules molecules = ByResidues(structure);
    const MoleculeBonds bonds = ResidueBonds(molecules, structure, sources);
    SettleBonds(molecules, bonds, structure, sources);
    return molecules;
  }
  Pairs all = structure.bonds;
  if (all.empty()) {
    all =
        BondsByDistance(structure, Box(structure.cell, sources.structure_file, structure.cell_line),
                        CovalentRadii(structure, sources.structure_file), sources.bond_factor);
  }
  Molecules molecules = ByComponents(structure, all);
  const MoleculeBonds bonds = StatedBonds(molecules, structure, all, sources, molecules.warnings);
  TypesOfComponents(molecules, structure, bonds);
  for (MoleculeType& type : molecules.types) {
    type.bonds_from = structure.bonds.empty() ? "distance" : "structure";
  }
  SettleBonds(molecules, bonds, structure, sources);
  return molecules;
}
