// Mode 1 through the real program against a model of the shell placement: the
// numbering of atoms and rows, the windows, and every coordinate recomputed
// from the seed the frozen clock gives, compared with the files byte for byte.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "shell/portable_trig.hpp"
#include "support/models.hpp"

namespace {

namespace fs = std::filesystem;

struct Shells {
  int n;        // central atoms asked for
  int central;  // 1-based
  std::vector<int> counts;
  std::vector<double> inner, outer;
};

// The expected .cfg and .fnc of a run on `centres` (box units) with seed
// `seed`: central atoms first in their type's block, then the neighbours by
// centre; rows: the centres, then the neighbours by type and centre.
std::pair<std::string, std::string> Expected(const Shells& s, int available, double box,
                                             const std::vector<double>& centres, std::int32_t seed) {
  const int n = std::min(s.n, available);
  const int types = static_cast<int>(s.counts.size());
  const int ct = s.central - 1;
  std::vector<int> ni(types), start(types + 1, 0), kind(types), first_row(types + 1, n);
  for (int t = 0, kinds = 0; t < types; ++t) {
    ni[t] = n * s.counts[t] + (t == ct ? n : 0);
    start[t + 1] = start[t] + ni[t];
    kind[t] = kinds + 1;
    kinds += s.counts[t] > 0;
    first_row[t + 1] = first_row[t] + n * s.counts[t];
  }
  std::vector<double> coords(3 * static_cast<std::size_t>(start[types]));
  std::vector<models::Row> rows(static_cast<std::size_t>(start[types]));
  std::vector<double> rmin, rmax;
  for (int t = 0; t < types; ++t) {
    if (s.counts[t] > 0) rmin.push_back(s.inner[t]), rmax.push_back(s.outer[t]);
  }
  models::Uniform uniform;
  for (int j = 0; j < n; ++j) {
    const int centre = start[ct] + j;
    std::copy_n(&centres[3 * j], 3, &coords[3 * centre]);
    rows[j].atom = centre + 1;
    for (int t = 0; t < types; ++t) {
      for (int m = 0; m < s.counts[t]; ++m) {
        const double u1 = uniform.Next(seed), u2 = uniform.Next(seed), u3 = uniform.Next(seed);
        const double r = (s.inner[t] + u1 * (s.outer[t] - s.inner[t])) / box;
        double st = 0, ct_ = 0, sp = 0, cp = 0;
        PortableSinCos(3.14159265359 * u2, st, ct_);
        PortableSinCos(6.28318530718 * u3, sp, cp);
        const int atom = start[t] + (t == ct ? n : 0) + s.counts[t] * j + m;
        coords[3 * atom] = centres[3 * j] + r * st * cp;
        coords[3 * atom + 1] = centres[3 * j + 1] + r * st * sp;
        coords[3 * atom + 2] = centres[3 * j + 2] + r * ct_;
        rows[j].neighbours.emplace_back(atom + 1, kind[t]);
        rows[first_row[t] + s.counts[t] * j + m] = {atom + 1, {{centre + 1, kind[t]}}};
      }
    }
  }
  return {models::CfgText("FNC configuration", ni, box, coords), models::FncText(rmin, rmax, 15, rows)};
}

void ExpectRun(const Shells& s, int available, const std::string& clock, std::int32_t seed) {
  const fs::path dir = fs::path(testing::TempDir()) /
                       testing::UnitTest::GetInstance()->current_test_info()->name();
  fs::create_directories(dir);
  const double box = 17.5;
  std::mt19937 random(static_cast<unsigned>(available));
  std::vector<double> centres;
  // Multiples of 2^-10: the file holds them exactly.
  for (int i = 0; i < 3 * available; ++i) centres.push_back(static_cast<double>(random() % 2048) / 1024 - 0.5);
  std::ofstream(dir / "s.incfg") << models::CfgText("centres", {available}, box, centres);
  std::string dat = std::to_string(s.n) + " ! N\n" + std::to_string(s.counts.size()) + "\n" +
                    std::to_string(s.central) + "\n";
  for (const auto* list : {&s.counts}) {
    for (const int c : *list) dat += std::to_string(c) + " ";
  }
  dat += "\n";
  for (const auto* list : {&s.inner, &s.outer}) {
    for (const double r : *list) dat += models::Format("%.17g ", r);
    dat += "\n";
  }
  std::ofstream(dir / "s.dat") << dat;
  const auto run = models::RunProgram(dir, "", "1\ns\n", clock);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const auto [cfg, fnc] = Expected(s, available, box, centres, seed);
  EXPECT_EQ(models::ReadFile(dir / "s.cfg"), cfg);
  EXPECT_EQ(models::ReadFile(dir / "s.fnc"), fnc);
  fs::remove_all(dir);
}

TEST(Mode1Model, CentralTypeFirst) {
  ExpectRun({40, 1, {0, 3}, {0, 1.0}, {0, 1.5}}, 40, "2023-11-14 22:13:20", -1700000000);
}

TEST(Mode1Model, CentralTypeLastWithNeighboursBeforeIt) {
  ExpectRun({25, 2, {2, 0}, {0.5, 0}, {0.75, 0}}, 30, "2001-09-09 01:46:40", -1000000000);
}

TEST(Mode1Model, NeighboursOfTheCentralTypeAndAReset) {
  ExpectRun({50, 2, {1, 2, 3}, {1, 0.2, 2.5}, {1, 0.4, 2.0}}, 20, "2030-01-01 00:00:00", -1893456000);
}

TEST(Mode1Model, SeedAfter2038IsTheClockModulo2To31) {
  // 2039-01-01 00:00:00 is 2177452800 seconds, 29969152 past 2^31.
  ExpectRun({10, 1, {0, 4}, {0, 1.0}, {0, 2.0}}, 10, "2039-01-01 00:00:00", -29969152);
}

}  // namespace
