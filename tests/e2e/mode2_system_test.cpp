// Mode 2 through the real program on a realistic liquid, checked against a
// model of its molecules and storage order: the shipped example's pair list
// and a shuffled one of the same liquid; and a large pair list that must run
// in modest memory.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/formats.hpp"
#include "support/models.hpp"
#include "support/run_binary.hpp"
#include "support/text.hpp"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;
using Entry = std::pair<long, long>;  // neighbour, kind

// ---- The liquid, modelled from its chemistry: 1331 propanol, 10 ethene and
// 25 argon, atoms stored by element (carbon, oxygen, hydrogen, argon) and
// within an element block by molecule type, then molecule, then site.

struct Site {
  long first;  // 1-based index in the first molecule
  long step;   // index step from one molecule to the next
};

struct Bond {
  Site a, b;
  int kind;
};

struct MoleculeType {
  long molecules;
  int atoms;
  std::vector<Bond> pairs;
};

constexpr long kPropanol = 1331, kEthene = 10, kArgon = 25;
// Block starts, counted from the molecule sizes.
constexpr long kCarbonPropanol = 1;
constexpr long kCarbonEthene = kCarbonPropanol + 3 * kPropanol;
constexpr long kOxygenPropanol = kCarbonEthene + 2 * kEthene;
constexpr long kHydrogenPropanol = kOxygenPropanol + kPropanol;
constexpr long kHydrogenEthene = kHydrogenPropanol + 8 * kPropanol;
constexpr long kArgonStart = kHydrogenEthene + 4 * kEthene;
constexpr long kAtoms = kArgonStart + kArgon - 1;

// Kinds: 1 C-C, 2 C-H, 3 C-O, 4 O-H bonds; 5 C..C, 6 C..O, 7 H..H, 8 C..H,
// 9 O..H across an angle; 10 the C=C bond of ethene. Their windows as the
// example file gives them.
const char* const kWindows[] = {"1.47 1.59", "1.05 1.13", "1.37 1.49", "0.92 1.00", "2.42 2.66",
                                "2.30 2.54", "1.66 1.90", "2.04 2.28", "1.94 2.18", "1.27 1.39"};

std::vector<MoleculeType> LiquidModel() {
  // Propanol CH3-CH2-CH2-OH: C1 C2 C3 O, hydrogens H1a H1b H1c on C1, H2a H2b
  // on C2, H3a H3b on C3, HO on O.
  const Site c1{kCarbonPropanol, 3}, c2{kCarbonPropanol + 1, 3}, c3{kCarbonPropanol + 2, 3};
  const Site o{kOxygenPropanol, 1};
  const Site h1a{kHydrogenPropanol, 8}, h1b{kHydrogenPropanol + 1, 8},
      h1c{kHydrogenPropanol + 2, 8}, h2a{kHydrogenPropanol + 3, 8}, h2b{kHydrogenPropanol + 4, 8},
      h3a{kHydrogenPropanol + 5, 8}, h3b{kHydrogenPropanol + 6, 8}, ho{kHydrogenPropanol + 7, 8};
  const MoleculeType propanol{
      kPropanol, 12, {{c1, c2, 1},   {c2, c3, 1},   {c1, h1a, 2},  {c1, h1b, 2},  {c1, h1c, 2},
                      {c2, h2a, 2},  {c2, h2b, 2},  {c3, h3a, 2},  {c3, h3b, 2},  {c3, o, 3},
                      {o, ho, 4},    {c1, c3, 5},   {c2, o, 6},    {h1a, h1b, 7}, {h1a, h1c, 7},
                      {h1b, h1c, 7}, {h2a, h2b, 7}, {h3a, h3b, 7}, {c2, h1a, 8},  {c2, h1b, 8},
                      {c2, h1c, 8},  {c1, h2a, 8},  {c1, h2b, 8},  {c3, h2a, 8},  {c3, h2b, 8},
                      {c2, h3a, 8},  {c2, h3b, 8},  {o, h3a, 9},   {o, h3b, 9}}};
  const Site ca{kCarbonEthene, 2}, cb{kCarbonEthene + 1, 2};
  const Site ha1{kHydrogenEthene, 4}, ha2{kHydrogenEthene + 1, 4}, hb1{kHydrogenEthene + 2, 4},
      hb2{kHydrogenEthene + 3, 4};
  const MoleculeType ethene{
      kEthene, 6, {{ca, cb, 10}, {ca, ha1, 2}, {ca, ha2, 2}, {cb, hb1, 2}, {cb, hb2, 2}}};
  return {propanol, ethene};
}

// The model's pair list with each type's pairs in a shuffled order and
// direction. A kind's window follows its first mention; later mentions
// sometimes carry other numbers, which are comment.
std::string ShuffledPairList(const std::vector<MoleculeType>& model) {
  std::ostringstream text;
  text << kAtoms << " ! atoms\n" << model.size() << " ! types\n";
  for (const auto& type : model) text << type.molecules << ' ';
  text << "! molecules\n";
  for (const auto& type : model) text << type.atoms << ' ';
  text << "! atoms per molecule\n";
  for (const auto& type : model) text << type.pairs.size() << ' ';
  text << "! pairs per molecule\n";
  Lcg random(20240611);
  std::set<int> named;
  for (const auto& type : model) {
    std::vector<Bond> pairs = type.pairs;
    random.Shuffle(pairs);
    for (Bond bond : pairs) {
      if (random.Next(2) == 1) std::swap(bond.a, bond.b);
      text << bond.kind;
      if (named.insert(bond.kind).second) {
        text << ' ' << kWindows[bond.kind - 1] << " ! first use\n";
      } else {
        text << (random.Next(2) == 1 ? " 0.5 0.75 ! comment\n" : "\n");
      }
      text << bond.a.first << ' ' << bond.b.first << ' ' << bond.a.first + bond.a.step << ' '
           << bond.b.first + bond.b.step << '\n';
    }
  }
  return text.str();
}

// Every pair of every molecule in both its rows, each row ordered by index:
// the program keeps each row in the order of the first molecule's indices,
// which with this storage order is ascending in every molecule.
std::map<long, std::vector<Entry>> ExpectedRows(const std::vector<MoleculeType>& model) {
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

// The printout of one type's pattern: its first molecule's constrained
// atoms in index order, each with its neighbours in index order.
std::string ExpectedPattern(const MoleculeType& type) {
  std::map<long, std::pair<long, std::vector<Entry>>> slots;  // atom -> step, entries
  for (const Bond& bond : type.pairs) {
    slots[bond.a.first].first = bond.a.step;
    slots[bond.a.first].second.push_back({bond.b.first, bond.kind});
    slots[bond.b.first].first = bond.b.step;
    slots[bond.b.first].second.push_back({bond.a.first, bond.kind});
  }
  std::string text = PatternHeader();
  for (auto& [atom, slot] : slots) {
    std::sort(slot.second.begin(), slot.second.end());
    std::vector<long> neighbours, kinds;
    for (const Entry& e : slot.second) {
      neighbours.push_back(e.first);
      kinds.push_back(e.second);
    }
    text += PatternSlot(atom, slot.first, neighbours, kinds);
  }
  return text;
}

// Runs mode 2 on `pair_list` and checks the console and the .fnc file
// against the model.
void CheckLiquidRun(const std::string& pair_list) {
  TempDir dir;
  WriteFileBytes(dir.path() / "liquid.dat", pair_list);
  const auto run = RunIn(dir.path(), FNCPREP_BINARY, "2 liquid\ny\n");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(fs::exists(dir.path() / "liquid.cfg"));

  // Both patterns, then the 25 argon atoms reported as unconstrained.
  const auto model = LiquidModel();
  const std::string tail = "The name of the files without extension:" + kEmptyCfgText +
                           ExpectedPattern(model[0]) + ExpectedPattern(model[1]) +
                           UnconstrainedText(kArgon) + kEmptyCfgText + "FNC object is created\n" +
                           kRunEnd;
  ASSERT_GE(run.out.size(), tail.size());
  EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);

  std::string error;
  const auto fnc = ParseFnc(ReadFileBytes(dir.path() / "liquid.fnc"), error);
  ASSERT_TRUE(fnc.has_value()) << error;
  // The ten windows in kind order, with 6 significant digits: 2.30 is
  // written 2.3, 1.00 is 1 and 1.90 is 1.9.
  EXPECT_EQ(fnc->header[3], "     10");
  EXPECT_EQ(fnc->header[4],
            "   1.47   1.05   1.37   0.92   2.42    2.3   1.66   2.04   1.94   1.27");
  EXPECT_EQ(fnc->header[5],
            "   1.59   1.13   1.49      1   2.66   2.54    1.9   2.28   2.18   1.39");
  ASSERT_EQ(fnc->rows.size(), static_cast<std::size_t>(kAtoms));

  const auto expected = ExpectedRows(model);
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(kAtoms - kArgon));
  std::size_t entries = 0, rows_with_neighbours = 0;
  int mismatches = 0;
  for (long atom = 1; atom <= kAtoms; ++atom) {
    const FncRow& row = fnc->rows[atom - 1];
    EXPECT_EQ(row.atom, atom);
    entries += row.entries.size();
    rows_with_neighbours += row.entries.empty() ? 0 : 1;
    const auto found = expected.find(atom);
    if (row.entries != (found == expected.end() ? std::vector<Entry>{} : found->second) &&
        ++mismatches <= 5) {
      ADD_FAILURE() << "atom " << atom << " has other neighbours or kinds than its molecule says";
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(entries, 2u * (1331 * 29 + 10 * 5));
  EXPECT_EQ(rows_with_neighbours, 1331u * 12 + 10 * 6);

  // Spot checks worked out by hand: C2 of the last propanol (atom 3992) is
  // bonded to C1 3991, C3 3993, H2a 15988, H2b 15989, and across angles tied
  // to O 5344, the methyl hydrogens 15985-15987 and H3a, H3b 15990, 15991.
  const std::vector<Entry> c2_last = {{3991, 1},  {3993, 1},  {5344, 6},  {15985, 8}, {15986, 8},
                                      {15987, 8}, {15988, 2}, {15989, 2}, {15990, 8}, {15991, 8}};
  EXPECT_EQ(fnc->rows[3992 - 1].entries, c2_last);
  // Cb of the last ethene (atom 4013): Ca 4012 by the double bond, its two
  // hydrogens 16031 and 16032.
  EXPECT_EQ(fnc->rows[4013 - 1].entries, (std::vector<Entry>{{4012, 10}, {16031, 2}, {16032, 2}}));
}

TEST(ModeTwoSystem, ModelMatchesTheCountsOfTheHelpTextsSystem) {
  EXPECT_EQ(kAtoms, 1331 * 12 + 25 + 10 * 6);
  const auto model = LiquidModel();
  ASSERT_EQ(model.size(), 2u);
  EXPECT_EQ(model[0].pairs.size(), 29u);
  EXPECT_EQ(model[1].pairs.size(), 5u);
}

TEST(ModeTwoSystem, ShippedLiquidExample) {
  CheckLiquidRun(
      ReadFileBytes(fs::path(FNCPREP_SOURCE_DIR) / "examples" / "liquid" / "liquid.dat"));
}

TEST(ModeTwoSystem, ShuffledPairListOfTheSameLiquid) {
  CheckLiquidRun(ShuffledPairList(LiquidModel()));
}

// ---- Memory: a pair list that would need gigabytes if every pattern slot
// had room for every pair record.

TEST(ModeTwoSystem, LargePairListRunsInModestMemory) {
  constexpr int kTypes = 20;
  constexpr int kSize = 2000;  // atoms per molecule, and pairs per molecule
  constexpr int kMolecules = 2;
  constexpr int kTotal = kTypes * kMolecules * kSize;
  // Atom a of molecule m of type t; each molecule is a ring of bonded atoms.
  const auto index = [](int t, int m, int a) { return (t * kMolecules + m) * kSize + a + 1; };
  const auto kind = [](int a) { return a % 3 + 1; };

  TempDir dir;
  std::ostringstream dat;
  dat << kTotal << " ! atoms\n" << kTypes << " ! molecule types\n";
  for (const int count : {kMolecules, kSize, kSize}) {
    for (int t = 0; t < kTypes; ++t) dat << count << ' ';
    dat << "\n";
  }
  for (int t = 0; t < kTypes; ++t) {
    for (int a = 0; a < kSize; ++a) {
      const int b = (a + 1) % kSize;
      dat << kind(a);
      if (t == 0 && a < 3) dat << " 1." << kind(a) << " 1." << kind(a) << "5";
      dat << "\n"
          << index(t, 0, a) << ' ' << index(t, 0, b) << ' ' << index(t, 1, a) << ' '
          << index(t, 1, b) << "\n";
    }
  }
  WriteFileBytes(dir.path() / "big.dat", dat.str());

  // The peak resident size of the largest child this test process waited
  // for: the program, or the shell around it, so an upper bound.
  const auto run = RunIn(dir.path(), FNCPREP_BINARY, "2 big\ny\n");
  rusage usage{};
  ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.err, "");
  ASSERT_GT(usage.ru_maxrss, 0);
  EXPECT_LT(usage.ru_maxrss, 100 * 1024);

  std::string error;
  const auto file = ParseFnc(ReadFileBytes(dir.path() / "big.fnc"), error);
  ASSERT_TRUE(file.has_value()) << error;
  EXPECT_EQ(file->header[3], "      3");
  EXPECT_EQ(file->header[4], "    1.1    1.2    1.3");
  EXPECT_EQ(file->header[5], "   1.15   1.25   1.35");
  EXPECT_EQ(file->header[7], Printf("%7d", kTotal));
  ASSERT_EQ(file->rows.size(), static_cast<std::size_t>(kTotal));
  // Each atom is bonded to the atoms before and after it in its ring.
  for (int t = 0; t < kTypes; ++t) {
    for (int m = 0; m < kMolecules; ++m) {
      for (int a = 0; a < kSize; ++a) {
        const int before = (a + kSize - 1) % kSize;
        const int after = (a + 1) % kSize;
        std::vector<Entry> expected = {{index(t, m, before), kind(before)},
                                       {index(t, m, after), kind(a)}};
        std::sort(expected.begin(), expected.end());
        const FncRow& row = file->rows[index(t, m, a) - 1];
        ASSERT_EQ(row.atom, index(t, m, a));
        ASSERT_EQ(row.entries, expected) << "atom " << index(t, m, a);
      }
    }
  }
}

}  // namespace
