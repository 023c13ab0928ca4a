// Random shell placement: the row and atom numbering of the grown
// configuration and its constraint set, checked against a model built here
// from the layout rules, every neighbour's distance from its centre, and the
// exact positions for a given seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "shell/random_uniform.hpp"
#include "support/console_capture.hpp"

namespace {

using testing_support::ConsoleCapture;

// The shell parameters of one case and the numbering they imply.
struct Model {
  int n = 0;        // central atoms
  int central = 0;  // 0-based central type
  std::vector<int> counts;
  std::vector<double> inner, outer;

  int types() const { return static_cast<int>(counts.size()); }
  int S() const { return std::accumulate(counts.begin(), counts.end(), 0); }
  int Atoms() const { return n * (1 + S()); }
  int TypeAtoms(int t) const { return n * counts[t] + (t == central ? n : 0); }
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
  // First row of the neighbours of type t: after the central rows and the
  // neighbour rows of every earlier type.
  int FirstRow(int t) const {
    int row = n;
    for (int u = 0; u < t; ++u) row += n * counts[u];
    return row;
  }
  int NeighbourRow(int t, int j, int m) const { return FirstRow(t) + counts[t] * j + m; }
  int Kind(int t) const {
    int kind = 0;
    for (int u = 0; u < t; ++u) kind += counts[u] > 0 ? 1 : 0;
    return kind;
  }
  int CentralEntry(int j, int t, int m) const {
    int entry = S() * j;
    for (int u = 0; u < t; ++u) entry += counts[u];
    return entry + m;
  }
  int NeighbourEntry(int row) const { return S() * n + (row - n); }

  std::string DatFile() const {
    std::ostringstream dat;
    dat.precision(17);
    dat << n << " ! molecules\n" << types() << " ! types\n" << central + 1 << " ! central\n";
    for (const int c : counts) dat << ' ' << c;
    dat << " ! neighbours\n";
    for (const double r : inner) dat << ' ' << r;
    dat << " ! inner\n";
    for (const double r : outer) dat << ' ' << r;
    dat << " ! outer\n";
    return dat.str();
  }
};

// The input configuration, the grown configuration and the constraint set of
// one placement, built in the order of a mode-1 run.
struct Grown {
  std::unique_ptr<SimpleCfg> input;
  std::unique_ptr<SimpleCfg> output;
  std::unique_ptr<FNC> fnc;
  std::vector<double> input_coords;
};

// `input_counts`: atoms per type of the input configuration.
Grown Place(const Model& model, const std::vector<int>& input_counts, double box,
            std::int32_t seed) {
  Grown g;
  SimpleCfg::ntypes = static_cast<int>(input_counts.size());
  SimpleCfg::ni = input_counts;
  SimpleCfg::typestart = {0};
  for (const int c : input_counts) SimpleCfg::typestart.push_back(SimpleCfg::typestart.back() + c);
  SimpleCfg::natoms = SimpleCfg::typestart.back();
  SimpleCfg::boxlength = box;
  g.input = std::make_unique<SimpleCfg>();
  for (int i = 0; i < 3 * SimpleCfg::natoms; ++i) {
    g.input_coords.push_back(0.5 + 0.4 * std::sin(0.91 * i + 0.2));
    g.input->coords[i] = g.input_coords.back();
  }
  std::istringstream dat(model.DatFile());
  EXPECT_EQ(SimpleCfg::GetFNCParameters(dat), 1);
  g.output = std::make_unique<SimpleCfg>();
  g.fnc = std::make_unique<FNC>();
  g.output->ArrangeNeighbours(*g.fnc, *g.input, seed);
  return g;
}

double Distance(const double* a, const double* b) {
  const double dx = a[0] - b[0];
  const double dy = a[1] - b[1];
  const double dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Every row, entry and atom of the grown configuration as the model says,
// and every neighbour inside its shell.
void CheckLayout(const Model& model, const Grown& g, double box) {
  const int n = model.n;
  const int atoms = model.Atoms();
  const FNC& fnc = *g.fnc;
  ASSERT_EQ(FNC::natoms, atoms);
  ASSERT_EQ(g.output->size(), atoms);
  ASSERT_EQ(static_cast<int>(fnc.centralindex.size()), atoms);
  ASSERT_EQ(static_cast<int>(FNC::ncoord.size()), atoms);
  ASSERT_EQ(static_cast<int>(fnc.neighbours.size()), 2 * n * model.S());
  ASSERT_EQ(static_cast<int>(fnc.constrainttype.size()), 2 * n * model.S());

  ASSERT_EQ(static_cast<int>(fnc.rowstart.size()), model.types() + 1);
  EXPECT_EQ(fnc.rowstart[0], 0);
  for (int t = 0; t < model.types(); ++t) EXPECT_EQ(fnc.rowstart[t + 1], model.FirstRow(t)) << t;
  EXPECT_EQ(fnc.liststart, std::vector<int>(static_cast<std::size_t>(atoms), 1));

  std::vector<int> atom_seen(static_cast<std::size_t>(atoms), 0);
  for (int j = 0; j < n; ++j) {
    EXPECT_EQ(fnc.centralindex[j], model.CentralAtom(j)) << "row " << j;
    EXPECT_EQ(FNC::ncoord[j], model.S()) << "row " << j;
    ++atom_seen[model.CentralAtom(j)];
    const double* centre = &g.output->coords[3 * model.CentralAtom(j)];
    for (int k = 0; k < 3; ++k) EXPECT_EQ(centre[k], g.input_coords[3 * j + k]) << j;
    for (int t = 0; t < model.types(); ++t) {
      const double low = model.inner[t] / box;
      const double high = (model.inner[t] + 0.99999988 * (model.outer[t] - model.inner[t])) / box;
      for (int m = 0; m < model.counts[t]; ++m) {
        const int atom = model.NeighbourAtom(t, j, m);
        const int row = model.NeighbourRow(t, j, m);
        const int entry = model.CentralEntry(j, t, m);
        EXPECT_EQ(fnc.neighbours[entry], atom) << "central row " << j << " type " << t;
        EXPECT_EQ(fnc.constrainttype[entry], model.Kind(t)) << "central row " << j;
        EXPECT_EQ(fnc.centralindex[row], atom) << "row " << row;
        EXPECT_EQ(FNC::ncoord[row], 1) << "row " << row;
        EXPECT_EQ(fnc.neighbours[model.NeighbourEntry(row)], model.CentralAtom(j)) << row;
        EXPECT_EQ(fnc.constrainttype[model.NeighbourEntry(row)], model.Kind(t)) << row;
        ++atom_seen[atom];
        const double r = Distance(&g.output->coords[3 * atom], centre);
        EXPECT_GT(r, low - 1e-13) << "atom " << atom;
        EXPECT_LE(r, high + 1e-13) << "atom " << atom;
      }
    }
  }
  // Every atom has exactly one row.
  EXPECT_EQ(atom_seen, std::vector<int>(static_cast<std::size_t>(atoms), 1));
}

TEST(Placement, HelpTextExampleLayout) {
  ConsoleCapture console;
  Model model{50, 0, {0, 12}, {0, 35}, {0, 123}};
  const double box = 1000;
  const Grown g = Place(model, {60}, box, -4711);
  CheckLayout(model, g, box);
  // Rows 0 to N-1 are the central atoms, the 12 N following rows the second
  // type's atoms, row numbers equal atom numbers and every kind is 0.
  for (int row = 0; row < model.Atoms(); ++row) EXPECT_EQ(g.fnc->centralindex[row], row);
  for (const int kind : g.fnc->constrainttype) EXPECT_EQ(kind, 0);
  EXPECT_EQ(g.fnc->neighbours[0], 50);
  EXPECT_EQ(g.fnc->neighbours[11], 61);
  EXPECT_EQ(g.fnc->neighbours[12], 62);
  EXPECT_EQ(g.fnc->neighbours[12 * 50], 0);
  EXPECT_EQ(g.fnc->neighbours[12 * 50 + 12], 1);
  EXPECT_EQ(console.err(), "");
}

TEST(Placement, CentralTypeAfterANeighbourType) {
  // Counts 12 and 0, central type 2 in the file: the central rows still come
  // first but their atoms follow the 12 N neighbours.
  ConsoleCapture console;
  const int n = 7;
  Model model{n, 1, {12, 0}, {2, 0}, {3, 0}};
  const double box = 20;
  const Grown g = Place(model, {4, 5}, box, -99);
  CheckLayout(model, g, box);
  for (int j = 0; j < n; ++j) EXPECT_EQ(g.fnc->centralindex[j], 12 * n + j);
  for (int row = n; row < 13 * n; ++row) EXPECT_EQ(g.fnc->centralindex[row], row - n);
  EXPECT_EQ(g.fnc->rowstart, (std::vector<int>{0, n, 13 * n}));
}

TEST(Placement, NeighboursOfTheCentralTypeFollowTheCentralAtoms) {
  ConsoleCapture console;
  const int n = 5;
  Model model{n, 0, {3, 2}, {1, 4}, {2, 6}};
  const double box = 10;
  const Grown g = Place(model, {5}, box, -1234);
  CheckLayout(model, g, box);
  // Type 1's block: central atoms 0..4, then three neighbours per centre.
  EXPECT_EQ(g.fnc->neighbours[0], n);
  EXPECT_EQ(g.fnc->neighbours[2], n + 2);
  EXPECT_EQ(g.fnc->neighbours[3], 4 * n);
  EXPECT_EQ(g.fnc->neighbours[5], n + 3);
  EXPECT_EQ(g.fnc->constrainttype[2], 0);
  EXPECT_EQ(g.fnc->constrainttype[3], 1);
}

TEST(Placement, ThreeTypesWithKindsZeroAndOne) {
  ConsoleCapture console;
  const int n = 4;
  Model model{n, 0, {0, 2, 3}, {0, 1.5, 3}, {0, 2.5, 3.5}};
  const double box = 7.5;
  const Grown g = Place(model, {6}, box, -77);
  CheckLayout(model, g, box);
  EXPECT_EQ(g.fnc->rowstart, (std::vector<int>{0, n, n, n + 2 * n}));
  EXPECT_EQ(model.Kind(1), 0);
  EXPECT_EQ(model.Kind(2), 1);
  EXPECT_EQ(FNC::rmin, (std::vector<double>{1.5, 3}));
}

TEST(Placement, TypeWithoutNeighboursIsNotCounted) {
  ConsoleCapture console;
  Model model{3, 1, {2, 0, 0, 1}, {1, 0, 0, 2}, {2, 0, 0, 3}};
  const double box = 9;
  const Grown g = Place(model, {3}, box, -5);
  CheckLayout(model, g, box);
  EXPECT_EQ(model.Kind(3), 1);
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(g.fnc->constrainttype[3 * j], 0);
    EXPECT_EQ(g.fnc->constrainttype[3 * j + 2], 1);
  }
}

TEST(Placement, NoNeighboursMeansNoDraws) {
  ConsoleCapture console;
  // A sequence in progress continues undisturbed: a draw with the
  // placement's seed would have restarted the shared table.
  std::int32_t sequence = -31;
  RandomUniform(sequence);
  Model model{3, 1, {0, 0}, {1, 1}, {2, 2}};
  const double box = 4;
  const Grown g = Place(model, {2, 3}, box, -8);
  const double next = RandomUniform(sequence);
  std::int32_t fresh = -31;
  RandomUniform(fresh);
  EXPECT_EQ(next, RandomUniform(fresh));

  CheckLayout(model, g, box);
  EXPECT_EQ(g.output->size(), 3);
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(g.fnc->centralindex[j], j);
    EXPECT_EQ(FNC::ncoord[j], 0);
  }
}

TEST(Placement, EqualRadiiGiveTheExactDistance) {
  ConsoleCapture console;
  const int n = 6;
  Model model{n, 0, {0, 8}, {0, 3.25}, {0, 3.25}};
  const double box = 13;
  const Grown g = Place(model, {n}, box, -2024);
  CheckLayout(model, g, box);
  for (int j = 0; j < n; ++j) {
    for (int m = 0; m < 8; ++m) {
      const double r = Distance(&g.output->coords[3 * model.NeighbourAtom(1, j, m)],
                                &g.output->coords[3 * model.CentralAtom(j)]);
      EXPECT_NEAR(r, 0.25, 1e-15);
    }
  }
}

// The positions recomputed from the generator's sequence with the formula
// as written: three draws per neighbour, central atom, then type, then
// neighbour.
std::vector<double> Recompute(const Model& model, const std::vector<double>& input, double box,
                              std::int32_t seed) {
  std::vector<double> expected(3 * static_cast<std::size_t>(model.Atoms()), 0.0);
  for (int j = 0; j < model.n; ++j) {
    const double x = input[3 * j];
    const double y = input[3 * j + 1];
    const double z = input[3 * j + 2];
    for (int k = 0; k < 3; ++k) expected[3 * model.CentralAtom(j) + k] = input[3 * j + k];
    for (int t = 0; t < model.types(); ++t) {
      for (int m = 0; m < model.counts[t]; ++m) {
        const double u1 = RandomUniform(seed);
        const double u2 = RandomUniform(seed);
        const double u3 = RandomUniform(seed);
        const double r = (model.inner[t] + u1 * (model.outer[t] - model.inner[t])) / box;
        const double theta = 3.14159265359 * u2;
        const double phi = 6.28318530718 * u3;
        const int atom = model.NeighbourAtom(t, j, m);
        expected[3 * atom] = x + r * std::sin(theta) * std::cos(phi);
        expected[3 * atom + 1] = y + r * std::sin(theta) * std::sin(phi);
        expected[3 * atom + 2] = z + r * std::cos(theta);
      }
    }
  }
  return expected;
}

TEST(Placement, PositionsFollowTheDrawOrder) {
  const Model models[] = {
      {9, 0, {0, 12}, {0, 35}, {0, 123}},
      {4, 1, {3, 2, 0}, {0.5, 1, 9}, {1.5, 2.75, 9}},
      {5, 2, {1, 0, 2, 3}, {1, 0, 2, 0.5}, {1.25, 0, 4, 0.75}},
  };
  for (const std::int32_t seed : {-1, -123456789, -1767225600}) {
    for (const auto& model : models) {
      ConsoleCapture console;
      const double box = 31.5;
      const Grown g = Place(model, {model.n + 2}, box, seed);
      const auto expected = Recompute(model, g.input_coords, box, seed);
      ASSERT_EQ(static_cast<int>(expected.size()), 3 * g.output->size());
      for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(g.output->coords[i], expected[i]) << "seed " << seed << " value " << i;
      }
    }
  }
}

TEST(Placement, SameSeedSameCoordinates) {
  ConsoleCapture console;
  Model model{6, 0, {2, 3}, {1, 2}, {1.5, 4}};
  const double box = 12;
  const Grown first = Place(model, {8}, box, -555);
  const std::vector<double> kept(first.output->coords.get(),
                                 first.output->coords.get() + 3 * first.output->size());
  SimpleCfg again;
  again.ArrangeNeighbours(*first.fnc, *first.input, -555);
  const std::vector<double> repeated(again.coords.get(), again.coords.get() + 3 * again.size());
  EXPECT_EQ(kept, repeated);
  // A different seed moves the neighbours but not the central atoms.
  SimpleCfg other;
  other.ArrangeNeighbours(*first.fnc, *first.input, -556);
  for (int i = 0; i < 3 * 6; ++i) EXPECT_EQ(other.coords[i], kept[i]);
  EXPECT_NE(other.coords[3 * 6], kept[3 * 6]);
}

TEST(Placement, CentralAtomsAreTheFirstInputAtomsWhateverTheirType) {
  ConsoleCapture console;
  Model model{5, 1, {1, 0}, {1, 0}, {2, 0}};
  const double box = 3;
  // Three atoms of one input type and four of another: the first five are used.
  const Grown g = Place(model, {3, 4}, box, -6);
  CheckLayout(model, g, box);
  for (int j = 0; j < 5; ++j) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(g.output->coords[3 * (5 + j) + k], g.input_coords[3 * j + k]);
    }
  }
}

}  // namespace
