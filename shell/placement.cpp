// Mode 1: neighbours placed at random in spherical shells around the central
// atoms, each tied to its centre by the shell's distance window.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "io/error.hpp"
#include "io/number_format.hpp"
#include "shell/portable_trig.hpp"
#include "shell/random_uniform.hpp"

namespace {

constexpr int kMostTries = 1000;

// The atoms placed so far, by cell of a grid over the periodic box, so that a
// new position is compared with the atoms near it only. Positions are in box
// units and are kept wrapped into the box; distances take the minimum image.
class CellGrid {
 public:
  // Room for `atoms` atoms, claimed for the counts of the file `file`.
  CellGrid(double reach, std::size_t atoms, const std::string& file) : reach_(reach) {
    // Cells at least `reach` wide, and no more of them than about twice the
    // atoms.
    const double fit = std::min(std::floor(1 / reach), std::cbrt(2.0 * static_cast<double>(atoms)));
    cells_ = static_cast<int>(std::max(fit, 1.0));
    const auto cells = static_cast<std::size_t>(cells_) * cells_ * cells_;
    ClaimMemory(4.0 * static_cast<double>(cells) + 28.0 * static_cast<double>(atoms), file,
                "SimpleCfg::ArrangeNeighbours");
    head_.assign(cells, -1);
  }

  // Whether no atom lies closer than the reach to `p`.
  bool Clear(const double* p) const {
    const Place place = Locate(p);
    // The cells around, a side at a time, wrapped (with fewer than three
    // cells a side, some of them more than once).
    int around[3][3];
    for (int k = 0; k < 3; ++k) {
      for (int d = 0; d < 3; ++d) around[k][d] = (place.cell[k] + d - 1 + cells_) % cells_;
    }
    for (const int z : around[2]) {
      for (const int y : around[1]) {
        for (const int x : around[0]) {
          for (int a = head_[static_cast<std::size_t>((z * cells_ + y) * cells_ + x)]; a >= 0;
               a = next_[a]) {
            double sum = 0;
            for (int k = 0; k < 3; ++k) {
              // Both in [0, 1]: the nearest image is at most one box away.
              double delta = place.xyz[k] - xyz_[3 * static_cast<std::size_t>(a) + k];
              delta -= std::nearbyint(delta);
              sum += delta * delta;
            }
            if (sum < reach_ * reach_) return false;
          }
        }
      }
    }
    return true;
  }

  void Add(const double* p) {
    const Place place = Locate(p);
    const auto cell =
        static_cast<std::size_t>((place.cell[2] * cells_ + place.cell[1]) * cells_ + place.cell[0]);
    next_.push_back(head_[cell]);
    head_[cell] = static_cast<int>(next_.size()) - 1;
    xyz_.insert(xyz_.end(), place.xyz, place.xyz + 3);
  }

 private:
  // A position wrapped into the box, and its cell (a position that rounds
  // to the box's far side is in the first cell, its periodic image).
  struct Place {
    double xyz[3];
    int cell[3];
  };

  Place Locate(const double* p) const {
    Place place{};
    for (int k = 0; k < 3; ++k) {
      place.xyz[k] = p[k] - std::floor(p[k]);
      place.cell[k] = static_cast<int>(place.xyz[k] * cells_) % cells_;
    }
    return place;
  }

  double reach_;
  int cells_{};
  std::vector<int> head_;
  std::vector<int> next_;
  std::vector<double> xyz_;
};

// The rows: the central atoms first, then the neighbours type by type, within
// a type by central atom. Returns the neighbours of each central atom.
int LayOutRows(FNC& fnc) {
  int per_centre = 0;
  for (int t = 0, row = SimpleCfg::nmolecules; t < SimpleCfg::ntypes; ++t) {
    fnc.rowstart[t + 1] = row;
    row += SimpleCfg::nmolecules * SimpleCfg::nneighbours[t];
    per_centre += SimpleCfg::nneighbours[t];
  }
  return per_centre;
}

// The neighbours' positions: drawn around their central atom by the
// placement's own generator, and with a minimum distance drawn again while
// they come too close to an atom placed before.
class ShellDraw {
 public:
  // Points uniform in the volume come from the cubes of the radii, which
  // must be finite.
  ShellDraw(const ShellPlacement& how, std::uint32_t seed) : how_(how), random_(seed) {
    for (int t = 0; t < SimpleCfg::ntypes && how.uniform; ++t) {
      const double inner = SimpleCfg::rinner[t];
      const double outer = SimpleCfg::router[t];
      if (SimpleCfg::nneighbours[t] > 0 &&
          !std::isfinite(outer * outer * outer - inner * inner * inner)) {
        throw LocatedError::Text(how.parameters, 0,
                                 "the shell radii of type " + std::to_string(t + 1) +
                                     " are too large for --uniform, which takes their cubes");
      }
    }
  }

  // With a minimum distance, every central atom of `input` is in the grid
  // before the first neighbour is placed; those already too close to one
  // another are the input's doing, and are only counted.
  void AddCentres(const SimpleCfg& input, Report& report) {
    if (how_.min_distance <= 0) return;
    WithMemoryGuard("SimpleCfg::ArrangeNeighbours", how_.parameters, [&] {
      grid_ =
          std::make_unique<CellGrid>(how_.min_distance / SimpleCfg::boxlength,
                                     static_cast<std::size_t>(SimpleCfg::natoms), how_.parameters);
    });
    int close = 0;
    for (int j = 0; j < SimpleCfg::nmolecules; ++j) {
      const double* centre = input.coords.get() + static_cast<std::size_t>(j) * 3;
      close += grid_->Clear(centre) ? 0 : 1;
      grid_->Add(centre);
    }
    if (close > 0) {
      report.Warn({how_.centres, 0,
                   std::to_string(close) +
                       (close == 1 ? " central atom lies" : " central atoms lie") +
                       " closer than " + GeneralText(how_.min_distance) +
                       " to an earlier one; central atoms are not moved"});
    }
  }

  // Places neighbour `m` of type `t` around central atom `j` at `atom`.
  void Place(const double* centre, int j, int t, int m, double* atom) {
    for (int tries = 1;; ++tries) {
      double offset[3];
      Draw(t, offset);
      for (int k = 0; k < 3; ++k) atom[k] = centre[k] + offset[k];
      if (!grid_ || grid_->Clear(atom)) break;
      if (tries == kMostTries) {
        throw LocatedError::Text(how_.centres, 0,
                                 "no place found for neighbour " + std::to_string(m + 1) +
                                     " of type " + std::to_string(t + 1) + " around central atom " +
                                     std::to_string(j + 1) + " after " +
                                     std::to_string(kMostTries) +
                                     " tries; use a smaller --min-distance or a wider shell");
      }
    }
    if (grid_) grid_->Add(atom);
  }

 private:
  // One draw of u1, u2, u3: the offset from the centre, in box units.
  void Draw(int t, double* offset) {
    const double inner = SimpleCfg::rinner[t];
    const double outer = SimpleCfg::router[t];
    const double box = SimpleCfg::boxlength;
    const double u1 = random_.Next();
    const double u2 = random_.Next();
    const double u3 = random_.Next();
    double r{}, sin_theta{}, cos_theta{}, sin_phi{}, cos_phi{};
    if (how_.uniform) {
      // r^3 and cos(theta) uniform: points uniform in the shell's volume.
      const double inner3 = inner * inner * inner;
      r = PortableCbrt(inner3 + u1 * (outer * outer * outer - inner3)) / box;
      cos_theta = 2 * u2 - 1;
      sin_theta = std::sqrt((1 - cos_theta) * (1 + cos_theta));
      PortableSinCos(6.283185307179586 * u3, sin_phi, cos_phi);
    } else {
      r = (inner + u1 * (outer - inner)) / box;
      PortableSinCos(3.14159265359 * u2, sin_theta, cos_theta);
      PortableSinCos(6.28318530718 * u3, sin_phi, cos_phi);
    }
    offset[0] = r * sin_theta * cos_phi;
    offset[1] = r * sin_theta * sin_phi;
    offset[2] = r * cos_theta;
  }

  const ShellPlacement& how_;
  RandomUniform random_;
  std::unique_ptr<CellGrid> grid_;
};

}  // namespace

void SimpleCfg::ArrangeNeighbours(FNC& fnc, const SimpleCfg& input, const ShellPlacement& how) {
  // Without a seed, the calendar clock's seconds modulo 2^31: every second up
  // to 2038 and beyond has a seed of its own.
  ShellDraw draw(how, how.seed.value_or(std::time(nullptr) & 0x7fffffff));
  const int per_centre = LayOutRows(fnc);
  draw.AddCentres(input, report_);
  const int n = nmolecules;
  const int ct = centraltype;
  for (int j = 0; j < n; ++j) {
    const double* centre = input.coords.get() + static_cast<std::size_t>(j) * 3;
    std::copy_n(centre, 3, typeptr[ct] + static_cast<std::size_t>(j) * 3);
    const int central_atom = typestart[ct] + j;
    fnc.centralindex[j] = central_atom;
    FNC::ncoord[j] = per_centre;
    // A type's constraint kind counts the earlier types that have neighbours.
    std::size_t entry = static_cast<std::size_t>(per_centre) * j;
    for (int t = 0, kind = 0; t < ntypes; kind += (nneighbours[t] > 0 ? 1 : 0), ++t) {
      for (int m = 0, count = nneighbours[t]; m < count; ++m, ++entry) {
        // In the central type, the neighbours come after the central atoms.
        const int position = (t == ct ? n : 0) + count * j + m;
        draw.Place(centre, j, t, m, typeptr[t] + static_cast<std::size_t>(position) * 3);
        // The pair, in the central atom's row and in the neighbour's own.
        const int number = typestart[t] + position;
        fnc.neighbours[entry] = number;
        fnc.constrainttype[entry] = kind;
        const int row = fnc.rowstart[t + 1] + count * j + m;
        const std::size_t own = static_cast<std::size_t>(per_centre) * n + (row - n);
        fnc.centralindex[row] = number;
        fnc.neighbours[own] = central_atom;
        fnc.constrainttype[own] = kind;
      }
    }
  }
}
