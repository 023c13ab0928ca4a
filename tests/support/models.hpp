// Models written here from the definitions, independently of the program:
// the uniform random generator, the numbering and positions of a shell
// placement, the shrinking-gap exchange sort, and a portable shuffle.
#pragma once

#include <cmath>
#include <cstdint>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "shell/portable_trig.hpp"

namespace testing_support {

// The generator with 64-bit arithmetic: s -> 16807 s mod (2^31 - 1); a seed
// <= 0 restarts with max(1, -seed), 8 warm-up steps and a 32-slot table
// filled from the back; the slot is the last output divided by 2^26; the
// output is scaled by 1 / (2^31 - 1) and clamped below 1.
class ReferenceUniform {
 public:
  double Next(std::int32_t& seed) {
    std::int64_t s = seed;
    if (s <= 0 || last_ == 0) {
      s = -s < 1 ? 1 : -s;
      for (int result = 1; result <= 40; ++result) {
        s = 16807 * s % 2147483647;
        if (result >= 9) table_[40 - result] = s;  // result 9 in slot 31, 40 in slot 0
      }
      last_ = table_[0];
    }
    s = 16807 * s % 2147483647;
    const std::int64_t slot = last_ / 67108864;
    last_ = table_[slot];
    table_[slot] = s;
    seed = static_cast<std::int32_t>(s);
    const double u = static_cast<double>(last_) * (1.0 / 2147483647.0);
    return u > 0.99999988 ? 0.99999988 : u;
  }

 private:
  std::int64_t table_[32] = {};
  std::int64_t last_ = 0;
};

// The shell parameters of a mode-1 run and the numbering they imply: the
// central atoms' rows first, then the neighbour rows type by type; atoms
// stored type by type, the central atoms first in their type's block. All
// indices 0-based.
struct ShellModel {
  int n = 0;        // central atoms, after any reset
  int central = 0;  // central type
  std::vector<int> counts;
  std::vector<double> inner, outer;

  int types() const { return static_cast<int>(counts.size()); }
  int S() const { return std::accumulate(counts.begin(), counts.end(), 0); }
  int Atoms() const { return n * (1 + S()); }
  int TypeAtoms(int t) const { return n * counts[t] + (t == central ? n : 0); }
  std::vector<int> Ni() const {
    std::vector<int> ni;
    for (int t = 0; t < types(); ++t) ni.push_back(TypeAtoms(t));
    return ni;
  }
  int TypeStart(int t) const {
    int start = 0;
    for (int u = 0; u < t; ++u) start += TypeAtoms(u);
    return start;
  }
  int CentralAtom(int j) const { return TypeStart(central) + j; }
  // The m-th neighbour of type t around central atom j.
  int NeighbourAtom(int t, int j, int m) const {
    return TypeStart(t) + (t == central ? n : 0) + counts[t] * j + m;
  }
  int FirstRow(int t) const {
    int row = n;
    for (int u = 0; u < t; ++u) row += n * counts[u];
    return row;
  }
  int NeighbourRow(int t, int j, int m) const { return FirstRow(t) + counts[t] * j + m; }
  // Types with neighbours are numbered as kinds in type order.
  int Kind(int t) const {
    int kind = 0;
    for (int u = 0; u < t; ++u) kind += counts[u] > 0 ? 1 : 0;
    return kind;
  }
  int Kinds() const { return Kind(types()); }
  // Entries: S per central row, then one per neighbour row.
  int CentralEntry(int j, int t, int m) const {
    return S() * j + std::accumulate(counts.begin(), counts.begin() + t, 0) + m;
  }
  int NeighbourEntry(int row) const { return S() * n + row - n; }

  // The parameter file, values written with 17 significant digits.
  std::string DatFile(int molecules = -1) const {
    std::ostringstream dat;
    dat.precision(17);
    dat << (molecules < 0 ? n : molecules) << " ! molecules\n"
        << types() << " ! types\n"
        << central + 1 << " ! central\n";
    for (const int c : counts) dat << ' ' << c;
    dat << " ! neighbours\n";
    for (const double r : inner) dat << ' ' << r;
    dat << " ! inner\n";
    for (const double r : outer) dat << ' ' << r;
    dat << " ! outer\n";
    return dat.str();
  }

  // Every coordinate of the grown configuration (three per atom) for the
  // central atoms `centres` and the seed: three draws per neighbour, central
  // atom by central atom, then type by type, then neighbour by neighbour.
  std::vector<double> Positions(const std::vector<double>& centres, double box,
                                std::int32_t seed) const {
    ReferenceUniform random;
    std::vector<double> atoms(3 * static_cast<std::size_t>(Atoms()));
    for (int j = 0; j < n; ++j) {
      const double* c = &centres[3 * j];
      for (int k = 0; k < 3; ++k) atoms[3 * CentralAtom(j) + k] = c[k];
      for (int t = 0; t < types(); ++t) {
        for (int m = 0; m < counts[t]; ++m) {
          const double u1 = random.Next(seed);
          const double u2 = random.Next(seed);
          const double u3 = random.Next(seed);
          const double r = (inner[t] + u1 * (outer[t] - inner[t])) / box;
          const double theta = 3.14159265359 * u2;
          const double phi = 6.28318530718 * u3;
          double* p = &atoms[3 * NeighbourAtom(t, j, m)];
          // The placement's own sine and cosine, which give the same bits on
          // every processor; they are checked against the library separately.
          double sin_theta = 0, cos_theta = 0, sin_phi = 0, cos_phi = 0;
          PortableSinCos(theta, sin_theta, cos_theta);
          PortableSinCos(phi, sin_phi, cos_phi);
          p[0] = c[0] + r * sin_theta * cos_phi;
          p[1] = c[1] + r * sin_theta * sin_phi;
          p[2] = c[2] + r * cos_theta;
        }
      }
    }
    return atoms;
  }
};

// The shrinking-gap exchange sort: gaps x = n * 0.78, then x * 0.78 again
// and again, each the truncation of x while it is at least 1, one pass each;
// then, when `finish`, gap-1 passes while the pass before exchanged.
inline std::vector<int> GapSequence(int n) {
  std::vector<int> gaps;
  for (double x = n * 0.78; std::trunc(x) >= 1.0; x *= 0.78) {
    gaps.push_back(static_cast<int>(std::trunc(x)));
  }
  return gaps;
}

struct GapSortRun {
  std::vector<int> keys;                       // the keys afterwards
  std::vector<std::pair<int, int>> exchanges;  // in the order made
  std::size_t fixed_exchanges = 0;             // made by the gap sequence itself
};

inline GapSortRun RunGapSortModel(std::vector<int> keys, bool finish = true) {
  GapSortRun run;
  const int n = static_cast<int>(keys.size());
  bool exchanged = false;
  const auto pass = [&](int gap) {
    exchanged = false;
    for (int i = 0; i + gap < n; ++i) {
      if (keys[i] > keys[i + gap]) {
        std::swap(keys[i], keys[i + gap]);
        run.exchanges.emplace_back(i, i + gap);
        exchanged = true;
      }
    }
  };
  for (const int gap : GapSequence(n)) pass(gap);
  run.fixed_exchanges = run.exchanges.size();
  while (finish && exchanged) pass(1);
  run.keys = std::move(keys);
  return run;
}

// Makes the exchanges on `values`, moving `stride` values per position.
template <class T>
void ApplyExchanges(const std::vector<std::pair<int, int>>& exchanges, std::vector<T>& values,
                    int stride = 1) {
  for (const auto& [i, j] : exchanges) {
    for (int c = 0; c < stride; ++c) std::swap(values[i * stride + c], values[j * stride + c]);
  }
}

// Deterministic pseudo-random numbers, the same on every platform.
class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next(std::uint32_t bound) {
    state_ = (state_ * 1103515245u + 12345u) % 2147483648u;
    return static_cast<std::uint32_t>(state_ >> 8) % bound;
  }
  template <class T>
  void Shuffle(std::vector<T>& values) {
    for (std::size_t i = values.size(); i > 1; --i) {
      std::swap(values[i - 1], values[Next(static_cast<std::uint32_t>(i))]);
    }
  }

 private:
  std::uint64_t state_;
};

}  // namespace testing_support
