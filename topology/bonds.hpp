// Distances with the periodic cell, and bonds found by distance: atoms a and
// b are bonded when d < factor * (rcov(a) + rcov(b)), with gemmi's covalent
// radii.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "structure/structure.hpp"

using Position = std::array<double, 3>;

// Minimum-image distances in a rectangular cell, plain ones without a cell.
class Box {
 public:
  // Throws LocatedError (naming `file` and the cell's `line`) for a cell
  // whose edges are not along the axes.
  Box(const std::optional<Cell>& cell, const std::string& file, int line);

  double Distance(const Position& a, const Position& b) const;
  const std::optional<Position>& edges() const { return edges_; }

 private:
  std::optional<Position> edges_;
};

// The covalent radius of every atom's element, in the structure's unit (nm,
// else angstrom). Throws LocatedError naming the first atom whose element is
// unknown.
std::vector<double> CovalentRadii(const Structure& structure, const std::string& file);

// The bonds among `atoms` (indices into the structure: one molecule's) by
// distance, as pairs of positions in `atoms`, first < second, in order: all
// pairs tried in a small molecule, those in neighbouring cells in a large one.
std::vector<std::pair<int, int>> BondsWithin(const Structure& structure, const Box& box,
                                             const std::vector<double>& radii,
                                             std::span<const int> atoms, double factor);

// The bonds of the whole structure by distance, first < second, in order,
// through a grid of cells: linear in the number of atoms.
std::vector<std::pair<int, int>> BondsByDistance(const Structure& structure, const Box& box,
                                                 const std::vector<double>& radii, double factor);
