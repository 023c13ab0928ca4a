// Distances with the periodic cell, and bonds by distance: all pairs within a
// small molecule, else through a grid of cells, so that only atoms in
// neighbouring cells are tried.
#include "topology/bonds.hpp"

#include <algorithm>
#include <cmath>
#include <gemmi/elem.hpp>
#include <span>

#include "io/error.hpp"
#include "structure/cell.hpp"

Box::Box(const std::optional<Cell>& cell, const std::string& file, int line) {
  if (!cell) return;
  const Cell& c = *cell;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      if (i != j && c[i][j] != 0) {
        throw LocatedError::Text(file, line, "the cell's edges are not along the axes");
      }
    }
  }
  edges_ = Position{c[0][0], c[1][1], c[2][2]};
  for (const double edge : *edges_) {
    if (!(edge > 0))
      throw LocatedError::Text(file, line, "the cell has an edge that is not positive");
  }
}

double Box::Distance(const Position& a, const Position& b) const {
  double sum = 0;
  for (int k = 0; k < 3; ++k) {
    double d = b[k] - a[k];
    if (edges_) d -= (*edges_)[k] * std::nearbyint(d / (*edges_)[k]);
    sum += d * d;
  }
  return std::sqrt(sum);
}

std::vector<double> CovalentRadii(const Structure& structure, const std::string& file) {
  // gemmi's radii are in angstrom, the unit XYZ files are taken to be in
  // (they state none); .gro files are in nm.
  const double scale = LengthScale("A", structure.unit);
  std::vector<double> radii;
  radii.reserve(structure.atoms.size());
  for (const StructureAtom& atom : structure.atoms) {
    const gemmi::Element element(atom.element);
    if (element == gemmi::El::X) {
      throw LocatedError::Text(file, atom.line,
                               "atom " + std::to_string(radii.size() + 1) + " (" + atom.name +
                                   ") has no known element, so its bonds cannot be found by "
                                   "distance");
    }
    radii.push_back(scale * element.covalent_r());
  }
  return radii;
}

namespace {

// Atoms sorted into cells at least one bond cut-off wide; the neighbours of
// an atom lie in its own cell and the 26 around it.
class Grid {
 public:
  Grid(const Structure& structure, const Box& box, double cutoff);

  // The cells next to `cell` along axis k (itself included), each once.
  const std::vector<int>& Around(int cell, int k) const { return around_[k][cell]; }

  int cells(int k) const { return cells_[k]; }
  // All atoms, cell by cell.
  const std::vector<int>& Order() const { return order_; }
  int CellOf(std::size_t atom) const { return cell_of_[atom]; }
  // The atoms of cell (x, y, z), in order.
  std::span<const int> Atoms(int x, int y, int z) const {
    const std::size_t c = (static_cast<std::size_t>(z) * cells_[1] + y) * cells_[0] + x;
    return {order_.data() + first_[c], order_.data() + first_[c + 1]};
  }

 private:
  std::array<int, 3> cells_{1, 1, 1};
  bool periodic_;
  std::array<std::vector<std::vector<int>>, 3> around_;
  std::vector<int> cell_of_;  // packed (x, y, z) of each atom
  std::vector<int> first_;    // atoms of cell c: order_[first_[c] .. first_[c + 1])
  std::vector<int> order_;
};

Grid::Grid(const Structure& structure, const Box& box, double cutoff)
    : periodic_(box.edges().has_value()) {
  const std::size_t n = structure.atoms.size();
  Position low{};
  Position width{};
  for (int k = 0; k < 3; ++k) {
    double extent = 0;
    if (periodic_) {
      extent = (*box.edges())[k];
    } else {
      const auto [least, most] =
          std::minmax_element(structure.atoms.begin(), structure.atoms.end(),
                              [k](const StructureAtom& a, const StructureAtom& b) {
                                return a.position[k] < b.position[k];
                              });
      low[k] = least->position[k];
      extent = most->position[k] - low[k];
    }
    // No more cells than about eight per atom, however sparse the atoms.
    const double most_cells = std::cbrt(8.0 * static_cast<double>(n)) + 1;
    cells_[k] = static_cast<int>(std::clamp(std::floor(extent / cutoff), 1.0, most_cells));
    width[k] = periodic_ ? extent / cells_[k] : std::max(cutoff, extent / cells_[k]);
  }
  cell_of_.resize(n);
  first_.assign(static_cast<std::size_t>(cells_[0]) * cells_[1] * cells_[2] + 1, 0);
  for (std::size_t i = 0; i < n; ++i) {
    int packed = 0;
    for (int k = 2; k >= 0; --k) {
      double u = (structure.atoms[i].position[k] - low[k]) / width[k];
      if (periodic_) u -= cells_[k] * std::floor(u / cells_[k]);
      packed = packed * cells_[k] + std::clamp(static_cast<int>(u), 0, cells_[k] - 1);
    }
    cell_of_[i] = packed;
    ++first_[static_cast<std::size_t>(packed) + 1];
  }
  for (std::size_t c = 1; c < first_.size(); ++c) first_[c] += first_[c - 1];
  order_.resize(n);
  std::vector<int> next(first_.begin(), first_.end() - 1);
  for (std::size_t i = 0; i < n; ++i) order_[next[cell_of_[i]]++] = static_cast<int>(i);
  // Periodic with fewer than three cells along an axis, every cell there is next.
  for (int k = 0; k < 3; ++k) {
    const int count = cells_[k];
    for (int cell = 0; cell < count; ++cell) {
      std::vector<int>& around = around_[k].emplace_back();
      for (int c = periodic_ && count < 3 ? 0 : cell - 1;
           c <= (periodic_ && count < 3 ? count - 1 : cell + 1); ++c) {
        if (periodic_) {
          around.push_back((c + count) % count);
        } else if (c >= 0 && c < count) {
          around.push_back(c);
        }
      }
    }
  }
}

}  // namespace

std::vector<std::pair<int, int>> BondsByDistance(const Structure& structure, const Box& box,
                                                 const std::vector<double>& radii, double factor) {
  std::vector<std::pair<int, int>> bonds;
  if (structure.atoms.empty()) return bonds;
  const double cutoff = 2 * factor * *std::max_element(radii.begin(), radii.end());
  const Grid grid(structure, box, cutoff);
  // The positions side by side, and the atoms taken cell by cell, so that
  // the atoms tried one after another lie close in memory.
  std::vector<Position> at;
  at.reserve(structure.atoms.size());
  for (const StructureAtom& atom : structure.atoms) at.push_back(atom.position);
  for (const int a : grid.Order()) {
    const auto i = static_cast<std::size_t>(a);
    int cell = grid.CellOf(i);
    const int x = cell % grid.cells(0);
    const int y = (cell /= grid.cells(0)) % grid.cells(1);
    const int z = cell / grid.cells(1);
    for (const int cz : grid.Around(z, 2)) {
      for (const int cy : grid.Around(y, 1)) {
        for (const int cx : grid.Around(x, 0)) {
          for (const int j : grid.Atoms(cx, cy, cz)) {
            const auto b = static_cast<std::size_t>(j);
            if (b > i && box.Distance(at[i], at[b]) < factor * (radii[i] + radii[b])) {
              bonds.emplace_back(a, j);
            }
          }
        }
      }
    }
  }
  std::sort(bonds.begin(), bonds.end());
  return bonds;
}

std::vector<std::pair<int, int>> BondsWithin(const Structure& structure, const Box& box,
                                             const std::vector<double>& radii,
                                             std::span<const int> atoms, double factor) {
  // Beyond this many atoms the grid tries fewer pairs than all of them.
  constexpr std::size_t kAllPairs = 64;
  if (atoms.size() > kAllPairs) {
    Structure part;
    std::vector<double> part_radii;
    for (const int atom : atoms) {
      part.atoms.push_back(structure.atoms[static_cast<std::size_t>(atom)]);
      part_radii.push_back(radii[static_cast<std::size_t>(atom)]);
    }
    return BondsByDistance(part, box, part_radii, factor);
  }
  std::vector<std::pair<int, int>> bonds;
  for (std::size_t i = 0; i < atoms.size(); ++i) {
    const auto a = static_cast<std::size_t>(atoms[i]);
    for (std::size_t j = i + 1; j < atoms.size(); ++j) {
      const auto b = static_cast<std::size_t>(atoms[j]);
      if (box.Distance(structure.atoms[a].position, structure.atoms[b].position) <
          factor * (radii[a] + radii[b])) {
        bonds.emplace_back(static_cast<int>(i), static_cast<int>(j));
      }
    }
  }
  return bonds;
}
