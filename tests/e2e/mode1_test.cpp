// Mode 1 through the real binary: central atoms from the .incfg file, shells
// from the .dat file, and the grown .cfg and .fnc files checked line by line
// against the numbering model, the shell windows and the positions
// recomputed for the seed that the clock gave; also the shipped shell example
// at its full size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/formats.hpp"
#include "support/models.hpp"
#include "support/run_binary.hpp"
#include "support/text.hpp"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

const fs::path kExamples = fs::path(FNCPREP_SOURCE_DIR) / "examples";
const std::string kStemPrompt =
    "Choose from the options (1,2)\nThe name of the files without extension:";

// `count` central atoms spread over the unit cell, reproducibly, in a version
// 3 file with these atoms per type.
std::string IncfgText(const std::vector<int>& ni, double box) {
  const int count = std::accumulate(ni.begin(), ni.end(), 0);
  std::string text = V3Header("central atoms", count, ni, box);
  for (int i = 0; i < count; ++i) {
    const double p[3] = {std::fmod(0.1 + i * 0.6180339887498949, 1.0),
                         std::fmod(0.2 + i * 0.7548776662466927, 1.0),
                         std::fmod(0.3 + i * 0.5698402909980532, 1.0)};
    text += CoordinateLine(p);
  }
  return text;
}

struct Mode1Run {
  RunResult run;
  std::string cfg, fnc;
  std::vector<double> input;           // the input's coordinates as its file gives them
  std::int64_t before = 0, after = 0;  // the clock around the run
};

// Runs mode 1 on `stem`.incfg (of `input_types` types) and `stem`.dat in `dir`.
Mode1Run RunMode1(const fs::path& dir, const std::string& stem, std::size_t input_types,
                  const std::map<std::string, std::string>& env = {}) {
  Mode1Run r;
  const auto incfg = SplitLines(ReadFileBytes(dir / (stem + ".incfg")));
  for (std::size_t i = 18 + 4 * input_types; i < incfg.size(); ++i) {
    std::istringstream line(incfg[i]);
    for (double v = 0; line >> v;) r.input.push_back(v);
  }
  r.before = std::time(nullptr);
  r.run = RunIn(dir, FNCPREP_BINARY, "1\n" + stem + "\ny\n", env);
  r.after = std::time(nullptr);
  r.cfg = ReadFileBytes(dir / (stem + ".cfg"));
  r.fnc = ReadFileBytes(dir / (stem + ".fnc"));
  return r;
}

// The whole .cfg file the model gives for this seed.
std::string ExpectedCfg(const ShellModel& s, double box, const std::vector<double>& input,
                        std::int32_t seed) {
  std::string text = V3Header("FNC configuration", s.Atoms(), s.Ni(), box);
  const auto atoms = s.Positions(input, box, seed);
  for (std::size_t i = 0; i < atoms.size(); i += 3) text += CoordinateLine(&atoms[i]);
  return text;
}

// Checks the console and both files against the model and the shell
// windows; returns the coordinates of the grown configuration.
std::vector<double> CheckRun(const ShellModel& s, double box, const std::string& rmin_line,
                             const std::string& rmax_line, const std::string& messages,
                             const Mode1Run& r) {
  EXPECT_EQ(r.run.status, 0);
  EXPECT_EQ(r.run.err, "");
  EXPECT_EQ(r.run.out.rfind("This program creates a 'filename'.fnc and a 'filename'.cfg file for "
                            "varnel++.\n",
                            0),
            0u);
  const auto prompt = r.run.out.find(kStemPrompt);
  EXPECT_EQ(prompt == std::string::npos ? "<no stem prompt>"
                                        : r.run.out.substr(prompt + kStemPrompt.size()),
            messages + "FNC object is created\n" + kRunEnd);

  // The .cfg file: the grown layout's header, then each atom with fifteen
  // decimals, the central atoms copied from the input.
  const std::string header = V3Header("FNC configuration", s.Atoms(), s.Ni(), box);
  EXPECT_EQ(r.cfg.substr(0, header.size()), header);
  const auto lines = SplitLines(r.cfg.substr(std::min(header.size(), r.cfg.size())));
  if (static_cast<int>(lines.size()) != s.Atoms() || r.cfg.empty() || r.cfg.back() != '\n') {
    ADD_FAILURE() << "the .cfg file has " << lines.size() << " atom lines, not " << s.Atoms();
    return {};
  }
  std::vector<double> coords;
  for (const auto& line : lines) {
    double p[3] = {};
    std::istringstream(line) >> p[0] >> p[1] >> p[2];
    EXPECT_EQ(line + "\n", CoordinateLine(p));
    coords.insert(coords.end(), p, p + 3);
  }
  for (int j = 0; j < s.n; ++j) {
    EXPECT_EQ(lines[s.CentralAtom(j)] + "\n", CoordinateLine(&r.input[3 * j])) << "centre " << j;
  }

  // The .fnc file, row by row as the model numbers them.
  std::string fnc =
      "This is a .fnc file created by FNC::rawsave \n\n No. of possible rmin-rmax pairs: \n" +
      Printf("%7d\n", s.Kinds()) + rmin_line + "\n" + rmax_line + "\n \n" +
      Printf("%7d\n \n", s.Atoms());
  std::vector<std::string> rows(static_cast<std::size_t>(s.Atoms()));
  for (int j = 0; j < s.n; ++j) {
    std::string list, kinds;
    for (int t = 0; t < s.types(); ++t) {
      for (int m = 0; m < s.counts[t]; ++m) {
        const int atom = s.NeighbourAtom(t, j, m) + 1;
        list += Printf("%10d", atom);
        kinds += Printf("%4d", s.Kind(t) + 1);
        rows[s.NeighbourRow(t, j, m)] =
            Printf("%10d%10d\n%10d\n%4d\n", atom, 1, s.CentralAtom(j) + 1, s.Kind(t) + 1);
      }
    }
    rows[j] = Printf("%10d%10d\n", s.CentralAtom(j) + 1, s.S()) + list + "\n" + kinds + "\n";
  }
  for (const auto& row : rows) fnc += row;
  EXPECT_EQ(FirstDifference(fnc, r.fnc), "");

  // Independently of the numbering: every pair stands in both its rows, and
  // every neighbour lies in its shell around its centre.
  std::string error;
  const auto parsed = ParseFnc(r.fnc, error);
  EXPECT_TRUE(parsed.has_value()) << error;
  std::set<std::pair<long, long>> pairs;
  for (const auto& row : parsed ? parsed->rows : std::vector<FncRow>{}) {
    for (const auto& entry : row.entries) pairs.emplace(row.atom, entry.first);
  }
  for (const auto& [a, b] : pairs) EXPECT_EQ(pairs.count({b, a}), 1u) << a << "-" << b;
  for (int j = 0; j < s.n; ++j) {
    const double* centre = &coords[3 * s.CentralAtom(j)];
    for (int t = 0; t < s.types(); ++t) {
      const double low = s.inner[t] / box;
      const double high = (s.inner[t] + 0.99999988 * (s.outer[t] - s.inner[t])) / box;
      for (int m = 0; m < s.counts[t]; ++m) {
        const double* p = &coords[3 * s.NeighbourAtom(t, j, m)];
        const double d = std::hypot(p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]);
        EXPECT_GT(d, low - 1e-12) << "centre " << j << " type " << t << " neighbour " << m;
        EXPECT_LE(d, high + 1e-12) << "centre " << j << " type " << t << " neighbour " << m;
      }
    }
  }
  return coords;
}

// Runs mode 1 on `dat` around central atoms of these types (N after any
// reset in `shells`), checks the run, and finds the clock's second among
// those of the run that reproduces the .cfg file: the seed is minus it.
void CheckClockedRun(const char* what, const ShellModel& shells, const std::string& dat,
                     const std::vector<int>& input_ni, double box, const std::string& rmin_line,
                     const std::string& rmax_line, const std::string& messages = "") {
  SCOPED_TRACE(what);
  TempDir dir;
  WriteFileBytes(dir.path() / "run.incfg", IncfgText(input_ni, box));
  WriteFileBytes(dir.path() / "run.dat", dat);
  const auto r = RunMode1(dir.path(), "run", input_ni.size());
  CheckRun(shells, box, rmin_line, rmax_line, messages, r);
  bool reproduced = false;
  for (std::int64_t second = r.before; second <= r.after && !reproduced; ++second) {
    reproduced = ExpectedCfg(shells, box, r.input, static_cast<std::int32_t>(-second)) == r.cfg;
  }
  EXPECT_TRUE(reproduced) << "no second from " << r.before << " to " << r.after << " fits";
}

TEST(Mode1, GrownFilesMatchTheModelAndTheClocksSeed) {
  // The bounds are written with the fifteen digits the .cfg file left.
  CheckClockedRun("three types",
                  {5, 0, {0, 2, 3}, {0, 1.23456789012345, 2.5}, {0, 3.14159265358979323, 4.75}},
                  "5\n3\n1\n0 2 3\n0 1.23456789012345 2.5\n0 3.14159265358979323 4.75\n", {5}, 10,
                  "1.23456789012345    2.5", "3.14159265358979   4.75");
  // Row j belongs to atom 12 N + j; the input has more atoms, of two types.
  CheckClockedRun("central type after a neighbour type", {10, 1, {12, 0}, {2, 0}, {3, 0}},
                  " 10\n 2\n 2\n 12 0\n 2 0\n 3 0\n", {6, 8}, 20, "      2", "      3");
  CheckClockedRun("neighbours of the central type", {6, 0, {3, 2}, {1, 4}, {2, 6}},
                  "6\n2\n1\n3 2\n1 4\n2 6\n", {6}, 10, "      1      4", "      2      6");
  CheckClockedRun("more molecules than central atoms", {7, 0, {0, 2}, {0, 1}, {0, 2}},
                  "10\n2\n1\n0 2\n0 1\n0 2\n", {7}, 8, "      1", "      2",
                  "The number of central atoms in the input *.cfg is 7 which is less than the "
                  "number of molecules in the *.dat file (10).\nThe number of molecules will be "
                  "reset to 7!\n");
}

TEST(Mode1, FrozenClockGivesReproducibleFiles) {
  const std::string library = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
  if (!fs::exists(library)) GTEST_SKIP() << "libfaketime is not installed";
  // Frozen, not merely started, at this second, so the seed cannot move on.
  const std::map<std::string, std::string> env = {
      {"LD_PRELOAD", library}, {"FAKETIME", "2026-01-01 00:00:00"}, {"TZ", "UTC"}};
  const std::int32_t seconds = 1767225600;  // 2026-01-01 00:00:00 UTC
  const ShellModel shells{6, 1, {2, 3, 1}, {1, 2, 0.25}, {1.5, 4, 0.75}};
  Mode1Run runs[2];
  for (Mode1Run& r : runs) {
    TempDir dir;
    WriteFileBytes(dir.path() / "run.incfg", IncfgText({9}, 12));
    WriteFileBytes(dir.path() / "run.dat", "6\n3\n2\n2 3 1\n1 2 0.25\n1.5 4 0.75\n");
    r = RunMode1(dir.path(), "run", 1, env);
  }
  CheckRun(shells, 12, "      1      2   0.25", "    1.5      4   0.75", "", runs[0]);
  EXPECT_EQ(runs[0].cfg, runs[1].cfg);
  EXPECT_EQ(runs[0].fnc, runs[1].fnc);
  EXPECT_EQ(runs[0].cfg, ExpectedCfg(shells, 12, runs[0].input, -seconds));
}

// The mathematical library chooses its sine and cosine by processor features
// and those code paths differ in the last bit now and then; the grown
// configuration must not. Here the second run is denied the fused
// multiply-add and AVX paths, as on an older processor.
TEST(Mode1, SameSeedSameFileWhateverTheProcessorFeatures) {
  const std::string library = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
  if (!fs::exists(library)) GTEST_SKIP() << "libfaketime is not installed";
  std::map<std::string, std::string> env = {
      {"LD_PRELOAD", library}, {"FAKETIME", "2026-01-01 00:00:00"}, {"TZ", "UTC"}};
  std::string files[2];
  for (std::string& cfg : files) {
    TempDir dir;
    WriteFileBytes(dir.path() / "run.incfg", IncfgText({3000}, 2));
    WriteFileBytes(dir.path() / "run.dat", "3000\n1\n1\n12\n0.2\n1.9\n");
    const Mode1Run run = RunMode1(dir.path(), "run", 1, env);
    ASSERT_EQ(run.run.status, 0) << run.run.out;
    cfg = run.cfg;
    env["GLIBC_TUNABLES"] = "glibc.cpu.hwcaps=-AVX2,-FMA,-AVX512F,-AVX_Usable,-FMA4";
  }
  EXPECT_EQ(std::count(files[0].begin(), files[0].end(), '\n'), 18 + 4 + 3000 * 13);
  EXPECT_TRUE(files[0] == files[1]) << FirstDifference(files[0], files[1]);
}

// The shipped shell example: the help text's parameter file around 8788
// central atoms of a lattice written by the example's generator.
TEST(Mode1, ShellExampleGrowsTwelveNeighboursAroundEveryLatticeAtom) {
  TempDir dir;
  fs::copy_file(kExamples / "shell" / "shell.dat", dir.path() / "shell.dat");
  const std::string generate = "sh '" + (kExamples / "shell" / "make_incfg.sh").string() + "' > '" +
                               (dir.path() / "shell.incfg").string() + "'";
  ASSERT_EQ(std::system(generate.c_str()), 0);
  const std::string incfg = ReadFileBytes(dir.path() / "shell.incfg");
  const auto incfg_lines = SplitLines(incfg);
  ASSERT_EQ(incfg_lines.size(), 22u + 8788u);
  const std::string header = V3Header(incfg_lines[1], 8788, {8788}, 5000);
  EXPECT_EQ(incfg.substr(0, header.size()), header);

  const auto r = RunMode1(dir.path(), "shell", 1);
  // The parameter file is the help text's example, seven lines long.
  const std::string dat = ReadFileBytes(dir.path() / "shell.dat");
  EXPECT_EQ(SplitLines(dat).size(), 7u);
  EXPECT_EQ(dat.rfind(" 8788\t! number of molecules\n", 0), 0u);
  EXPECT_NE(r.run.out.find("\n" + dat), std::string::npos) << "shell.dat is not in the help text";
  // Lattice points in box units, centred on the origin, all distinct.
  ASSERT_EQ(r.input.size(), 3u * 8788u);
  for (const double c : r.input) {
    ASSERT_GE(c, -0.5);
    ASSERT_LT(c, 0.5);
  }
  EXPECT_EQ(std::set<std::string>(incfg_lines.begin() + 22, incfg_lines.end()).size(), 8788u);

  const ShellModel shells{8788, 0, {0, 12}, {0, 35}, {0, 123}};
  const auto coords = CheckRun(shells, 5000, "     35", "    123", "", r);
  // A few lines worked out by hand: the counts, and the first central row
  // with its neighbours 8789 to 8800.
  const auto cfg = SplitLines(r.cfg);
  const auto fnc = SplitLines(r.fnc);
  ASSERT_GE(cfg.size(), 26u);
  ASSERT_GE(fnc.size(), 12u);
  EXPECT_EQ(cfg[7], "     114244 molecules of all types");
  EXPECT_EQ(cfg[22], "     105456 molecules of type  2");
  EXPECT_EQ(fnc[7], " 114244");
  EXPECT_EQ(fnc[9], "         1        12");
  EXPECT_EQ(fnc[10],
            "      8789      8790      8791      8792      8793      8794      8795      8796      "
            "8797      8798      8799      8800");
  EXPECT_EQ(fnc[11], "   1   1   1   1   1   1   1   1   1   1   1   1");

  // The distances are drawn uniformly over the whole shell: among 105456
  // draws some fall within 1 of either radius.
  ASSERT_EQ(coords.size(), 3u * 114244u);
  double nearest = 1e9, farthest = 0;
  for (int j = 0; j < 8788; ++j) {
    for (int m = 0; m < 12; ++m) {
      const double* a = &coords[3 * shells.NeighbourAtom(1, j, m)];
      const double* c = &coords[3 * j];
      const double d = 5000 * std::hypot(a[0] - c[0], a[1] - c[1], a[2] - c[2]);
      nearest = std::min(nearest, d);
      farthest = std::max(farthest, d);
    }
  }
  EXPECT_LT(nearest, 36);
  EXPECT_GT(farthest, 122);
}

}  // namespace
