// fncprep constrain: the molecules of a structure, their bonds and the pairs
// to hold together, written as a configuration, a pair list and the
// constraint file that pair list expands to; then checked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "io/error.hpp"
#include "structure/typing.hpp"
#include "topology/pairs.hpp"

struct ConstrainRequest {
  std::string structure, stem;
  std::optional<std::string> topology;  // a GROMACS .top or .itp
  std::vector<std::string> defines;     // for the topology, as grompp's -D
  int depth = 2;
  // In a GROMACS box of flexible methanol and water at 300 K, 1-2 and 1-3
  // distances spread with a standard deviation of up to 3.7 % of their mean
  // and reached 16 % from it; a million samples reach about five standard
  // deviations, 18 %. So each window holds its references +/- 20 %.
  Tolerance tolerance{0.2, true};
  TypeBy types = TypeBy::kElement;
  double bond_factor = 1.2;
  bool topology_reference = false;  // the topology's lengths, not the means
  std::optional<double> box;        // the cubic box of a file without one
};

// Writes STEM.cfg, STEM.dat and STEM.fnc, prints the molecule types, the
// kinds and the check's table; returns 0 when every constraint holds, 1
// when any fails.
int RunConstrain(const ConstrainRequest& request, Report& report);
