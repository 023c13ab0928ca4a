// Mode 1: neighbours placed at random in spherical shells around the central
// atoms, each tied to its centre by the shell's distance window.
#include <ctime>

#include "app/two_threads.hpp"
#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "shell/portable_trig.hpp"
#include "shell/random_uniform.hpp"

namespace {

// Atoms placed or copied below which the placement runs on one thread.
constexpr std::size_t kSplitAtoms = 50000;

}  // namespace

void SimpleCfg::ArrangeNeighbours(FNC& fnc, const SimpleCfg& input) {
  // Minus the calendar clock's seconds: the first draw starts the sequence.
  const auto seconds = static_cast<std::int32_t>(std::time(nullptr));
  ArrangeNeighbours(fnc, input, static_cast<std::int32_t>(-std::int64_t{seconds}));
}

void SimpleCfg::ArrangeNeighbours(FNC& fnc, const SimpleCfg& input, std::int32_t seed) {
  const int n = nmolecules;
  const int ct = centraltype;
  const int types = ntypes;
  const double box = boxlength;

  // Rows: the central atoms first, then the neighbours type by type, within a
  // type by central atom. A type's constraint kind counts the earlier types
  // that have neighbours.
  int total = 0;
  std::vector<int> kind(static_cast<std::size_t>(types));
  std::vector<int> entry_offset(static_cast<std::size_t>(types));
  for (int t = 0, kinds = 0; t < types; ++t) {
    kind[t] = kinds;
    entry_offset[t] = total;
    total += nneighbours[t];
    if (nneighbours[t] > 0) ++kinds;
  }
  const int s = total;
  fnc.rowstart[0] = 0;
  for (int t = 0, row = n; t < types; ++t) {
    fnc.rowstart[t + 1] = row;
    row += n * nneighbours[t];
  }

  // Where each type's neighbours start among its atoms: after the central
  // atoms in the central type. A neighbour's place follows from its centre.
  std::vector<int> first_position(static_cast<std::size_t>(types), 0);
  first_position[ct] = n;
  const int central_start = typestart[ct];
  const std::size_t neighbour_entries = static_cast<std::size_t>(s) * n;

  // Places the neighbours of centres [first, last), drawing from `stream`.
  const auto place = [&](int first, int last, RandomStream& stream) {
    for (int j = first; j < last; ++j) {
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
        for (int m = 0; m < count; ++m) {
          const double u1 = stream.Next();
          const double u2 = stream.Next();
          const double u3 = stream.Next();
          const double r = (inner + u1 * (outer - inner)) / box;
          const double theta = 3.14159265359 * u2;
          const double phi = 6.28318530718 * u3;
          const int position = first_position[t] + count * j + m;
          double* atom = typeptr[t] + static_cast<std::size_t>(position) * 3;
          double sin_theta = 0;
          double cos_theta = 0;
          double sin_phi = 0;
          double cos_phi = 0;
          PortableSinCos(theta, sin_theta, cos_theta);
          PortableSinCos(phi, sin_phi, cos_phi);
          // (r sin(theta)) cos(phi) and (r sin(theta)) sin(phi): the product
          // r sin(theta) comes first in both, so it is formed once.
          const double r_sin_theta = r * sin_theta;
          atom[0] = centre[0] + r_sin_theta * cos_phi;
          atom[1] = centre[1] + r_sin_theta * sin_phi;
          atom[2] = centre[2] + r * cos_theta;
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
  };

  // Every centre takes 3 draws per neighbour, so the stream for a later
  // centre is known by skipping the draws before it. Large runs are split in
  // two: this thread places the first part while the other skips to the
  // second and places it. Skipping costs about a sixth of placing, so with
  // neighbours the first part is the larger (6/11 of the centres) and both
  // finish together; without, the centres are only copied, half each.
  RandomStream stream(seed);
  const std::size_t draws_per_centre = 3 * static_cast<std::size_t>(s);
  if (static_cast<std::size_t>(n) + neighbour_entries < kSplitAtoms) {
    place(0, n, stream);
  } else {
    // Each thread draws from a copy on its own stack: two streams side by
    // side would share cache lines that both threads write on every draw.
    const int split = s > 0 ? static_cast<int>(std::int64_t{n} * 6 / 11) : n / 2;
    const RandomStream start = stream;
    RunOnTwoThreads(
        [&] {
          RandomStream first = start;
          place(0, split, first);
        },
        [&] {
          RandomStream later = start;
          later.Skip(draws_per_centre * static_cast<std::size_t>(split));
          place(split, n, later);
          stream = later;
        });
  }
  // Without draws the shared sequence is left as it was.
  if (neighbour_entries > 0) stream.Keep(seed);
}
