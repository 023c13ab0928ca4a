// Random shell placement: the row and atom numbering of the grown
// configuration and its constraint set against the numbering model, every
// neighbour's distance from its centre, and the exact positions for the seed.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <sstream>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "shell/random_uniform.hpp"
#include "support/console_capture.hpp"
#include "support/models.hpp"

namespace {

using testing_support::ConsoleCapture;
using testing_support::ShellModel;

// The input configuration, the grown configuration and the constraint set of
// one placement, built in the order of a mode-1 run.
struct Grown {
  std::unique_ptr<SimpleCfg> input, output;
  std::unique_ptr<FNC> fnc;
  std::vector<double> input_coords;
};

// `input_counts`: atoms per type of the input configuration.
Grown Place(const ShellModel& model, const std::vector<int>& input_counts, double box,
            std::int32_t seed) {
  Grown g;
  testing_support::SetCfgLayout(input_counts, box);
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
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

// Every row, entry and atom as the model numbers them, every neighbour inside
// its shell, and every coordinate as recomputed from the generator's draws.
void CheckPlacement(const ShellModel& model, const Grown& g, double box, std::int32_t seed) {
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
        EXPECT_GT(r, low - 1e-15) << "atom " << atom;
        EXPECT_LE(r, high + 1e-15) << "atom " << atom;
      }
    }
  }
  // Every atom has exactly one row.
  EXPECT_EQ(atom_seen, std::vector<int>(static_cast<std::size_t>(atoms), 1));
  // The central atoms are the first input atoms, whatever their type, and
  // every neighbour lies where the draws in order put it.
  const auto expected = model.Positions(g.input_coords, box, seed);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(g.output->coords[i], expected[i]) << "value " << i;
  }
}

// One placement checked in full, then against what was worked out by hand:
// the first row of each type's neighbours, and some entries as (entry,
// neighbour atom, kind), all 0-based.
void CheckCase(const char* what, const ShellModel& model, const std::vector<int>& input_counts,
               double box, std::int32_t seed, const std::vector<int>& rowstart,
               const std::vector<std::array<int, 3>>& entries) {
  SCOPED_TRACE(what);
  ConsoleCapture console;
  const Grown g = Place(model, input_counts, box, seed);
  CheckPlacement(model, g, box, seed);
  EXPECT_EQ(g.fnc->rowstart, rowstart);
  for (const auto& [entry, atom, kind] : entries) {
    EXPECT_EQ(g.fnc->neighbours[entry], atom) << "entry " << entry;
    EXPECT_EQ(g.fnc->constrainttype[entry], kind) << "entry " << entry;
  }
  EXPECT_EQ(console.err(), "");
}

TEST(Placement, NumberingShellsAndPositions) {
  // Rows and atoms coincide: the central atoms, then 12 N neighbours.
  CheckCase("help text example", {50, 0, {0, 12}, {0, 35}, {0, 123}}, {60}, 1000, -4711,
            {0, 50, 50}, {{0, 50, 0}, {11, 61, 0}, {12, 62, 0}, {600, 0, 0}, {612, 1, 0}});
  // Central type 2: the central rows still come first, but their atoms
  // follow the 12 N neighbours; the central atoms span two input types.
  CheckCase("central type after a neighbour type", {7, 1, {12, 0}, {2, 0}, {3, 0}}, {4, 5}, 20, -99,
            {0, 7, 91}, {{0, 0, 0}, {11, 11, 0}, {12, 12, 0}, {84, 84, 0}, {167, 90, 0}});
  // The central type's block: central atoms 0..4, then three per centre.
  CheckCase("neighbours of the central type", {5, 0, {3, 2}, {1, 4}, {2, 6}}, {5}, 10, -1234,
            {0, 5, 20}, {{0, 5, 0}, {2, 7, 0}, {3, 20, 1}, {5, 8, 0}});
  CheckCase("three types, kinds 0 and 1", {4, 0, {0, 2, 3}, {0, 1.5, 3}, {0, 2.5, 3.5}}, {6}, 7.5,
            -77, {0, 4, 4, 12}, {{0, 4, 0}, {2, 12, 1}});
  // A type without neighbours is not counted as a kind.
  CheckCase("type without neighbours", {3, 1, {2, 0, 0, 1}, {1, 0, 0, 2}, {2, 0, 0, 3}}, {3}, 9, -5,
            {0, 3, 9, 9, 9}, {{0, 0, 0}, {2, 9, 1}, {5, 10, 1}, {8, 11, 1}});
  CheckCase("no neighbours", {3, 1, {0, 0}, {1, 1}, {2, 2}}, {2, 3}, 4, -8, {0, 3, 3}, {});
  // Equal radii: every neighbour exactly 0.25 box lengths from its centre.
  CheckCase("equal radii", {6, 0, {0, 8}, {0, 3.25}, {0, 3.25}}, {6}, 13, -2024, {0, 6, 6}, {});
  CheckCase("first input atoms of two types", {5, 1, {1, 0}, {1, 0}, {2, 0}}, {3, 4}, 3, -6,
            {0, 5, 10}, {{0, 0, 0}, {5, 5, 0}});
  CheckCase("nine centres", {9, 0, {0, 12}, {0, 35}, {0, 123}}, {11}, 31.5, -1, {0, 9, 9}, {});
  CheckCase("three types, central type 2", {4, 1, {3, 2, 0}, {0.5, 1, 9}, {1.5, 2.75, 9}}, {6},
            31.5, -123456789, {0, 4, 16, 24}, {});
  CheckCase("four types", {5, 2, {1, 0, 2, 3}, {1, 0, 2, 0.5}, {1.25, 0, 4, 0.75}}, {7}, 31.5,
            -1767225600, {0, 5, 10, 10, 20}, {});
}

TEST(Placement, LargeRunsSplitBetweenThreadsGiveTheSamePositions) {
  // Many neighbours: positions, rows and entries are those of the draws in
  // order.
  CheckCase("5000 centres, 12 neighbours", {5000, 0, {0, 12}, {0, 2.5}, {0, 3}}, {5000}, 120, -17,
            {0, 5000, 5000}, {{0, 5000, 0}, {59999, 64999, 0}});
  CheckCase("4999 centres, two kinds", {4999, 1, {3, 8}, {1, 2}, {1.5, 4.5}}, {2, 4997}, 60,
            -1767225600, {0, 4999, 19996}, {});
}

TEST(Placement, SharedSequenceContinuesAfterASplitRun) {
  ConsoleCapture console;
  // The draws of 5000 centres with 11 neighbours each, in order: the seed
  // word they end with, and the number after them.
  std::int32_t word = -2026;
  for (int i = 0; i < 3 * 5000 * 11; ++i) RandomUniform(word);
  const std::int32_t after_run = word;
  const double next = RandomUniform(word);
  // The placement makes the same draws and leaves the shared table where
  // they end, so the sequence goes on with the same number.
  Place({5000, 0, {0, 11}, {0, 1}, {0, 2}}, {5000}, 50, -2026);
  std::int32_t resume = after_run;
  EXPECT_EQ(RandomUniform(resume), next);
}

TEST(Placement, NoNeighboursMeansNoDraws) {
  ConsoleCapture console;
  // A sequence in progress continues undisturbed: a draw with the
  // placement's seed would have restarted the shared table.
  std::int32_t sequence = -31;
  RandomUniform(sequence);
  Place({3, 1, {0, 0}, {1, 1}, {2, 2}}, {2, 3}, 4, -8);
  const double next = RandomUniform(sequence);
  std::int32_t fresh = -31;
  RandomUniform(fresh);
  EXPECT_EQ(next, RandomUniform(fresh));
}

TEST(Placement, SameSeedSameCoordinates) {
  ConsoleCapture console;
  const Grown first = Place({6, 0, {2, 3}, {1, 2}, {1.5, 4}}, {8}, 12, -555);
  const std::vector<double> kept(first.output->coords.get(),
                                 first.output->coords.get() + 3 * first.output->size());
  SimpleCfg again;
  again.ArrangeNeighbours(*first.fnc, *first.input, -555);
  EXPECT_EQ(kept, std::vector<double>(again.coords.get(), again.coords.get() + 3 * again.size()));
  // A different seed moves the neighbours but not the central atoms.
  SimpleCfg other;
  other.ArrangeNeighbours(*first.fnc, *first.input, -556);
  for (int i = 0; i < 3 * 6; ++i) EXPECT_EQ(other.coords[i], kept[i]);
  EXPECT_NE(other.coords[3 * 6], kept[3 * 6]);
}

}  // namespace
