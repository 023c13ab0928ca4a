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
#include "shell/atom_grid.hpp"
#include "shell/crowd.hpp"
#include "shell/min_distance.hpp"
#include "shell/portable_trig.hpp"
#include "shell/random_uniform.hpp"

namespace {

constexpr int kMostTries = 1000;

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

// What no placement could meet is refused before the first draw, naming the
// type and the numbers: a type named by the distances that the file does not
// have; a neighbour type whose distance to its own central atom's type is
// not below the shell's inner radius (every neighbour lies closer than that
// to its own central atom); and more neighbours of a type than its shell
// holds that far apart by the bound of MostInShell.
void RefuseImpossible(const ShellPlacement& how) {
  const MinDistances& distances = how.min_distance;
  const auto& lines = SimpleCfg::shelllines;
  const int types = SimpleCfg::ntypes;
  for (const MinDistances::Pair& pair : distances.pairs) {
    if (pair.second > types) {
      throw LocatedError::Text(how.parameters, lines.types,
                               "--min-distance names type " + std::to_string(pair.second) +
                                   ", but there are " + std::to_string(types) + " types");
    }
  }
  const int ct = SimpleCfg::centraltype;
  for (int t = 0; t < types; ++t) {
    const int count = SimpleCfg::nneighbours[t];
    const double inner = std::min(SimpleCfg::rinner[t], SimpleCfg::router[t]);
    const double outer = std::max(SimpleCfg::rinner[t], SimpleCfg::router[t]);
    const std::string type = std::to_string(t + 1);
    const double own = distances.Of(ct + 1, t + 1);
    if (count > 0 && own > 0 && own >= inner) {
      throw LocatedError::Text(
          how.parameters, lines.inner,
          "the minimum distance " + GeneralText(own) + " between the central type " +
              std::to_string(ct + 1) + " and type " + type + " is not below the inner radius " +
              GeneralText(inner) + " of type " + type +
              ": every neighbour lies closer than that to its own central atom");
    }
    const double apart = distances.Of(t + 1, t + 1);
    const double most = count > 1 && apart > 0 ? MostInShell(inner, outer, apart) : count;
    if (count > most * (1 + 1e-9)) {
      throw LocatedError::Text(
          how.parameters, lines.counts,
          std::to_string(count) + " neighbours of type " + type + " cannot all lie " +
              GeneralText(apart) + " apart in the shell " + GeneralText(inner) + " .. " +
              GeneralText(outer) + ", where at most " + std::to_string(static_cast<int>(most)) +
              " fit (a bound from the shell's volume and the area of its outer sphere)");
    }
  }
}

// The neighbours' positions: drawn around their central atom by the
// placement's own generator. With minimum distances, a neighbour is drawn
// again while it comes too close to an atom placed before; when one finds no
// place, the central atom's neighbours are moved together (SettleCrowd).
class ShellDraw {
 public:
  // Points uniform in the volume come from the cubes of the radii, which
  // must be finite.
  ShellDraw(const ShellPlacement& how, std::uint32_t seed, int per_centre)
      : how_(how), random_(seed) {
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
    if (how.min_distance.Any()) {
      RefuseImpossible(how);
      reach_.emplace(how.min_distance, SimpleCfg::ntypes, SimpleCfg::boxlength);
    }
    crowd_.reserve(static_cast<std::size_t>(per_centre));
    for (int t = 0; t < SimpleCfg::ntypes; ++t) {
      const double inner = std::min(SimpleCfg::rinner[t], SimpleCfg::router[t]);
      const double outer = std::max(SimpleCfg::rinner[t], SimpleCfg::router[t]);
      const CrowdMember member{t, reach_ ? reach_->ClassOf(t) : 0, inner / SimpleCfg::boxlength,
                               outer / SimpleCfg::boxlength};
      crowd_.insert(crowd_.end(), static_cast<std::size_t>(SimpleCfg::nneighbours[t]), member);
    }
    placed_.resize(crowd_.size());
    wrapped_.resize(3 * crowd_.size());
  }

  // With minimum distances, every central atom of `input` is in the grid
  // before the first neighbour is placed; those already too close to one
  // another are the input's doing, and are only counted.
  void AddCentres(const SimpleCfg& input, Report& report) {
    if (!reach_) return;
    // Every neighbour lies within the largest outer radius of its centre.
    double margin = 0;
    for (const CrowdMember& member : crowd_) margin = std::max(margin, member.outer);
    WithMemoryGuard("SimpleCfg::ArrangeNeighbours", how_.parameters, [&] {
      const auto atoms = static_cast<std::size_t>(SimpleCfg::natoms);
      ClaimMemory(AtomGrid::Bytes(atoms), how_.parameters, "SimpleCfg::ArrangeNeighbours");
      grid_ = std::make_unique<AtomGrid>(reach_->squared(), reach_->classes(), atoms,
                                         input.coords.get(),
                                         static_cast<std::size_t>(SimpleCfg::nmolecules), margin);
    });
    const int ct = SimpleCfg::centraltype;
    int close = 0;
    for (int j = 0; j < SimpleCfg::nmolecules; ++j) {
      const double* centre = input.coords.get() + static_cast<std::size_t>(j) * 3;
      close += grid_->Clear(centre, reach_->ClassOf(ct)) ? 0 : 1;
      grid_->Add(centre, reach_->ClassOf(ct));
    }
    if (close > 0) {
      report.Warn({how_.centres, 0,
                   std::to_string(close) +
                       (close == 1 ? " central atom lies" : " central atoms lie") +
                       " closer than " + GeneralText(how_.min_distance.Of(ct + 1, ct + 1)) +
                       " to an earlier one; central atoms are not moved"});
    }
  }

  // With minimum distances, the grid fetches ahead what the placement around
  // `centre` will search.
  void FetchAhead(const double* centre) const {
    if (grid_) grid_->FetchAhead(centre);
  }

  // Places the neighbours of central atom `j`, at `centre`, at `atoms`: by
  // type, and within a type in order.
  void PlaceAround(const double* centre, int j, const std::vector<double*>& atoms) {
    for (std::size_t i = 0; i < crowd_.size(); ++i) {
      if (!DrawClear(centre, i, atoms[i])) return MoveTogether(centre, j, i, atoms);
      if (grid_) placed_[i] = grid_->Add(atoms[i], crowd_[i].cls);
    }
  }

 private:
  // Draws neighbour i until it lies clear of the atoms placed before, at
  // `atom`; false after kMostTries draws.
  bool DrawClear(const double* centre, std::size_t i, double* atom) {
    CrowdMember& member = crowd_[i];
    for (int tries = 1;; ++tries) {
      Draw(member);
      for (int k = 0; k < 3; ++k) atom[k] = centre[k] + member.offset[k];
      if (!grid_ || (ClearOfEarlier(i, atom) && grid_->Clear(atom, member.cls))) return true;
      if (tries == kMostTries) return false;
    }
  }

  // Whether neighbour i at `atom` lies clear of the neighbours of its central
  // atom placed before it. These are in the grid, so Clear would find the
  // same; but they turn away most of the draws that fail, and are at hand.
  bool ClearOfEarlier(std::size_t i, const double* atom) {
    double* w = &wrapped_[3 * i];
    WrapIntoBox(atom, w);
    for (std::size_t e = 0; e < i; ++e) {
      if (SquareApart(w, &wrapped_[3 * e]) < reach_->Squared(crowd_[i].cls, crowd_[e].cls)) {
        return false;
      }
    }
    return true;
  }

  // Neighbour `stuck` of central atom `j` found no place: the ones before it
  // leave the grid, the ones after it are drawn once, and all are moved
  // together from there.
  void MoveTogether(const double* centre, int j, std::size_t stuck,
                    const std::vector<double*>& atoms) {
    for (std::size_t i = 0; i < stuck; ++i) grid_->Remove(placed_[i]);
    for (std::size_t i = stuck + 1; i < crowd_.size(); ++i) Draw(crowd_[i]);
    if (!SettleCrowd(crowd_, centre, *grid_, *reach_, [&](CrowdMember& m) { Draw(m); })) {
      throw LocatedError::Text(how_.centres, 0,
                               "no room found for the " + std::to_string(crowd_.size()) +
                                   " neighbours of central atom " + std::to_string(j + 1) +
                                   ", neither drawn one by one (" + std::to_string(kMostTries) +
                                   " draws for neighbour " + std::to_string(stuck + 1) +
                                   ") nor moved together (" + std::to_string(kCrowdAttempts) +
                                   " attempts); use a smaller --min-distance or a wider shell");
    }
    for (std::size_t i = 0; i < crowd_.size(); ++i) {
      for (int k = 0; k < 3; ++k) atoms[i][k] = centre[k] + crowd_[i].offset[k];
      if (i < stuck) {
        grid_->Put(placed_[i], atoms[i]);
      } else {
        placed_[i] = grid_->Add(atoms[i], crowd_[i].cls);
      }
    }
  }

  // One draw of u1, u2, u3: the member's offset from its centre, in box units.
  void Draw(CrowdMember& member) {
    const double inner = SimpleCfg::rinner[member.type];
    const double outer = SimpleCfg::router[member.type];
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
    member.offset[0] = r * sin_theta * cos_phi;
    member.offset[1] = r * sin_theta * sin_phi;
    member.offset[2] = r * cos_theta;
  }

  const ShellPlacement& how_;
  RandomUniform random_;
  std::optional<PairReach> reach_;
  std::unique_ptr<AtomGrid> grid_;
  std::vector<CrowdMember> crowd_;  // the neighbours of one central atom, in order
  std::vector<int> placed_;         // their numbers in the grid
  std::vector<double> wrapped_;     // their positions wrapped into the box
};

}  // namespace

void SimpleCfg::ArrangeNeighbours(FNC& fnc, const SimpleCfg& input, const ShellPlacement& how) {
  const int per_centre = LayOutRows(fnc);
  // Without a seed, the calendar clock's seconds modulo 2^31: every second up
  // to 2038 and beyond has a seed of its own.
  ShellDraw draw(how, how.seed.value_or(std::time(nullptr) & 0x7fffffff), per_centre);
  draw.AddCentres(input, report_);
  const int n = nmolecules;
  const int ct = centraltype;
  std::vector<double*> atoms(static_cast<std::size_t>(per_centre));
  for (int j = 0; j < n; ++j) {
    const double* centre = input.coords.get() + static_cast<std::size_t>(j) * 3;
    std::copy_n(centre, 3, typeptr[ct] + static_cast<std::size_t>(j) * 3);
    const int central_atom = typestart[ct] + j;
    fnc.centralindex[j] = central_atom;
    FNC::ncoord[j] = per_centre;
    // A type's constraint kind counts the earlier types that have neighbours.
    std::size_t entry = static_cast<std::size_t>(per_centre) * j;
    for (int t = 0, kind = 0, i = 0; t < ntypes; kind += (nneighbours[t] > 0 ? 1 : 0), ++t) {
      for (int m = 0, count = nneighbours[t]; m < count; ++m, ++entry, ++i) {
        // In the central type, the neighbours come after the central atoms.
        const int position = (t == ct ? n : 0) + count * j + m;
        atoms[i] = typeptr[t] + static_cast<std::size_t>(position) * 3;
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
    if (j + 1 < n) draw.FetchAhead(centre + 3);
    draw.PlaceAround(centre, j, atoms);
  }
}
