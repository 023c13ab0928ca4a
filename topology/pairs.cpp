// The constrained pairs of each molecule type from its bond graph, their
// references over all its molecules, their kinds and windows, and warnings
// for molecules far from the references.
#include "topology/pairs.hpp"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "io/number_format.hpp"
#include "topology/bonds.hpp"

namespace {

// The pairs of a type's bond graph at most `depth` bonds apart, by depth,
// then by atoms; with the topology's length as reference where wanted.
std::vector<MoleculePair> PairsOfType(const MoleculeType& type, const PairOptions& options) {
  const auto size = static_cast<std::size_t>(type.size);
  std::vector<std::vector<int>> neighbours(size);
  for (const Bond& bond : type.bonds) {
    neighbours[static_cast<std::size_t>(bond.first)].push_back(bond.second);
    neighbours[static_cast<std::size_t>(bond.second)].push_back(bond.first);
  }
  std::vector<MoleculePair> pairs;
  std::vector<int> distance(size);
  std::vector<int> reached;
  for (std::size_t a = 0; a < size; ++a) {
    std::fill(distance.begin(), distance.end(), -1);
    distance[a] = 0;
    reached.assign(1, static_cast<int>(a));
    for (std::size_t next = 0; next < reached.size(); ++next) {  // breadth first
      const int from = reached[next];
      if (distance[static_cast<std::size_t>(from)] == options.depth) continue;
      for (const int to : neighbours[static_cast<std::size_t>(from)]) {
        if (distance[static_cast<std::size_t>(to)] >= 0) continue;
        distance[static_cast<std::size_t>(to)] = distance[static_cast<std::size_t>(from)] + 1;
        reached.push_back(to);
        if (static_cast<std::size_t>(to) > a) {
          pairs.push_back({static_cast<int>(a), to, distance[static_cast<std::size_t>(to)]});
        }
      }
    }
  }
  std::sort(pairs.begin(), pairs.end(), [](const MoleculePair& x, const MoleculePair& y) {
    return std::tie(x.depth, x.first, x.second) < std::tie(y.depth, y.first, y.second);
  });
  if (!options.topology_reference) return pairs;
  for (const Bond& bond : type.bonds) {
    if (!bond.length) continue;
    for (MoleculePair& pair : pairs) {
      if (pair.depth == 1 && pair.first == bond.first && pair.second == bond.second) {
        pair.reference = *bond.length;
        pair.stated = true;
      }
    }
  }
  return pairs;
}

// The first molecule of each type.
std::vector<std::size_t> FirstMolecules(const Molecules& molecules) {
  std::vector<std::size_t> first(molecules.types.size(), molecules.type.size());
  for (std::size_t m = molecules.type.size(); m-- > 0;) {
    first[static_cast<std::size_t>(molecules.type[m])] = m;
  }
  return first;
}

// Calls visit(m, type, pairs, distances) for every molecule m.
template <class Visit>
void ForEachMolecule(const Structure& structure, const Box& box, const Molecules& molecules,
                     const PairSet& set, Visit visit) {
  std::vector<double> distances;
  for (std::size_t m = 0; m < molecules.type.size(); ++m) {
    const auto t = static_cast<std::size_t>(molecules.type[m]);
    const std::vector<MoleculePair>& pairs = set.of_type[t];
    const std::span<const int> atoms = molecules.AtomsOf(m);
    distances.clear();
    for (const MoleculePair& pair : pairs) {
      distances.push_back(
          box.Distance(structure.atoms[static_cast<std::size_t>(atoms[pair.first])].position,
                       structure.atoms[static_cast<std::size_t>(atoms[pair.second])].position));
    }
    visit(m, t, pairs, distances);
  }
}

void MeanReferences(PairSet& set, const Structure& structure, const Box& box,
                    const Molecules& molecules) {
  std::vector<std::vector<double>> sums(set.of_type.size());
  for (std::size_t t = 0; t < sums.size(); ++t) sums[t].assign(set.of_type[t].size(), 0.0);
  ForEachMolecule(structure, box, molecules, set,
                  [&](std::size_t, std::size_t t, const auto&, const std::vector<double>& d) {
                    for (std::size_t p = 0; p < d.size(); ++p) sums[t][p] += d[p];
                  });
  for (std::size_t t = 0; t < sums.size(); ++t) {
    for (std::size_t p = 0; p < sums[t].size(); ++p) {
      MoleculePair& pair = set.of_type[t][p];
      if (!pair.stated) pair.reference = sums[t][p] / molecules.types[t].count;
    }
  }
}

// Pairs of the same two atom types and depth form a group; sorted by
// reference, a group is cut wherever a reference lies beyond the tolerance
// of the smallest in its kind. Kinds are then numbered by first use.
void GroupKinds(PairSet& set, const Molecules& molecules, const AtomTypes& types,
                const Tolerance& tolerance) {
  struct Entry {
    int first_type, second_type, depth;
    double reference;
    std::size_t type, pair;
  };
  const std::vector<std::size_t> first = FirstMolecules(molecules);
  std::vector<Entry> entries;
  for (std::size_t t = 0; t < set.of_type.size(); ++t) {
    const std::span<const int> atoms = molecules.AtomsOf(first[t]);
    for (std::size_t p = 0; p < set.of_type[t].size(); ++p) {
      const MoleculePair& pair = set.of_type[t][p];
      const auto [a, b] = std::minmax(types.of_atom[static_cast<std::size_t>(atoms[pair.first])],
                                      types.of_atom[static_cast<std::size_t>(atoms[pair.second])]);
      entries.push_back({a, b, pair.depth, pair.reference, t, p});
    }
  }
  const auto key = [](const Entry& e) { return std::tie(e.first_type, e.second_type, e.depth); };
  std::sort(entries.begin(), entries.end(), [&](const Entry& x, const Entry& y) {
    return std::tuple(key(x), x.reference) < std::tuple(key(y), y.reference);
  });
  std::vector<PairKind> provisional;
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const Entry& entry = entries[e];
    if (e == 0 || key(entry) != key(entries[e - 1]) ||
        entry.reference > tolerance.Above(provisional.back().lower)) {
      provisional.push_back(
          {entry.first_type, entry.second_type, entry.depth, entry.reference, entry.reference, 0});
    }
    provisional.back().upper = entry.reference;
    set.of_type[entry.type][entry.pair].kind = static_cast<int>(provisional.size()) - 1;
  }
  // Renumbered by first use; the windows widened by the tolerance.
  std::vector<int> number(provisional.size(), -1);
  for (std::size_t t = 0; t < set.of_type.size(); ++t) {
    for (MoleculePair& pair : set.of_type[t]) {
      int& kind = number[static_cast<std::size_t>(pair.kind)];
      if (kind < 0) {
        PairKind window = provisional[static_cast<std::size_t>(pair.kind)];
        window.lower = tolerance.Below(window.lower);
        window.upper = tolerance.Above(window.upper);
        kind = static_cast<int>(set.kinds.size());
        set.kinds.push_back(window);
      }
      pair.kind = kind;
      set.kinds[static_cast<std::size_t>(kind)].pairs += molecules.types[t].count;
    }
  }
}

// Per type, the molecules with a pair farther from its reference than the
// tolerance, naming the one farthest off.
void WarnDeviations(PairSet& set, const Structure& structure, const std::string& file,
                    const Box& box, const Molecules& molecules, const Tolerance& tolerance) {
  struct Worst {
    int molecules = 0;
    double ratio = 0;
    std::size_t molecule = 0, pair = 0;
    double distance = 0;
  };
  std::vector<Worst> worst(set.of_type.size());
  ForEachMolecule(structure, box, molecules, set,
                  [&](std::size_t m, std::size_t t, const std::vector<MoleculePair>& pairs,
                      const std::vector<double>& d) {
                    bool off = false;
                    for (std::size_t p = 0; p < d.size(); ++p) {
                      const double reference = pairs[p].reference;
                      const double ratio =
                          std::abs(d[p] - reference) / (tolerance.Above(reference) - reference);
                      off = off || ratio > 1;
                      if (ratio > worst[t].ratio)
                        worst[t] = {worst[t].molecules, ratio, m, p, d[p]};
                    }
                    worst[t].molecules += off;
                  });
  for (std::size_t t = 0; t < worst.size(); ++t) {
    if (worst[t].molecules == 0) continue;
    const MoleculePair& pair = set.of_type[t][worst[t].pair];
    const std::span<const int> atoms = molecules.AtomsOf(worst[t].molecule);
    const auto atom = [&](int k) {
      const auto i = static_cast<std::size_t>(atoms[static_cast<std::size_t>(k)]);
      return std::to_string(i + 1) + " (" + structure.atoms[i].name + ")";
    };
    set.warnings.push_back(
        {file,
         structure.atoms[static_cast<std::size_t>(atoms[static_cast<std::size_t>(pair.first)])]
             .line,
         std::to_string(worst[t].molecules) + " of the " +
             std::to_string(molecules.types[t].count) + " molecules of " + molecules.types[t].name +
             " have a pair farther from its reference than the tolerance; the farthest: atoms " +
             atom(pair.first) + " and " + atom(pair.second) + " of molecule " +
             std::to_string(worst[t].molecule + 1) + ", " + GeneralText(worst[t].distance) +
             " against " + GeneralText(pair.reference)});
  }
}

}  // namespace

PairSet FindPairs(const Structure& structure, const std::string& structure_file,
                  const Molecules& molecules, const AtomTypes& types, const PairOptions& options) {
  PairSet set;
  const std::vector<std::size_t> first = FirstMolecules(molecules);
  for (std::size_t t = 0; t < molecules.types.size(); ++t) {
    const MoleculeType& type = molecules.types[t];
    set.of_type.push_back(PairsOfType(type, options));
    if (set.of_type.back().empty() && type.size > 1) {
      const auto atom = static_cast<std::size_t>(molecules.AtomsOf(first[t])[0]);
      set.warnings.push_back({structure_file, structure.atoms[atom].line,
                              "the molecules of " + type.name +
                                  " have no bonds, so their atoms are left unconstrained"});
    }
  }
  if (std::all_of(set.of_type.begin(), set.of_type.end(),
                  [](const std::vector<MoleculePair>& pairs) { return pairs.empty(); })) {
    set.warnings.push_back(
        {structure_file, 0, "no two atoms are bonded, so nothing is constrained"});
  }
  const Box box(structure.cell, structure_file, structure.cell_line);
  MeanReferences(set, structure, box, molecules);
  GroupKinds(set, molecules, types, options.tolerance);
  WarnDeviations(set, structure, structure_file, box, molecules, options.tolerance);
  return set;
}
