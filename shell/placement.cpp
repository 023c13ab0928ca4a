// Mode 1: neighbours placed at random in spherical shells around the central
// atoms, each tied to its centre by the shell's distance window.
#include <ctime>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "shell/portable_trig.hpp"
#include "shell/random_uniform.hpp"

void SimpleCfg::ArrangeNeighbours(FNC& fnc, const SimpleCfg& input) {
  // Minus the calendar clock's seconds modulo 2^31: the first draw starts the
  // sequence, and every second up to 2038 and beyond has a seed of its own.
  const auto seconds = static_cast<std::int64_t>(std::time(nullptr));
  ArrangeNeighbours(fnc, input, -static_cast<std::int32_t>(seconds & 0x7fffffff));
}

void SimpleCfg::ArrangeNeighbours(FNC& fnc, const SimpleCfg& input, std::int32_t seed) {
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
  fnc.rowstart[0] = 0;
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
      for (int m = 0; m < count; ++m) {
        const double u1 = RandomUniform(seed);
        const double u2 = RandomUniform(seed);
        const double u3 = RandomUniform(seed);
        const double r = (inner + u1 * (outer - inner)) / box;
        double sin_theta = 0;
        double cos_theta = 0;
        double sin_phi = 0;
        double cos_phi = 0;
        PortableSinCos(3.14159265359 * u2, sin_theta, cos_theta);
        PortableSinCos(6.28318530718 * u3, sin_phi, cos_phi);
        const int position = first_position[t] + count * j + m;
        double* atom = typeptr[t] + static_cast<std::size_t>(position) * 3;
        atom[0] = centre[0] + r * sin_theta * cos_phi;
        atom[1] = centre[1] + r * sin_theta * sin_phi;
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
}
