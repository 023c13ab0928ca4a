// The constrained pairs of each molecule type (every pair of atoms at most
// `depth` bonds apart), their reference distances, and the kinds they fall
// into: pairs of the same two atom types and depth whose references lie
// within the tolerance of each other, each kind with its distance window.
#pragma once

#include <string>
#include <vector>

#include "io/error.hpp"
#include "structure/structure.hpp"
#include "structure/typing.hpp"
#include "topology/molecules.hpp"

// Absolute (a length) or relative (a fraction of each reference).
struct Tolerance {
  double value = 0;
  bool relative = false;

  double Below(double reference) const {
    return relative ? reference * (1 - value) : reference - value;
  }
  double Above(double reference) const {
    return relative ? reference * (1 + value) : reference + value;
  }
};

struct PairOptions {
  int depth = 2;
  Tolerance tolerance;
  // The lengths the topology states, where it states one, instead of the
  // mean over the molecules.
  bool topology_reference = false;
};

struct MoleculePair {
  int first = 0;  // atoms of a molecule counted from 0, first < second
  int second = 0;
  int depth = 1;  // bonds between them
  double reference = 0;
  bool stated = false;  // the reference is the topology's
  int kind = 0;         // counted from 0
};

struct PairKind {
  int first_type = 0;  // atom types, first_type <= second_type
  int second_type = 0;
  int depth = 1;
  double lower = 0;
  double upper = 0;
  long long pairs = 0;  // over all molecules
};

struct PairSet {
  // Each molecule type's pairs, by depth, then by atoms. Kinds are numbered
  // in the order of their first pair.
  std::vector<std::vector<MoleculePair>> of_type;
  std::vector<PairKind> kinds;
  std::vector<Warning> warnings;
};

PairSet FindPairs(const Structure& structure, const std::string& structure_file,
                  const Molecules& molecules, const AtomTypes& types, const PairOptions& options);
