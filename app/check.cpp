// The check of a configuration against its constraints: per kind the window,
// the pairs and where their distances lie; lists that are not symmetric;
// indices out of range; the first violations.
#include "app/check.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "app/plot.hpp"
#include "cfg/simple_cfg.hpp"
#include "cfg/xyz_file.hpp"
#include "fnc/fnc_file.hpp"
#include "io/console.hpp"
#include "io/number_format.hpp"
#include "io/output_file.hpp"

namespace {

constexpr int kViolationsShown = 10;

// Distance of atoms a and b (box units) in the file's length unit, under the
// minimum image in the cubic box.
double Distance(const double* a, const double* b, double box) {
  double sum = 0;
  for (int k = 0; k < 3; ++k) {
    const double delta = a[k] - b[k];
    const double image = delta - std::nearbyint(delta);
    sum += image * image;
  }
  return std::sqrt(sum) * box;
}

}  // namespace

int RunCheck(const CheckRequest& request) {
  std::ifstream in;
  OpenTwiceReadable(in, request.cfg);
  SimpleCfg::GetParams_cfg(in, request.cfg);
  SimpleCfg config;
  OpenTwiceReadable(in, request.cfg);
  config.load(in, request.cfg);
  OpenOn(in, request.fnc, std::ios::in);
  const ConstraintFile fnc = ReadConstraintFile(in, request.fnc);

  const double box = SimpleCfg::boxlength;
  const int atoms = config.size();
  const auto rows = static_cast<int>(fnc.atom.size());
  const auto kinds = static_cast<int>(fnc.rmin.size());
  std::cout << request.cfg << ": " << atoms << " atoms in a box of " << GeneralText(box) << '\n'
            << request.fnc << ": " << rows << " atoms, " << kinds
            << (kinds == 1 ? " kind, " : " kinds, ") << fnc.kind.size() << " constraint entries\n";
  int failures = 0;
  if (rows != atoms) {
    std::cout << "the constraint file has " << rows << " rows, the configuration " << atoms
              << " atoms\n";
    ++failures;
  }

  // Each atom's row, and each row's entries ordered for the search of a reverse.
  std::vector<int> row_of(static_cast<std::size_t>(atoms), -1);
  std::vector<std::size_t> first(static_cast<std::size_t>(rows) + 1, 0);
  int out_of_range = 0;
  int repeated_rows = 0;
  for (int r = 0; r < rows; ++r) {
    first[r + 1] = first[r] + static_cast<std::size_t>(fnc.count[r]);
    const int a = fnc.atom[r];
    if (a < 0 || a >= atoms) {
      ++out_of_range;
    } else if (row_of[a] >= 0) {
      ++repeated_rows;
    } else {
      row_of[a] = r;
    }
  }
  std::vector<std::uint64_t> sorted(fnc.neighbour.size());
  for (std::size_t e = 0; e < sorted.size(); ++e) {
    sorted[e] = static_cast<std::uint64_t>(static_cast<std::uint32_t>(fnc.neighbour[e])) << 32 |
                static_cast<std::uint32_t>(fnc.kind[e]);
  }
  for (int r = 0; r < rows; ++r)
    std::sort(sorted.begin() + first[r], sorted.begin() + first[r + 1]);
  const auto listed = [&](int atom, int neighbour, int kind) {
    const int r = row_of[atom];
    const std::uint64_t key = static_cast<std::uint64_t>(static_cast<std::uint32_t>(neighbour))
                                  << 32 |
                              static_cast<std::uint32_t>(kind);
    return r >= 0 &&
           std::binary_search(sorted.begin() + first[r], sorted.begin() + first[r + 1], key);
  };

  // The file holds coordinates to 15 decimals of the box length: distances
  // that close to a bound are taken as on it.
  std::vector<KindDistances> stats(static_cast<std::size_t>(kinds));
  for (int k = 0; k < kinds; ++k) {
    stats[k] = KindDistances(fnc.rmin[k], fnc.rmax[k], 1e-10 * (box + std::fabs(fnc.rmax[k])));
  }
  int asymmetric = 0;
  int violations = 0;
  for (int r = 0; r < rows; ++r) {
    const int a = fnc.atom[r];
    for (std::size_t e = first[r]; e < first[r + 1]; ++e) {
      const int b = fnc.neighbour[e];
      const int k = fnc.kind[e];
      if (a < 0 || a >= atoms || b < 0 || b >= atoms || k < 0 || k >= kinds) {
        ++out_of_range;
        continue;
      }
      const bool reverse = listed(b, a, k);
      if (!reverse) {
        ++asymmetric;
        if (asymmetric <= kViolationsShown) {
          std::cout << "atom " << a + 1 << " lists atom " << b + 1 << " with kind " << k + 1
                    << ", but atom " << b + 1 << " does not list atom " << a + 1 << '\n';
        }
      }
      // Each pair once: from its lower atom, or from its only side.
      if (a > b && reverse) continue;
      const double distance = Distance(config.coords.get() + 3 * std::size_t(a),
                                       config.coords.get() + 3 * std::size_t(b), box);
      if (stats[k].Add(distance) && stats[k].window_max <= box / 2 &&
          ++violations <= kViolationsShown) {
        std::cout << "violation: atoms " << a + 1 << " and " << b + 1 << " (kind " << k + 1
                  << ") are " << GeneralText(distance) << " apart, outside "
                  << GeneralText(fnc.rmin[k]) << " .. " << GeneralText(fnc.rmax[k]) << '\n';
      }
    }
  }

  std::cout
      << "kind  window                     pairs     smallest         mean      largest  outside\n";
  for (int k = 0; k < kinds; ++k) {
    const KindDistances& s = stats[k];
    std::string window = GeneralText(s.window_min) + " .. " + GeneralText(s.window_max);
    window.resize(std::max<std::size_t>(window.size(), 22), ' ');
    window += ' ';
    char numbers[5 * kNumberRoom];
    char* end = FormatInteger(numbers, k + 1, 4);
    end = std::copy_n("  ", 2, end);
    end = std::copy(window.begin(), window.end(), end);
    end = FormatInteger(end, s.pairs, 9);
    for (const double value : {s.smallest, s.sum / static_cast<double>(s.pairs), s.largest}) {
      *end++ = ' ';
      end = FormatGeneral(end, s.pairs ? value : 0.0, 6, 12);
    }
    *end++ = ' ';
    end = FormatInteger(end, s.outside, 8);
    std::cout << std::string_view(numbers, end - numbers) << '\n';
    if (s.window_max > box / 2) {
      std::cout << "      cannot be judged: the window reaches beyond half the box ("
                << GeneralText(box / 2)
                << "), where the nearest image of a pair need not be the constrained one\n";
      ++failures;
    } else {
      failures += s.outside > 0;
    }
  }
  if (asymmetric > 0) std::cout << "entries without their reverse: " << asymmetric << '\n';
  if (out_of_range > 0) std::cout << "indices out of range: " << out_of_range << '\n';
  if (repeated_rows > 0) std::cout << "atoms with more than one row: " << repeated_rows << '\n';
  failures += (asymmetric > 0) + (out_of_range > 0) + (repeated_rows > 0);
  std::cout << (failures == 0 ? "every constraint holds\n" : "the check fails\n");

  if (!request.xyz.empty()) {
    std::ofstream out;
    OpenOutput(out, request.xyz);
    WriteExtendedXyz(out, config, request.xyz);
    PlaceOutput(out, "", request.xyz);
  }
  if (!request.plot.empty()) {
    std::ofstream out;
    OpenOutput(out, request.plot);
    WritePlot(out, stats, request.plot);
    PlaceOutput(out, "", request.plot);
  }
  return failures == 0 ? 0 : 1;
}
