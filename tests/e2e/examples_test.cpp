// Runs every shipped example (examples/) through the real fncprep and checks
// what it writes against expectations worked out here independently: by hand
// for the small example, from a model of the liquid's molecules and storage
// order for the liquid, and from the shell geometry for the shell example.
// Also checks that README.md documents every message the program can print.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/run_binary.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFileBytes;
using testing_support::RunIn;
using testing_support::TempDir;

const fs::path kSource(FNCPREP_SOURCE_DIR);
const fs::path kExamples = kSource / "examples";

void CopyExample(const std::string& example, const std::string& file, const fs::path& dir) {
  fs::copy_file(kExamples / example / file, dir / file, fs::copy_options::overwrite_existing);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Integers right-aligned in fields of `width` characters, as the .fnc file
// writes them; nullopt when the line is not made of such fields.
std::optional<std::vector<long>> FixedFields(const std::string& line, std::size_t width) {
  if (line.size() % width != 0) return std::nullopt;
  std::vector<long> values;
  for (std::size_t at = 0; at < line.size(); at += width) {
    const std::string field = line.substr(at, width);
    const std::size_t digits = field.find_first_not_of(' ');
    if (digits == std::string::npos) return std::nullopt;
    const std::string number = field.substr(digits);
    if (number.find(' ') != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(number.c_str(), &end, 10);
    if (*end != '\0') return std::nullopt;
    values.push_back(value);
  }
  return values;
}

struct FncRow {
  long atom = 0;
  std::vector<long> neighbours;
  std::vector<long> kinds;
};

struct FncFile {
  long kinds = 0;
  std::string lower_line;
  std::string upper_line;
  std::vector<FncRow> rows;
};

// Reads a .fnc file, checking its fixed lines and field widths on the way.
std::optional<FncFile> ParseFnc(const std::string& text, std::string& error) {
  const std::vector<std::string> lines = SplitLines(text);
  if (text.empty() || text.back() != '\n') {
    error = "the file does not end with a line end";
    return std::nullopt;
  }
  if (lines.size() < 9 || lines[0] != "This is a .fnc file created by FNC::rawsave " ||
      !lines[1].empty() || lines[2] != " No. of possible rmin-rmax pairs: " || lines[6] != " " ||
      lines[8] != " ") {
    error = "the fixed header lines differ";
    return std::nullopt;
  }
  const auto kinds = FixedFields(lines[3], 7);
  const auto rows = FixedFields(lines[7], 7);
  if (!kinds || kinds->size() != 1 || !rows || rows->size() != 1) {
    error = "the kind count or the row count is not one field of 7 columns";
    return std::nullopt;
  }
  FncFile file;
  file.kinds = kinds->front();
  file.lower_line = lines[4];
  file.upper_line = lines[5];
  if (lines.size() != 9 + 3 * static_cast<std::size_t>(rows->front())) {
    error = "the number of lines does not match " + std::to_string(rows->front()) + " rows";
    return std::nullopt;
  }
  for (std::size_t at = 9; at < lines.size(); at += 3) {
    const auto head = FixedFields(lines[at], 10);
    if (!head || head->size() != 2) {
      error = "line " + std::to_string(at + 1) + " is not two fields of 10 columns";
      return std::nullopt;
    }
    FncRow row;
    row.atom = (*head)[0];
    const auto count = static_cast<std::size_t>((*head)[1]);
    if (count == 0) {
      if (!lines[at + 1].empty() || !lines[at + 2].empty()) {
        error = "row at line " + std::to_string(at + 1) + " has no neighbours but non-empty lines";
        return std::nullopt;
      }
    } else {
      const auto neighbours = FixedFields(lines[at + 1], 10);
      const auto row_kinds = FixedFields(lines[at + 2], 4);
      if (!neighbours || neighbours->size() != count || !row_kinds || row_kinds->size() != count) {
        error = "row at line " + std::to_string(at + 1) + " does not hold its " +
                std::to_string(count) + " neighbours and kinds";
        return std::nullopt;
      }
      row.neighbours = *neighbours;
      row.kinds = *row_kinds;
    }
    file.rows.push_back(std::move(row));
  }
  return file;
}

// ---------------------------------------------------------------------------
// The small example: 6 atoms, one type of 2 molecules of 3 atoms, stored
// "first atom of both molecules, second of both, third of both"; atoms 1-3
// tied with the window 1.0 .. 1.2, atoms 3-5 with 1.4 .. 1.6.

TEST(SmallExample, WritesTheWorkedConstraintFileAndPattern) {
  TempDir dir;
  CopyExample("small", "small.dat", dir.path());
  const auto run = RunIn(dir.path(), FNCPREP_BINARY, "2 small\ny\n");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.err, "");

  // Per atom: the atom, its neighbour count, then its neighbours and their
  // kinds. Molecule 1 is atoms 1, 3, 5 and molecule 2 is 2, 4, 6; the middle
  // atom carries both pairs, bounds 1.0 and 1.2 shrink to "1" and "1.2".
  const std::string expected_fnc =
      "This is a .fnc file created by FNC::rawsave \n"
      "\n"
      " No. of possible rmin-rmax pairs: \n"
      "      2\n"
      "      1    1.4\n"
      "    1.2    1.6\n"
      " \n"
      "      6\n"
      " \n"
      "         1         1\n"
      "         3\n"
      "   1\n"
      "         2         1\n"
      "         4\n"
      "   1\n"
      "         3         2\n"
      "         1         5\n"
      "   1   2\n"
      "         4         2\n"
      "         2         6\n"
      "   1   2\n"
      "         5         1\n"
      "         3\n"
      "   2\n"
      "         6         1\n"
      "         4\n"
      "   2\n";
  EXPECT_EQ(ReadFileBytes(dir.path() / "small.fnc"), expected_fnc);
  EXPECT_EQ(SplitLines(expected_fnc).size(), 27u);
  EXPECT_FALSE(fs::exists(dir.path() / "small.cfg"));

  const std::string expected_console =
      "Choose from the options (1,2)\n"
      "The name of the files without extension:"
      "The number of atoms for the SimpleCfg object is 0, empty object will be created!\n"
      "The FNC constraints for the smallest indexed molecule:\n"
      "central index,   neighbour count, central offset\n"
      "\tneighbour indices\n"
      "\tconstraint type\n"
      "\n"
      "1   1   1\n\t3\n\t1\n"
      "3   2   1\n\t1\t5\n\t1\t2\n"
      "5   1   1\n\t3\n\t2\n"
      "The number of atoms for the SimpleCfg object is 0, empty object will be created!\n"
      "FNC object is created\n"
      " QUIT (y)? ->\n"
      "FNC destructor\n"
      "SimpleCfg destructor\n"
      "SimpleCfg destructor\n";
  const std::size_t dialogue = run.out.find("Choose from the options (1,2)\n");
  ASSERT_NE(dialogue, std::string::npos);
  EXPECT_EQ(run.out.substr(dialogue), expected_console);
}

// ---------------------------------------------------------------------------
// The liquid example, modelled from its chemistry: 1331 propanol, 10 ethene
// and 25 argon, atoms stored by element (carbon, oxygen, hydrogen, argon) and
// within an element block by molecule type, then molecule, then site.

struct Site {
  long first;  // 1-based index in the first molecule
  long step;   // index step from one molecule to the next
};

struct Bond {
  Site a;
  Site b;
  int kind;
};

struct MoleculeType {
  long molecules;
  std::vector<Bond> pairs;
};

constexpr long kPropanol = 1331;
constexpr long kEthene = 10;
constexpr long kArgon = 25;

// Block starts, counted from the molecule sizes.
constexpr long kCarbonPropanol = 1;
constexpr long kCarbonEthene = kCarbonPropanol + 3 * kPropanol;
constexpr long kOxygenPropanol = kCarbonEthene + 2 * kEthene;
constexpr long kHydrogenPropanol = kOxygenPropanol + kPropanol;
constexpr long kHydrogenEthene = kHydrogenPropanol + 8 * kPropanol;
constexpr long kArgonStart = kHydrogenEthene + 4 * kEthene;
constexpr long kAtoms = kArgonStart + kArgon - 1;

std::vector<MoleculeType> LiquidModel() {
  // Propanol CH3-CH2-CH2-OH: C1 C2 C3 O, hydrogens H1a H1b H1c on C1, H2a H2b
  // on C2, H3a H3b on C3, HO on O.
  const Site c1{kCarbonPropanol, 3}, c2{kCarbonPropanol + 1, 3}, c3{kCarbonPropanol + 2, 3};
  const Site o{kOxygenPropanol, 1};
  const Site h1a{kHydrogenPropanol, 8}, h1b{kHydrogenPropanol + 1, 8},
      h1c{kHydrogenPropanol + 2, 8}, h2a{kHydrogenPropanol + 3, 8}, h2b{kHydrogenPropanol + 4, 8},
      h3a{kHydrogenPropanol + 5, 8}, h3b{kHydrogenPropanol + 6, 8}, ho{kHydrogenPropanol + 7, 8};
  // Kinds: 1 C-C, 2 C-H, 3 C-O, 4 O-H bonds; 5 C..C, 6 C..O, 7 H..H, 8 C..H,
  // 9 O..H across an angle; 10 the C=C bond of ethene.
  MoleculeType propanol{
      kPropanol,
      {
          {c1, c2, 1},  {c2, c3, 1},   {c1, h1a, 2},  {c1, h1b, 2},  {c1, h1c, 2},  {c2, h2a, 2},
          {c2, h2b, 2}, {c3, h3a, 2},  {c3, h3b, 2},  {c3, o, 3},    {o, ho, 4},    {c1, c3, 5},
          {c2, o, 6},   {h1a, h1b, 7}, {h1a, h1c, 7}, {h1b, h1c, 7}, {h2a, h2b, 7}, {h3a, h3b, 7},
          {c2, h1a, 8}, {c2, h1b, 8},  {c2, h1c, 8},  {c1, h2a, 8},  {c1, h2b, 8},  {c3, h2a, 8},
          {c3, h2b, 8}, {c2, h3a, 8},  {c2, h3b, 8},  {o, h3a, 9},   {o, h3b, 9},
      }};
  const Site ca{kCarbonEthene, 2}, cb{kCarbonEthene + 1, 2};
  const Site ha1{kHydrogenEthene, 4}, ha2{kHydrogenEthene + 1, 4}, hb1{kHydrogenEthene + 2, 4},
      hb2{kHydrogenEthene + 3, 4};
  MoleculeType ethene{kEthene,
                      {{ca, cb, 10}, {ca, ha1, 2}, {ca, ha2, 2}, {cb, hb1, 2}, {cb, hb2, 2}}};
  return {propanol, ethene};
}

using Entry = std::pair<long, long>;  // neighbour, kind

// Every pair of every molecule entered in both directions, each row ordered
// by neighbour index. The program keeps each row in the order of the first
// molecule's indices; with this storage order (element blocks, each atom's
// step no larger than its block allows) that is ascending index order in
// every molecule.
std::map<long, std::vector<Entry>> ExpectedLiquidRows(const std::vector<MoleculeType>& model) {
  std::map<long, std::vector<Entry>> rows;
  for (const MoleculeType& type : model) {
    for (long m = 0; m < type.molecules; ++m) {
      for (const Bond& bond : type.pairs) {
        const long a = bond.a.first + m * bond.a.step;
        const long b = bond.b.first + m * bond.b.step;
        rows[a].push_back({b, bond.kind});
        rows[b].push_back({a, bond.kind});
      }
    }
  }
  for (auto& [atom, entries] : rows) std::sort(entries.begin(), entries.end());
  return rows;
}

// The pattern printout of one molecule type: its first molecule's atoms in
// index order, each with its neighbours in index order.
std::string ExpectedPattern(const MoleculeType& type) {
  std::map<long, std::pair<long, std::vector<Entry>>> slots;  // atom -> step, entries
  for (const Bond& bond : type.pairs) {
    slots[bond.a.first].first = bond.a.step;
    slots[bond.a.first].second.push_back({bond.b.first, bond.kind});
    slots[bond.b.first].first = bond.b.step;
    slots[bond.b.first].second.push_back({bond.a.first, bond.kind});
  }
  std::ostringstream out;
  out << "The FNC constraints for the smallest indexed molecule:\n"
         "central index,   neighbour count, central offset\n"
         "\tneighbour indices\n"
         "\tconstraint type\n\n";
  for (auto& [atom, slot] : slots) {
    std::sort(slot.second.begin(), slot.second.end());
    out << atom << "   " << slot.second.size() << "   " << slot.first << "\n";
    for (const Entry& e : slot.second) out << '\t' << e.first;
    out << "\n";
    for (const Entry& e : slot.second) out << '\t' << e.second;
    out << "\n";
  }
  return out.str();
}

TEST(LiquidExample, ModelMatchesTheCountsOfTheHelpTextsSystem) {
  EXPECT_EQ(kAtoms, 1331 * 12 + 25 + 10 * 6);
  const auto model = LiquidModel();
  ASSERT_EQ(model.size(), 2u);
  EXPECT_EQ(model[0].pairs.size(), 29u);
  EXPECT_EQ(model[1].pairs.size(), 5u);
}

TEST(LiquidExample, ConstrainsEveryMoleculeAsItsChemistrySays) {
  TempDir dir;
  CopyExample("liquid", "liquid.dat", dir.path());
  const auto run = RunIn(dir.path(), FNCPREP_BINARY, "2 liquid\ny\n");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.err, "");

  const auto model = LiquidModel();
  // Both patterns, then the 25 argon atoms reported as unconstrained.
  const std::string printout =
      ExpectedPattern(model[0]) + ExpectedPattern(model[1]) +
      "There  will be 25 atom(s) with no fnc constraint! FNC with 0 neighbour is created for "
      "them.\n"
      "The number of atoms for the SimpleCfg object is 0, empty object will be created!\n"
      "FNC object is created\n"
      " QUIT (y)? ->\n";
  EXPECT_NE(run.out.find(printout), std::string::npos) << "expected printout:\n" << printout;

  std::string error;
  const auto fnc = ParseFnc(ReadFileBytes(dir.path() / "liquid.fnc"), error);
  ASSERT_TRUE(fnc.has_value()) << error;
  // The ten windows in kind order, with 6 significant digits: 2.30 is
  // written 2.3, 1.00 is 1 and 1.90 is 1.9.
  EXPECT_EQ(fnc->kinds, 10);
  EXPECT_EQ(fnc->lower_line,
            "   1.47   1.05   1.37   0.92   2.42    2.3   1.66   2.04   1.94   1.27");
  EXPECT_EQ(fnc->upper_line,
            "   1.59   1.13   1.49      1   2.66   2.54    1.9   2.28   2.18   1.39");
  ASSERT_EQ(fnc->rows.size(), static_cast<std::size_t>(kAtoms));

  const auto expected = ExpectedLiquidRows(model);
  EXPECT_EQ(expected.size(), static_cast<std::size_t>(kAtoms - kArgon));
  std::size_t entries = 0;
  std::size_t rows_with_neighbours = 0;
  std::set<std::pair<long, long>> directed;  // (row atom, neighbour)
  int mismatches = 0;
  for (std::size_t i = 0; i < fnc->rows.size(); ++i) {
    const FncRow& row = fnc->rows[i];
    const long atom = static_cast<long>(i) + 1;
    EXPECT_EQ(row.atom, atom) << "row " << i + 1;
    entries += row.neighbours.size();
    if (!row.neighbours.empty()) ++rows_with_neighbours;
    std::vector<Entry> actual;
    for (std::size_t e = 0; e < row.neighbours.size(); ++e) {
      actual.push_back({row.neighbours[e], row.kinds[e]});
      directed.insert({atom, row.neighbours[e]});
    }
    const auto found = expected.find(atom);
    const std::vector<Entry> want = found == expected.end() ? std::vector<Entry>{} : found->second;
    if (actual != want && ++mismatches <= 5) {
      ADD_FAILURE() << "atom " << atom << " has other neighbours or kinds than its molecule says";
    }
    if (atom >= kArgonStart) {
      EXPECT_TRUE(row.neighbours.empty()) << "argon atom " << atom;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(entries, 2u * (1331 * 29 + 10 * 5));
  EXPECT_EQ(rows_with_neighbours, static_cast<std::size_t>(1331 * 12 + 10 * 6));
  for (const auto& [a, b] : directed) {
    if (directed.count({b, a}) == 0) {
      ADD_FAILURE() << "pair " << a << "-" << b << " appears in one direction only";
      break;
    }
  }

  // Spot checks worked out by hand: C2 of the last propanol (atom 3992) is
  // bonded to C1 3991, C3 3993, H2a 15988, H2b 15989, and across angles tied
  // to O 5344, the methyl hydrogens 15985-15987 and H3a, H3b 15990, 15991.
  const FncRow& c2_last = fnc->rows[3992 - 1];
  EXPECT_EQ(c2_last.neighbours,
            (std::vector<long>{3991, 3993, 5344, 15985, 15986, 15987, 15988, 15989, 15990, 15991}));
  EXPECT_EQ(c2_last.kinds, (std::vector<long>{1, 1, 6, 8, 8, 8, 2, 2, 8, 8}));
  // Cb of the last ethene (atom 4013): Ca 4012 by the double bond, its two
  // hydrogens 16031 and 16032.
  EXPECT_EQ(fnc->rows[4013 - 1].neighbours, (std::vector<long>{4012, 16031, 16032}));
  EXPECT_EQ(fnc->rows[4013 - 1].kinds, (std::vector<long>{10, 2, 2}));
}

// ---------------------------------------------------------------------------
// The shell example: the help text's shell file around 8788 lattice atoms.

constexpr int kCentral = 8788;
constexpr int kPerCentral = 12;
constexpr int kGrown = kCentral * (1 + kPerCentral);
constexpr double kBox = 5000;

struct Vec3 {
  double x, y, z;
};

std::optional<Vec3> ParseCoordinates(const std::string& line) {
  // " x  y  z": a blank, then three values separated by two blanks.
  if (line.empty() || line[0] != ' ') return std::nullopt;
  std::istringstream in(line);
  Vec3 v{};
  std::string rest;
  if (!(in >> v.x >> v.y >> v.z) || (in >> rest)) return std::nullopt;
  return v;
}

double FirstNumber(const std::string& line) { return std::strtod(line.c_str(), nullptr); }

TEST(ShellExample, ParameterFileIsTheHelpTextsExample) {
  TempDir dir;
  const auto run = RunIn(dir.path(), FNCPREP_BINARY, "");
  const std::size_t start = run.out.find(" 8788\t! number of molecules\n");
  ASSERT_NE(start, std::string::npos);
  std::string seven_lines;
  std::size_t at = start;
  for (int line = 0; line < 7; ++line) {
    const std::size_t end = run.out.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    at = end + 1;
  }
  seven_lines = run.out.substr(start, at - start);
  EXPECT_EQ(ReadFileBytes(kExamples / "shell" / "shell.dat"), seven_lines);
}

TEST(ShellExample, GrowsTwelveNeighboursInsideTheShellOfEveryCentralAtom) {
  TempDir dir;
  CopyExample("shell", "shell.dat", dir.path());
  const std::string generate = "sh '" + (kExamples / "shell" / "make_incfg.sh").string() + "' > '" +
                               (dir.path() / "shell.incfg").string() + "'";
  ASSERT_EQ(std::system(generate.c_str()), 0);

  const std::vector<std::string> incfg = SplitLines(ReadFileBytes(dir.path() / "shell.incfg"));
  ASSERT_EQ(incfg.size(), 18u + 4u + kCentral);
  EXPECT_EQ(incfg[0], " (Version 3 format configuration file) !file created by SimpleCfg::save !");
  EXPECT_EQ(incfg[7], "       8788 molecules of all types");
  EXPECT_EQ(incfg[8], "          1 types of molecules ");
  EXPECT_EQ(incfg[14], "            5000.000000   0.000000   0.000000");
  EXPECT_EQ(incfg[18], "       8788 molecules of type  1");
  // Lattice points in box units, centred on the origin, all distinct.
  std::set<std::string> distinct;
  for (std::size_t i = 22; i < incfg.size(); ++i) {
    const auto v = ParseCoordinates(incfg[i]);
    ASSERT_TRUE(v.has_value()) << incfg[i];
    for (const double c : {v->x, v->y, v->z}) {
      ASSERT_GE(c, -0.5) << incfg[i];
      ASSERT_LT(c, 0.5) << incfg[i];
    }
    distinct.insert(incfg[i]);
  }
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kCentral));

  const auto run = RunIn(dir.path(), FNCPREP_BINARY, "1 shell\ny\n");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.err, "");
  const std::size_t dialogue = run.out.find("Choose from the options (1,2)\n");
  ASSERT_NE(dialogue, std::string::npos);
  EXPECT_EQ(run.out.substr(dialogue),
            "Choose from the options (1,2)\n"
            "The name of the files without extension:FNC object is created\n"
            " QUIT (y)? ->\n"
            "FNC destructor\n"
            "SimpleCfg destructor\n"
            "SimpleCfg destructor\n");

  // The grown configuration: 8788 central atoms of type 1, then 12 x 8788
  // neighbours of type 2, in the box of the input.
  const std::vector<std::string> cfg = SplitLines(ReadFileBytes(dir.path() / "shell.cfg"));
  ASSERT_EQ(cfg.size(), 18u + 8u + kGrown);
  EXPECT_EQ(cfg[1], "FNC configuration");
  EXPECT_EQ(FirstNumber(cfg[7]), kGrown);
  EXPECT_EQ(FirstNumber(cfg[8]), 2);
  EXPECT_EQ(FirstNumber(cfg[14]), kBox);
  EXPECT_EQ(FirstNumber(cfg[18]), kCentral);
  EXPECT_EQ(FirstNumber(cfg[22]), kPerCentral * kCentral);
  // The central atoms are copied unchanged, digit for digit.
  for (int j = 0; j < kCentral; ++j) {
    ASSERT_EQ(cfg[26 + j], incfg[22 + j]) << "central atom " << j + 1;
  }
  std::vector<Vec3> atoms;
  for (std::size_t i = 26; i < cfg.size(); ++i) {
    const auto v = ParseCoordinates(cfg[i]);
    ASSERT_TRUE(v.has_value()) << "line " << i + 1 << ": " << cfg[i];
    atoms.push_back(*v);
  }

  std::string error;
  const auto fnc = ParseFnc(ReadFileBytes(dir.path() / "shell.fnc"), error);
  ASSERT_TRUE(fnc.has_value()) << error;
  EXPECT_EQ(fnc->kinds, 1);
  EXPECT_EQ(fnc->lower_line, "     35");
  EXPECT_EQ(fnc->upper_line, "    123");
  ASSERT_EQ(fnc->rows.size(), static_cast<std::size_t>(kGrown));

  // Central atom j (row j): its 12 neighbours are atoms 8789 + 12 j .. + 11.
  for (int j = 0; j < kCentral; ++j) {
    const FncRow& row = fnc->rows[j];
    ASSERT_EQ(row.atom, j + 1);
    std::vector<long> want(kPerCentral);
    for (int m = 0; m < kPerCentral; ++m) want[m] = kCentral + kPerCentral * j + m + 1;
    ASSERT_EQ(row.neighbours, want) << "central atom " << j + 1;
    ASSERT_EQ(row.kinds, std::vector<long>(kPerCentral, 1)) << "central atom " << j + 1;
  }
  // Each neighbour (rows 8789 on) is tied back to its central atom only, and
  // lies inside the shell 35 .. 123 around it, the coordinates being in box
  // units.
  double nearest = 1e9;
  double farthest = 0;
  for (int r = kCentral; r < kGrown; ++r) {
    const FncRow& row = fnc->rows[r];
    const long central = (r - kCentral) / kPerCentral + 1;
    ASSERT_EQ(row.atom, r + 1);
    ASSERT_EQ(row.neighbours, std::vector<long>{central}) << "neighbour atom " << r + 1;
    ASSERT_EQ(row.kinds, std::vector<long>{1}) << "neighbour atom " << r + 1;
    const Vec3& a = atoms[r];
    const Vec3& c = atoms[central - 1];
    const double d = kBox * std::sqrt((a.x - c.x) * (a.x - c.x) + (a.y - c.y) * (a.y - c.y) +
                                      (a.z - c.z) * (a.z - c.z));
    ASSERT_GT(d, 35 - 1e-6) << "neighbour atom " << r + 1;
    ASSERT_LE(d, 123 + 1e-6) << "neighbour atom " << r + 1;
    nearest = std::min(nearest, d);
    farthest = std::max(farthest, d);
  }
  // The distances are drawn uniformly over the whole shell: among 105456
  // draws some fall within 1 of either radius.
  EXPECT_LT(nearest, 36);
  EXPECT_GT(farthest, 122);
}

TEST(ShellExample, GeneratorIsDeterministicAndTakesItsArguments) {
  TempDir dir;
  const std::string script = "sh '" + (kExamples / "shell" / "make_incfg.sh").string() + "'";
  ASSERT_EQ(std::system((script + " 2 100 > '" + (dir.path() / "a").string() + "'").c_str()), 0);
  ASSERT_EQ(std::system((script + " 2 100 > '" + (dir.path() / "b").string() + "'").c_str()), 0);
  const std::string a = ReadFileBytes(dir.path() / "a");
  EXPECT_EQ(a, ReadFileBytes(dir.path() / "b"));
  // 2 cells per edge: 4 x 8 = 32 atoms, cell edge 0.5 in box units, so the
  // first cell's four sites are the corner and three face centres.
  const auto lines = SplitLines(a);
  ASSERT_EQ(lines.size(), 18u + 4u + 32u);
  EXPECT_EQ(lines[7], "         32 molecules of all types");
  EXPECT_EQ(lines[14], "            100.000000   0.000000   0.000000");
  EXPECT_EQ(lines[22], " -0.500000000000000  -0.500000000000000  -0.500000000000000");
  EXPECT_EQ(lines[23], " -0.250000000000000  -0.250000000000000  -0.500000000000000");
  EXPECT_EQ(lines[24], " -0.250000000000000  -0.500000000000000  -0.250000000000000");
  EXPECT_EQ(lines[25], " -0.500000000000000  -0.250000000000000  -0.250000000000000");
  EXPECT_EQ(lines[26], " -0.500000000000000  -0.500000000000000  0.000000000000000");
}

TEST(Examples, RunAllScriptRunsEveryExample) {
  TempDir dir;
  const std::string command = "bash '" + (kExamples / "run_all.sh").string() + "' '" +
                              FNCPREP_BINARY + "' '" + dir.path().string() + "' > '" +
                              (dir.path() / "report").string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFileBytes(dir.path() / "report");
  const std::string report = ReadFileBytes(dir.path() / "report");
  for (const std::string name : {"small", "liquid", "shell"}) {
    EXPECT_NE(report.find(name + ": ok"), std::string::npos) << report;
  }
  EXPECT_TRUE(fs::exists(dir.path() / "small" / "small.fnc"));
  EXPECT_TRUE(fs::exists(dir.path() / "liquid" / "liquid.fnc"));
  EXPECT_TRUE(fs::exists(dir.path() / "shell" / "shell.cfg"));
  EXPECT_TRUE(fs::exists(dir.path() / "shell" / "shell.fnc"));
}

// ---------------------------------------------------------------------------
// Every console message in the sources is documented in README.md.

// The source with comments blanked out; string and character literals kept.
std::string WithoutComments(const std::string& source) {
  std::string out = source;
  std::size_t i = 0;
  while (i < out.size()) {
    const char c = out[i];
    if (c == '"' || c == '\'') {
      for (++i; i < out.size() && out[i] != c; ++i) {
        if (out[i] == '\\') ++i;
      }
      ++i;
    } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '/') {
      while (i < out.size() && out[i] != '\n') out[i++] = ' ';
    } else if (c == '/' && i + 1 < out.size() && out[i + 1] == '*') {
      while (i + 1 < out.size() && !(out[i] == '*' && out[i + 1] == '/')) out[i++] = ' ';
      if (i + 1 < out.size()) out[i] = out[i + 1] = ' ';
      i += 2;
    } else {
      ++i;
    }
  }
  return out;
}

// The string literals between `from` and `to`, adjacent literals joined and
// escapes resolved.
std::vector<std::string> Literals(const std::string& code, std::size_t from, std::size_t to) {
  to = std::min(to, code.size());
  std::vector<std::string> found;
  std::size_t i = from;
  bool joining = false;
  while (i < to) {
    const char c = code[i];
    if (c == '\'') {
      for (++i; i < to && code[i] != '\''; ++i) {
        if (code[i] == '\\') ++i;
      }
      ++i;
      joining = false;
    } else if (c == '"') {
      std::string text;
      for (++i; i < to && code[i] != '"'; ++i) {
        if (code[i] == '\\' && i + 1 < to) {
          const char e = code[++i];
          text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
          text += code[i];
        }
      }
      ++i;
      if (joining) {
        found.back() += text;
      } else {
        found.push_back(text);
      }
      joining = true;
    } else {
      if (!std::isspace(static_cast<unsigned char>(c))) joining = false;
      ++i;
    }
  }
  return found;
}

// End of the parenthesised argument list that opens at `open`.
std::size_t ClosingParen(const std::string& code, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < code.size(); ++i) {
    const char c = code[i];
    if (c == '"' || c == '\'') {
      for (++i; i < code.size() && code[i] != c; ++i) {
        if (code[i] == '\\') ++i;
      }
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return i;
    }
  }
  return code.size();
}

bool IdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

struct Message {
  std::string text;
  std::string where;
};

// Texts that reach the console: arguments of the message helpers and of the
// stop/warning helpers (their name lines), "<name> - not enough memory!" for
// the memory guard, and literals streamed to std::cout and std::cerr. Each is
// split at line feeds and tabs; pieces without a letter (blanks, brackets,
// "!") are left out.
std::vector<Message> ConsoleMessages() {
  const std::vector<std::string> calls = {"Say",
                                          "WarningBlock",
                                          "WarningNotice",
                                          "WithMemoryGuard",
                                          "CheckReadOutcome",
                                          "CheckWriteOutcome"};
  std::vector<Message> messages;
  auto add = [&messages](const std::string& text, const std::string& where) {
    std::string piece;
    for (const char c : text + "\n") {
      if (c == '\n' || c == '\t') {
        if (std::any_of(piece.begin(), piece.end(),
                        [](char p) { return std::isalpha(static_cast<unsigned char>(p)); })) {
          messages.push_back({piece, where});
        }
        piece.clear();
      } else {
        piece += c;
      }
    }
  };
  for (const char* folder : {"app", "fnc", "cfg", "shell"}) {
    for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
      const auto extension = entry.path().extension();
      if (extension != ".cpp" && extension != ".hpp") continue;
      const std::string code = WithoutComments(ReadFileBytes(entry.path()));
      const std::string where = fs::relative(entry.path(), kSource).string();
      for (const std::string& call : calls) {
        for (std::size_t at = code.find(call + "("); at != std::string::npos;
             at = code.find(call + "(", at + 1)) {
          if (at > 0 && IdentifierChar(code[at - 1])) continue;
          const std::size_t open = at + call.size();
          const auto literals = Literals(code, open, ClosingParen(code, open));
          if (call == "WithMemoryGuard") {
            if (!literals.empty()) add(literals.front() + " - not enough memory!", where);
          } else {
            for (const std::string& literal : literals) add(literal, where);
          }
        }
      }
      for (const std::string stream : {"std::cout", "std::cerr"}) {
        for (std::size_t at = code.find(stream); at != std::string::npos;
             at = code.find(stream, at + 1)) {
          for (const std::string& literal : Literals(code, at, code.find(';', at))) {
            add(literal, where);
          }
        }
      }
    }
  }
  return messages;
}

TEST(Readme, DocumentsEveryConsoleMessage) {
  const std::string readme = ReadFileBytes(kSource / "README.md");
  ASSERT_FALSE(readme.empty());
  const auto messages = ConsoleMessages();
  // The extraction itself must find the program's messages, or the check
  // below would pass on nothing.
  std::set<std::string> texts;
  for (const Message& m : messages) texts.insert(m.text);
  for (const char* known :
       {"Sorry, cannot create SimpleCfg.", "FNC constructor - not enough memory!",
        "SimpleCfg::load - file not open or non-existing.", "Quit (y)?->",
        "Loading failed, possibly due to wrong file format!", "SimpleCfg::GetParameters",
        "ERROR! The offset for central atom ",
        "There is no open file to save the SimpleCfg object ",
        "Most probably the atom indices overlap betwwen two different molecule type! Cannot "
        "proceed, exiting..."}) {
    EXPECT_EQ(texts.count(known), 1u) << "not extracted from the sources: " << known;
  }
  EXPECT_GE(texts.size(), 40u);
  for (const Message& m : messages) {
    EXPECT_NE(readme.find(m.text), std::string::npos)
        << "README.md lacks the text \"" << m.text << "\" (from " << m.where << ")";
  }
}

}  // namespace
