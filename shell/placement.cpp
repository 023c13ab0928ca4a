// Mode 1: neighbours placed at random in spherical shells around the central
// atoms, each tied to its centre by the shell's distance window.
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "io/console.hpp"
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
    ClaimMemory(4.0 * static_cast<double>(cells) + 28.0 * static_cast<double>(atoms), file);
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

}  // namespace

void SimpleCfg::ArrangeNeighbours(FNC& fnc, const SimpleCfg& input, const ShellPlacement& how) {
  // Minus the calendar clock's seconds modulo 2^31: the first draw starts the
  // sequence, and every second up to 2038 and beyond has a seed of its own.
  std::int32_t seed = how.seed.value_or(
      -static_cast<std::int32_t>(static_cast<std::int64_t>(std::time(nullptr)) & 0x7fffffff));
  const int n = nmolecules;
  const int ct = centraltype;
  const int types = ntypes;
  const double box = boxlength;

  // Rows: the central atoms first, then the neighbours type by type, within a
  // type by central atom. A type's constraint kind counts the earlier types
  // that have neighbours.
  int s = 0;
  std::vector<int> kind(static_cast<std::size_t>(types));
  std::vector<int> entry_offset(static_cast<std::size_t>(types));
  for (int t = 0, kinds = 0; t < types; ++t) {
    kind[t] = kinds;
    entry_offset[t] = s;
    s += nneighbours[t];
    if (nneighbours[t] > 0) ++kinds;
  }
  for (int t = 0, row = n; t < types; ++t) {
    fnc.rowstart[t + 1] = row;
    row += n * nneighbours[t];
  }

  // Where each type's neighbours start among its atoms: after the central
  // atoms in the central type.
  std::vector<int> first_position(static_cast<std::size_t>(types), 0);
  first_position[ct] = n;
  const int central_start = typestart[ct];
  const std::size_t neighbour_entries = static_cast<std::size_t>(s) * n;

  // Points uniform in the volume come from the cubes of the radii.
  const auto cube = [](double r) { return r * r * r; };
  for (int t = 0; t < types; ++t) {
    if (how.uniform && nneighbours[t] > 0 && !std::isfinite(cube(router[t]) - cube(rinner[t]))) {
      Stop(how.parameters + ": the shell radii of type " + std::to_string(t + 1) +
               " are too large for --uniform, which takes their cubes",
           [] {});
    }
  }

  // With a minimum distance, every central atom is in the grid before the
  // first neighbour is placed; those already too close to one another are
  // the input's doing, and are only counted.
  std::unique_ptr<CellGrid> grid;
  if (how.min_distance > 0) {
    WithMemoryGuard("SimpleCfg::ArrangeNeighbours", [&] {
      grid = std::make_unique<CellGrid>(how.min_distance / box, static_cast<std::size_t>(natoms),
                                        how.parameters);
    });
    int close = 0;
    for (int j = 0; j < n; ++j) {
      const double* centre = input.coords.get() + static_cast<std::size_t>(j) * 3;
      close += grid->Clear(centre) ? 0 : 1;
      grid->Add(centre);
    }
    if (close > 0) {
      Warn(how.centres + ": " + std::to_string(close) +
           (close == 1 ? " central atom lies" : " central atoms lie") + " closer than " +
           GeneralText(how.min_distance) + " to an earlier one; central atoms are not moved");
    }
  }

  for (int j = 0; j < n; ++j) {
    const double* centre = input.coords.get() + static_cast<std::size_t>(j) * 3;
    double* copy = typeptr[ct] + static_cast<std::size_t>(j) * 3;
    copy[0] = centre[0];
    copy[1] = centre[1];
    copy[2] = centre[2];
    const int central_atom = central_start + j;
    fnc.centralindex[j] = central_atom;
    FNC::ncoord[j] = s;
    for (int t = 0; t < types; ++t) {
      const int count = nneighbours[t];
      const double inner = rinner[t];
      const double outer = router[t];
      const double inner3 = cube(inner);
      const double outer3 = cube(outer);
      for (int m = 0; m < count; ++m) {
        const int position = first_position[t] + count * j + m;
        double* atom = typeptr[t] + static_cast<std::size_t>(position) * 3;
        for (int tries = 1;; ++tries) {
          const double u1 = RandomUniform(seed);
          const double u2 = RandomUniform(seed);
          const double u3 = RandomUniform(seed);
          double r{};
          double sin_theta{};
          double cos_theta{};
          double sin_phi{};
          double cos_phi{};
          if (how.uniform) {
            // r^3 and cos(theta) uniform: points uniform in the shell's volume.
            r = PortableCbrt(inner3 + u1 * (outer3 - inner3)) / box;
            cos_theta = 2 * u2 - 1;
            sin_theta = std::sqrt((1 - cos_theta) * (1 + cos_theta));
            PortableSinCos(6.283185307179586 * u3, sin_phi, cos_phi);
          } else {
            r = (inner + u1 * (outer - inner)) / box;
            PortableSinCos(3.14159265359 * u2, sin_theta, cos_theta);
            PortableSinCos(6.28318530718 * u3, sin_phi, cos_phi);
          }
          atom[0] = centre[0] + r * sin_theta * cos_phi;
          atom[1] = centre[1] + r * sin_theta * sin_phi;
          atom[2] = centre[2] + r * cos_theta;
          if (!grid || grid->Clear(atom)) break;
          if (tries == kMostTries) {
            Stop(how.centres + ": no place found for neighbour " + std::to_string(m + 1) +
                     " of type " + std::to_string(t + 1) + " around central atom " +
                     std::to_string(j + 1) + " after " + std::to_string(kMostTries) +
                     " tries; use a smaller --min-distance or a wider shell",
                 [] {});
          }
        }
        if (grid) grid->Add(atom);
        const int number = typestart[t] + position;

        const std::size_t central_entry = static_cast<std::size_t>(s) * j + entry_offset[t] + m;
        fnc.neighbours[central_entry] = number;
        fnc.constrainttype[central_entry] = kind[t];

        const int row = fnc.rowstart[t + 1] + count * j + m;
        const std::size_t row_entry = neighbour_entries + static_cast<std::size_t>(row - n);
        fnc.centralindex[row] = number;
        fnc.neighbours[row_entry] = central_atom;
        fnc.constrainttype[row_entry] = kind[t];
      }
    }
  }
}
