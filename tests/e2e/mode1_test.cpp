// Mode 1 through the real binary: central atoms from run.incfg, shells from
// run.dat, and the grown run.cfg and run.fnc checked line by line against the
// numbering rules, the shell windows and, where the clock is known, the exact
// positions recomputed here from the generator's definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <numeric>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_binary.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFileBytes;
using testing_support::RunIn;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

using Triple = std::array<double, 3>;

std::string Format(const char* format, double value) {
  char text[512];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Int(const char* format, long long value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// ------------------------------------------------------------ version 3 files

// The header of a version 3 configuration file, line by line as the format
// table gives it.
std::string V3Header(const std::string& title, int natoms, const std::vector<int>& ni, double box) {
  const auto w10 = [](long long v) { return Int("%10lld", v); };
  const auto r10 = [](double v) { return Format("%10.6f", v); };
  const std::string indent(12, ' ');
  std::string text;
  text += " (Version 3 format configuration file) !file created by SimpleCfg::save !\n";
  text += title + "\n\n\n";
  text += " " + w10(0) + w10(0) + w10(0) + " moves generated, tried, accepted \n";
  text += " " + w10(0) + "              configurations saved\n";
  text += " \n";
  text += " " + w10(natoms) + " molecules of all types\n";
  text += " " + w10(static_cast<long long>(ni.size())) + " types of molecules \n";
  text += " " + w10(1) + " is the largest number of atoms in a molecule \n";
  text += " " + w10(0) + " Euler angles are provided \n";
  text += " \n";
  text += " " + std::string(9, ' ') + "F (box is cubic)\t\n";
  text += "            Defining vectors are: \n";
  text += indent + r10(box) + " " + r10(0) + " " + r10(0) + "\n";
  text += indent + r10(0) + " " + r10(box) + " " + r10(0) + "\n";
  text += indent + r10(0) + " " + r10(0) + " " + r10(box) + "\n";
  text += "\n";
  for (std::size_t t = 0; t < ni.size(); ++t) {
    text += " " + w10(ni[t]) + " molecules of type  " + std::to_string(t + 1) + "\n";
    text += " " + w10(1) + " atomic sites \n";
    text += indent + r10(0) + " " + r10(0) + " " + r10(0) + "\n";
    text += " \n";
  }
  return text;
}

std::string CoordinateLine(const Triple& p) {
  return " " + Format("%.15f", p[0]) + "  " + Format("%.15f", p[1]) + "  " + Format("%.15f", p[2]) +
         "\n";
}

// Central atoms spread over the unit cell, reproducible.
std::vector<Triple> CentralAtoms(int count) {
  std::vector<Triple> atoms;
  for (int i = 0; i < count; ++i) {
    atoms.push_back({std::fmod(0.1 + i * 0.6180339887498949, 1.0),
                     std::fmod(0.2 + i * 0.7548776662466927, 1.0),
                     std::fmod(0.3 + i * 0.5698402909980532, 1.0)});
  }
  return atoms;
}

// Coordinates as written to the file, so that the test and the program start
// from the same values.
std::vector<Triple> AsWritten(const std::vector<Triple>& atoms) {
  std::vector<Triple> written;
  for (const auto& p : atoms) {
    written.push_back({std::strtod(Format("%.15f", p[0]).c_str(), nullptr),
                       std::strtod(Format("%.15f", p[1]).c_str(), nullptr),
                       std::strtod(Format("%.15f", p[2]).c_str(), nullptr)});
  }
  return written;
}

std::string IncfgText(const std::vector<int>& ni, double box, const std::vector<Triple>& atoms) {
  std::string text = V3Header("central atoms", static_cast<int>(atoms.size()), ni, box);
  for (const auto& p : atoms) text += CoordinateLine(p);
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// ------------------------------------------------------------ the model

// Shell parameters and the numbering of atoms and rows they imply.
struct Shells {
  int n = 0;        // central atoms after any reset
  int central = 0;  // 0-based
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
  int NeighbourAtom(int t, int j, int m) const {
    return TypeStart(t) + (t == central ? n : 0) + counts[t] * j + m;
  }
  int NeighbourRow(int t, int j, int m) const {
    int row = n;
    for (int u = 0; u < t; ++u) row += n * counts[u];
    return row + counts[t] * j + m;
  }
  int Kind(int t) const {
    int kind = 0;
    for (int u = 0; u < t; ++u) kind += counts[u] > 0 ? 1 : 0;
    return kind;
  }
};

// The generator as defined: Park and Miller's minimal standard generator
// behind a 32-entry Bays-Durham shuffle, clamped below 1.
class Generator {
 public:
  double Next(std::int32_t& seed) {
    if (seed <= 0 || last_ == 0) {
      seed = -seed < 1 ? 1 : -seed;
      for (int i = 0; i < 40; ++i) {
        seed = Step(seed);
        if (i >= 8) table_[39 - i] = seed;
      }
      last_ = table_[0];
    }
    seed = Step(seed);
    const int slot = last_ / 67108864;
    last_ = table_[slot];
    table_[slot] = seed;
    const double u = last_ * (1.0 / 2147483647);
    return u > 0.99999988 ? 0.99999988 : u;
  }

 private:
  static std::int32_t Step(std::int32_t s) {
    const std::int32_t k = s / 127773;
    s = 16807 * (s - 127773 * k) - 2836 * k;
    return s < 0 ? s + 2147483647 : s;
  }
  std::int32_t table_[32] = {};
  std::int32_t last_ = 0;
};

// Every coordinate of the grown configuration for a given seed.
std::vector<Triple> Recompute(const Shells& shells, const std::vector<Triple>& input, double box,
                              std::int32_t seed) {
  Generator random;
  std::vector<Triple> atoms(static_cast<std::size_t>(shells.Atoms()));
  for (int j = 0; j < shells.n; ++j) {
    const Triple& c = input[j];
    atoms[shells.CentralAtom(j)] = c;
    for (int t = 0; t < shells.types(); ++t) {
      for (int m = 0; m < shells.counts[t]; ++m) {
        const double u1 = random.Next(seed);
        const double u2 = random.Next(seed);
        const double u3 = random.Next(seed);
        const double r = (shells.inner[t] + u1 * (shells.outer[t] - shells.inner[t])) / box;
        const double theta = 3.14159265359 * u2;
        const double phi = 6.28318530718 * u3;
        atoms[shells.NeighbourAtom(t, j, m)] = {c[0] + r * std::sin(theta) * std::cos(phi),
                                                c[1] + r * std::sin(theta) * std::sin(phi),
                                                c[2] + r * std::cos(theta)};
      }
    }
  }
  return atoms;
}

std::string ExpectedCfg(const Shells& shells, double box, const std::vector<Triple>& atoms) {
  std::string text = V3Header("FNC configuration", shells.Atoms(), shells.Ni(), box);
  for (const auto& p : atoms) text += CoordinateLine(p);
  return text;
}

// ------------------------------------------------------------ one run

struct Mode1Case {
  Shells shells;
  std::string dat;            // the parameter file
  std::vector<int> input_ni;  // atoms per type of run.incfg
  double box = 0;
  std::string rmin_line, rmax_line;  // lines 5 and 6 of run.fnc
  std::string messages;              // standard output between stem prompt and constructor
  bool incfg_line_end = true;
};

struct Mode1Result {
  testing_support::RunResult run;
  std::string cfg, fnc;
  std::vector<Triple> input;  // central atoms as the program read them
};

Mode1Result RunMode1(const Mode1Case& c, const std::map<std::string, std::string>& env = {}) {
  TempDir dir;
  const int input_atoms = std::accumulate(c.input_ni.begin(), c.input_ni.end(), 0);
  const auto atoms = CentralAtoms(input_atoms);
  std::string incfg = IncfgText(c.input_ni, c.box, atoms);
  if (!c.incfg_line_end) incfg.pop_back();
  WriteFileBytes(dir.path() / "run.incfg", incfg);
  WriteFileBytes(dir.path() / "run.dat", c.dat);
  Mode1Result result;
  result.run = RunIn(dir.path(), FNCPREP_BINARY, "1\nrun\ny\n", env);
  result.cfg = ReadFileBytes(dir.path() / "run.cfg");
  result.fnc = ReadFileBytes(dir.path() / "run.fnc");
  result.input = AsWritten(atoms);
  return result;
}

const std::string kStemPrompt =
    "Choose from the options (1,2)\nThe name of the files without extension:";
const std::string kEnding =
    " QUIT (y)? ->\nFNC destructor\nSimpleCfg destructor\nSimpleCfg destructor\n";

// Standard output after the stem prompt.
std::string AfterPrompt(const std::string& out) {
  const auto at = out.find(kStemPrompt);
  if (at == std::string::npos) return "<no stem prompt>";
  return out.substr(at + kStemPrompt.size());
}

std::vector<double> ParseNumbers(const std::string& line) {
  std::vector<double> values;
  std::istringstream in(line);
  double v = 0;
  while (in >> v) values.push_back(v);
  return values;
}

// Checks both files against the model; returns the parsed coordinates.
std::vector<Triple> CheckFiles(const Mode1Case& c, const Mode1Result& r) {
  const Shells& s = c.shells;
  const int atoms = s.Atoms();
  std::vector<Triple> coords;

  // run.cfg: the header of the grown layout, then one line per atom; the
  // central atoms are the input's first N atoms, unchanged.
  const std::string header = V3Header("FNC configuration", atoms, s.Ni(), c.box);
  EXPECT_EQ(r.cfg.substr(0, header.size()), header);
  const auto cfg_lines = Lines(r.cfg.substr(std::min(header.size(), r.cfg.size())));
  EXPECT_EQ(static_cast<int>(cfg_lines.size()), atoms);
  EXPECT_EQ(r.cfg.back(), '\n');
  if (static_cast<int>(cfg_lines.size()) != atoms) return coords;
  for (const auto& line : cfg_lines) {
    const auto v = ParseNumbers(line);
    EXPECT_EQ(v.size(), 3u) << line;
    coords.push_back({v.size() > 0 ? v[0] : 0, v.size() > 1 ? v[1] : 0, v.size() > 2 ? v[2] : 0});
    // Each value with fifteen decimals, two blanks between them.
    EXPECT_EQ(line + "\n", CoordinateLine(coords.back())) << line;
  }
  for (int j = 0; j < s.n; ++j) {
    EXPECT_EQ(cfg_lines[s.CentralAtom(j)] + "\n", CoordinateLine(r.input[j])) << "centre " << j;
  }

  // run.fnc: windows, atom count, then three lines per row.
  const auto lines = Lines(r.fnc);
  EXPECT_EQ(r.fnc.back(), '\n');
  EXPECT_EQ(static_cast<int>(lines.size()), 9 + 3 * atoms);
  if (static_cast<int>(lines.size()) != 9 + 3 * atoms) return coords;
  int kinds = 0;
  for (const int n : s.counts) kinds += n > 0 ? 1 : 0;
  EXPECT_EQ(lines[0], "This is a .fnc file created by FNC::rawsave ");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], " No. of possible rmin-rmax pairs: ");
  EXPECT_EQ(lines[3], Int("%7lld", kinds));
  EXPECT_EQ(lines[4], c.rmin_line);
  EXPECT_EQ(lines[5], c.rmax_line);
  EXPECT_EQ(lines[6], " ");
  EXPECT_EQ(lines[7], Int("%7lld", atoms));
  EXPECT_EQ(lines[8], " ");
  const auto row_lines = [&](int row, int atom, const std::vector<int>& neighbours,
                             const std::vector<int>& kinds_of_row) {
    std::string list, types;
    for (const int a : neighbours) list += Int("%10lld", a + 1);
    for (const int k : kinds_of_row) types += Int("%4lld", k + 1);
    const std::size_t at = 9 + 3 * static_cast<std::size_t>(row);
    EXPECT_EQ(lines[at],
              Int("%10lld", atom + 1) + Int("%10lld", static_cast<long long>(neighbours.size())))
        << "row " << row;
    EXPECT_EQ(lines[at + 1], list) << "row " << row;
    EXPECT_EQ(lines[at + 2], types) << "row " << row;
  };
  for (int j = 0; j < s.n; ++j) {
    std::vector<int> list, kinds_of_row;
    for (int t = 0; t < s.types(); ++t) {
      for (int m = 0; m < s.counts[t]; ++m) {
        list.push_back(s.NeighbourAtom(t, j, m));
        kinds_of_row.push_back(s.Kind(t));
        row_lines(s.NeighbourRow(t, j, m), s.NeighbourAtom(t, j, m), {s.CentralAtom(j)},
                  {s.Kind(t)});
      }
    }
    row_lines(j, s.CentralAtom(j), list, kinds_of_row);
  }

  // Every pair appears in both rows: a neighbour row names its centre, whose
  // row lists that neighbour.
  std::map<int, std::vector<int>> listed;  // atom -> neighbours of its row
  for (int row = 0; row < atoms; ++row) {
    const auto head = ParseNumbers(lines[9 + 3 * row]);
    const auto list = ParseNumbers(lines[10 + 3 * row]);
    if (head.size() != 2) continue;
    listed[static_cast<int>(head[0])] = std::vector<int>(list.begin(), list.end());
  }
  EXPECT_EQ(static_cast<int>(listed.size()), atoms);
  for (const auto& [atom, list] : listed) {
    if (list.size() != 1) continue;
    const auto& back = listed[list[0]];
    EXPECT_NE(std::find(back.begin(), back.end(), atom), back.end()) << "atom " << atom;
  }

  // Every neighbour lies in its shell around its centre.
  for (int j = 0; j < s.n; ++j) {
    const Triple& centre = coords[s.CentralAtom(j)];
    for (int t = 0; t < s.types(); ++t) {
      const double low = s.inner[t] / c.box;
      const double high = (s.inner[t] + 0.99999988 * (s.outer[t] - s.inner[t])) / c.box;
      for (int m = 0; m < s.counts[t]; ++m) {
        const Triple& p = coords[s.NeighbourAtom(t, j, m)];
        const double d = std::sqrt((p[0] - centre[0]) * (p[0] - centre[0]) +
                                   (p[1] - centre[1]) * (p[1] - centre[1]) +
                                   (p[2] - centre[2]) * (p[2] - centre[2]));
        EXPECT_GT(d, low - 1e-12) << "centre " << j << " type " << t << " neighbour " << m;
        EXPECT_LE(d, high + 1e-12) << "centre " << j << " type " << t << " neighbour " << m;
      }
    }
  }
  return coords;
}

// The seed of the run among the clock's seconds while it ran, found by
// recomputing the whole configuration for each.
std::optional<std::int64_t> MatchingSecond(const Mode1Case& c, const Mode1Result& r,
                                           std::int64_t first, std::int64_t last) {
  for (std::int64_t second = first; second <= last; ++second) {
    const auto expected = Recompute(c.shells, r.input, c.box, static_cast<std::int32_t>(-second));
    if (ExpectedCfg(c.shells, c.box, expected) == r.cfg) return second;
  }
  return std::nullopt;
}

void RunAndCheck(const Mode1Case& c) {
  const std::int64_t before = std::time(nullptr);
  const auto r = RunMode1(c);
  const std::int64_t after = std::time(nullptr);
  EXPECT_EQ(r.run.status, 0);
  EXPECT_EQ(r.run.err, "");
  EXPECT_EQ(r.run.out.rfind("This program creates a 'filename'.fnc and a 'filename'.cfg file for "
                            "varnel++.\n",
                            0),
            0u);
  EXPECT_EQ(AfterPrompt(r.run.out), c.messages + "FNC object is created\n" + kEnding);
  CheckFiles(c, r);
  // With the real clock the seed is minus one of the seconds of the run.
  EXPECT_TRUE(MatchingSecond(c, r, before, after).has_value())
      << "no second between " << before << " and " << after << " reproduces run.cfg";
}

// ------------------------------------------------------------ the cases

const std::string kHelpDat =
    " 8788\t! number of molecules\n"
    " 2\t\t! number of types\n"
    " 1\t\t! type of the central atom starting with 1\n"
    " 0 12\t! number of neighbours for a molecule/type\n"
    " 0 35\t! radius of the inner spehere for each neighbourtype\n"
    " 0 123\t! radius of the outer spehere for each neighbourtype\n"
    " 1\t\t! number of constrained FNC distance\n";

TEST(Mode1, GeneratorMatchesTheKnownSequence) {
  // The test's own generator against the published first values for seed -1.
  Generator random;
  std::int32_t seed = -1;
  EXPECT_NEAR(random.Next(seed), 0.415999357, 5e-10);
  EXPECT_NEAR(random.Next(seed), 0.0919648908, 5e-11);
  EXPECT_NEAR(random.Next(seed), 0.756410486, 5e-10);
  EXPECT_GT(seed, 0);
}

TEST(Mode1, HelpTextExample) {
  Mode1Case c;
  c.shells = {8788, 0, {0, 12}, {0, 35}, {0, 123}};
  c.dat = kHelpDat;
  c.input_ni = {8788};
  c.box = 1000;
  c.rmin_line = "     35";
  c.rmax_line = "    123";
  const std::int64_t before = std::time(nullptr);
  const auto r = RunMode1(c);
  const std::int64_t after = std::time(nullptr);
  ASSERT_EQ(r.run.status, 0) << r.run.out;
  EXPECT_EQ(r.run.err, "");
  EXPECT_EQ(AfterPrompt(r.run.out), "FNC object is created\n" + kEnding);
  CheckFiles(c, r);
  const auto cfg = Lines(r.cfg);
  ASSERT_GE(cfg.size(), 26u);
  EXPECT_EQ(cfg[7], "     114244 molecules of all types");
  EXPECT_EQ(cfg[14], "            1000.000000   0.000000   0.000000");
  EXPECT_EQ(cfg[18], "       8788 molecules of type  1");
  EXPECT_EQ(cfg[22], "     105456 molecules of type  2");
  EXPECT_EQ(cfg.size(), 26u + 114244u);
  const auto fnc = Lines(r.fnc);
  ASSERT_GE(fnc.size(), 12u);
  EXPECT_EQ(fnc[3], "      1");
  EXPECT_EQ(fnc[7], " 114244");
  EXPECT_EQ(fnc[9], "         1        12");
  EXPECT_EQ(fnc[10],
            "      8789      8790      8791      8792      8793      8794      8795      "
            "8796      8797      8798      8799      8800");
  EXPECT_EQ(fnc[11], "   1   1   1   1   1   1   1   1   1   1   1   1");
  EXPECT_EQ(fnc.size(), 9u + 3u * 114244u);
  EXPECT_TRUE(MatchingSecond(c, r, before, after).has_value());
}

TEST(Mode1, BoundsWithFifteenSignificantDigitsAndThreeTypes) {
  Mode1Case c;
  c.shells = {5, 0, {0, 2, 3}, {0, 1.23456789012345, 2.5}, {0, 3.14159265358979323, 4.75}};
  c.dat = "5\n3\n1\n0 2 3\n0 1.23456789012345 2.5\n0 3.14159265358979323 4.75\n";
  c.input_ni = {5};
  c.box = 10;
  c.rmin_line = "1.23456789012345    2.5";
  c.rmax_line = "3.14159265358979   4.75";
  RunAndCheck(c);
}

TEST(Mode1, CentralTypeAfterANeighbourType) {
  // Central type 2 of 2 with 12 neighbours of type 1: row j belongs to atom
  // 12 N + j. The input has more atoms than needed, of two types.
  Mode1Case c;
  c.shells = {10, 1, {12, 0}, {2, 0}, {3, 0}};
  c.dat = " 10\n 2\n 2\n 12 0\n 2 0\n 3 0\n";
  c.input_ni = {6, 8};
  c.box = 20;
  c.rmin_line = "      2";
  c.rmax_line = "      3";
  RunAndCheck(c);
}

TEST(Mode1, NeighboursOfTheCentralType) {
  Mode1Case c;
  c.shells = {6, 0, {3, 2}, {1, 4}, {2, 6}};
  c.dat = "6\n2\n1\n3 2\n1 4\n2 6\n";
  c.input_ni = {6};
  c.box = 10;
  c.rmin_line = "      1      4";
  c.rmax_line = "      2      6";
  RunAndCheck(c);
}

TEST(Mode1, NoNeighbours) {
  Mode1Case c;
  c.shells = {3, 1, {0, 0}, {1, 1}, {2, 2}};
  c.dat = "3\n2\n2\n0 0\n1 1\n2 2\n";
  c.input_ni = {4};
  c.box = 5;
  c.messages =
      "\n****WARNING****\nFNC constructor\n"
      "There are no coordination constraints, or nconstraints was not initialised!\n";
  RunAndCheck(c);
}

TEST(Mode1, MoreMoleculesThanCentralAtomsAreReset) {
  Mode1Case c;
  c.shells = {7, 0, {0, 2}, {0, 1}, {0, 2}};
  c.dat = "10\n2\n1\n0 2\n0 1\n0 2\n";
  c.input_ni = {7};
  c.box = 8;
  c.rmin_line = "      1";
  c.rmax_line = "      2";
  c.messages =
      "The number of central atoms in the input *.cfg is 7 which is less than the number of "
      "molecules in the *.dat file (10).\n"
      "The number of molecules will be reset to 7!\n";
  RunAndCheck(c);
}

TEST(Mode1, IncfgWithoutFinalLineEnd) {
  Mode1Case c;
  c.shells = {4, 0, {1, 2}, {0.5, 1}, {1, 3}};
  c.dat = "4\n2\n1\n1 2\n0.5 1\n1 3\n";
  c.input_ni = {4};
  c.box = 6;
  c.rmin_line = "    0.5      1";
  c.rmax_line = "      1      3";
  c.incfg_line_end = false;
  RunAndCheck(c);
}

TEST(Mode1, FrozenClockGivesReproducibleFiles) {
  const std::string library = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
  if (!fs::exists(library)) GTEST_SKIP() << "libfaketime is not installed";
  // Frozen, not merely started, at this second, so the seed cannot move on.
  const std::map<std::string, std::string> env = {
      {"LD_PRELOAD", library}, {"FAKETIME", "2026-01-01 00:00:00"}, {"TZ", "UTC"}};
  const std::int32_t seconds = 1767225600;  // 2026-01-01 00:00:00 UTC
  Mode1Case c;
  c.shells = {6, 1, {2, 3, 1}, {1, 2, 0.25}, {1.5, 4, 0.75}};
  c.dat = "6\n3\n2\n2 3 1\n1 2 0.25\n1.5 4 0.75\n";
  c.input_ni = {9};
  c.box = 12;
  c.rmin_line = "      1      2   0.25";
  c.rmax_line = "    1.5      4   0.75";
  const auto first = RunMode1(c, env);
  const auto second = RunMode1(c, env);
  ASSERT_EQ(first.run.status, 0) << first.run.out;
  ASSERT_EQ(second.run.status, 0) << second.run.out;
  CheckFiles(c, first);
  EXPECT_EQ(first.cfg, second.cfg);
  EXPECT_EQ(first.fnc, second.fnc);
  const auto expected = Recompute(c.shells, first.input, c.box, -seconds);
  EXPECT_EQ(first.cfg, ExpectedCfg(c.shells, c.box, expected));
}

}  // namespace
