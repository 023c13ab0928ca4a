// Mode 2 after the pair list: the per-type patterns (their printout, order,
// consistency errors and neighbour counts) and their repetition over every
// molecule into the constraint set.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fnc/fnc.hpp"
#include "support/console_capture.hpp"
#include "support/models.hpp"
#include "support/text.hpp"

namespace {

using namespace testing_support;

// Reads a pair list that is known to be valid and assembles its patterns.
void Assemble(const std::string& pair_list) {
  std::istringstream in(pair_list);
  ASSERT_EQ(FNC::GetFNCParams2(in), 1);
  FNC::AssemblePatterns();
}

// Six atoms, one type of two molecules with three atoms and two pairs.
const std::string kWorkedExample = "6\n1\n2\n3\n2\n1 1.0 1.2\n1 3 2 4\n2 1.4 1.6\n3 5 4 6\n";
const std::string kWorkedPattern = PatternHeader() + PatternSlot(1, 1, {3}, {1}) +
                                   PatternSlot(3, 1, {1, 5}, {1, 2}) + PatternSlot(5, 1, {3}, {2});

TEST(PatternsTest, WorkedExampleState) {
  ConsoleCapture console;
  Assemble(kWorkedExample);
  EXPECT_EQ(FNC::covered, (std::vector<int>{1, 1, 1, 1, 1, 1}));
  ASSERT_EQ(FNC::patsize.size(), 2u);
  EXPECT_EQ(FNC::patsize[0], 3);
}

// Assembles and expands `pair_list`: the printout of the patterns, the
// neighbour count of every atom, and the constraint set (0-based): row i is
// atom i, its entries follow those of the rows before it.
void CheckExpansion(const std::string& pair_list, const std::string& printout,
                    const std::vector<int>& ncoord, const std::vector<int>& neighbours,
                    const std::vector<int>& kinds) {
  SCOPED_TRACE(pair_list);
  ConsoleCapture console;
  Assemble(pair_list);
  EXPECT_EQ(console.out(), printout);
  EXPECT_EQ(FNC::ncoord, ncoord);
  EXPECT_EQ(FNC::nentries, static_cast<int>(neighbours.size()));
  FNC set;
  set.ExpandPatterns();
  std::vector<int> rows(ncoord.size()), starts(ncoord.size());
  std::iota(rows.begin(), rows.end(), 0);
  std::exclusive_scan(ncoord.begin(), ncoord.end(), starts.begin(), 0);
  EXPECT_EQ(set.centralindex, rows);
  EXPECT_EQ(set.liststart, starts);
  EXPECT_EQ(set.neighbours, neighbours);
  EXPECT_EQ(set.constrainttype, kinds);
  // Without any pair no kind is named, which the constructor notes.
  const std::string notice =
      "\n****WARNING****\nFNC constructor\n"
      "There are no coordination constraints, or nconstraints was not initialised!\n";
  EXPECT_EQ(console.out(),
            printout + (neighbours.empty() ? notice : "") + "FNC object is created\n");
  EXPECT_EQ(console.err(), "");
}

TEST(PatternsTest, PrintoutCountsAndExpansion) {
  CheckExpansion(kWorkedExample, kWorkedPattern, {1, 1, 2, 2, 1, 1}, {2, 3, 0, 4, 1, 5, 2, 3},
                 {0, 0, 0, 1, 0, 1, 1, 1});
  // An atom that no pattern reaches.
  CheckExpansion("7" + kWorkedExample.substr(1), kWorkedPattern + UnconstrainedText(1),
                 {1, 1, 2, 2, 1, 1, 0}, {2, 3, 0, 4, 1, 5, 2, 3}, {0, 0, 0, 1, 0, 1, 1, 1});
  // Pairs (5,3) kind 1, (3,1) kind 2, (1,5) kind 3 open the slots as 5, 3, 1
  // with the neighbours 5:[3/1, 1/3], 3:[5/1, 1/2], 1:[3/2, 5/3]
  // (neighbour/kind). Ordered, the slots read 1, 3, 5, each neighbour row by
  // index with its kind; atom 2 (molecule 2's first) pairs with 4 and 6.
  CheckExpansion("6\n1\n2\n3\n3\n1 1.0 1.1\n5 3 6 4\n2 2.0 2.2\n3 1 4 2\n3 3.0 3.3\n1 5 2 6\n",
                 PatternHeader() + PatternSlot(1, 1, {3, 5}, {2, 3}) +
                     PatternSlot(3, 1, {1, 5}, {2, 1}) + PatternSlot(5, 1, {1, 3}, {3, 1}),
                 {2, 2, 2, 2, 2, 2}, {2, 4, 3, 5, 0, 4, 1, 5, 0, 2, 1, 3},
                 {1, 2, 1, 2, 1, 0, 1, 0, 2, 0, 2, 0});
  // Only the constrained atoms of a molecule are printed.
  CheckExpansion("10\n1\n2\n5\n1\n1 1.0 1.2\n4 2 9 7\n",
                 PatternHeader() + PatternSlot(2, 5, {4}, {1}) + PatternSlot(4, 5, {2}, {1}) +
                     UnconstrainedText(6),
                 {0, 1, 0, 1, 0, 0, 1, 0, 1, 0}, {3, 1, 8, 6}, {0, 0, 0, 0});
  // The first type has no molecules: its pattern is printed but reaches no
  // atom, so it cannot clash with the second type's atoms 1 and 2.
  CheckExpansion("3\n2\n0 1\n2 2\n1 1\n1 1.0 1.2\n1 2 3 4\n1\n1 2 2 3\n",
                 PatternHeader() + PatternSlot(1, 2, {2}, {1}) + PatternSlot(2, 2, {1}, {1}) +
                     PatternHeader() + PatternSlot(1, 1, {2}, {1}) + PatternSlot(2, 1, {1}, {1}) +
                     UnconstrainedText(1),
                 {1, 1, 0}, {1, 0}, {0, 0});
  // A pair listed twice enters its neighbours twice.
  CheckExpansion(
      "4\n1\n2\n2\n2\n1 1.0 1.2\n1 2 3 4\n1\n1 2 3 4\n",
      PatternHeader() + PatternSlot(1, 2, {2, 2}, {1, 1}) + PatternSlot(2, 2, {1, 1}, {1, 1}),
      {2, 2, 2, 2}, {1, 1, 0, 0, 3, 3, 2, 2}, {0, 0, 0, 0, 0, 0, 0, 0});
  // No molecule types leave every atom unconstrained, a single one too.
  CheckExpansion("4\n0\n\n\n\n", UnconstrainedText(4), {0, 0, 0, 0}, {}, {});
  CheckExpansion("1\n0\n\n\n\n", UnconstrainedText(1), {0}, {}, {});
}

// Central atom 1 moves by 1, its neighbour 5325 by 2: in the second molecule
// atom 2 pairs with atom 5327.
TEST(PatternsTest, EachNeighbourMovesByItsOwnStep) {
  ConsoleCapture console;
  Assemble("5327\n1\n2\n2\n1\n1 1.0 1.2\n1 5325 2 5327\n");
  EXPECT_EQ(console.out(), PatternHeader() + PatternSlot(1, 1, {5325}, {1}) +
                               PatternSlot(5325, 2, {1}, {1}) + UnconstrainedText(5327 - 4));
  EXPECT_EQ(FNC::nentries, 4);

  FNC set;
  set.ExpandPatterns();
  const auto entry = [&set](int atom) {
    return std::make_pair(set.neighbours[set.liststart[atom - 1]],
                          set.constrainttype[set.liststart[atom - 1]]);
  };
  EXPECT_EQ(entry(1), std::make_pair(5324, 0));
  EXPECT_EQ(entry(2), std::make_pair(5326, 0));
  EXPECT_EQ(entry(5325), std::make_pair(0, 0));
  EXPECT_EQ(entry(5327), std::make_pair(1, 0));
  EXPECT_EQ(set.liststart[1], 1);
  EXPECT_EQ(set.liststart[5326], 3);
  EXPECT_EQ(FNC::ncoord[2], 0);
  EXPECT_EQ(FNC::ncoord[5325], 0);
}

// The positions of `keys` in the order that the gap sort's exchanges leave.
std::vector<int> GapSortOrder(const std::vector<int>& keys, bool finish = true) {
  std::vector<int> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  ApplyExchanges(RunGapSortModel(keys, finish).exchanges, order);
  return order;
}

// Central atom 1 gets eight neighbours, four times atom 2 and four times atom
// 3, each pair with its own kind. The order among equal neighbours is the one
// the exchanges of the gap sort leave, which here is not the file order.
TEST(PatternsTest, EqualNeighboursKeepTheGapSortExchangeOrder) {
  const std::vector<int> partners = {3, 3, 2, 3, 2, 2, 3, 2};
  std::string pair_list = "3\n1\n1\n3\n8\n";
  for (std::size_t k = 0; k < partners.size(); ++k) {
    const std::string kind = std::to_string(k + 1);
    const int partner = partners[k];
    pair_list += kind + " " + kind + ".0 " + kind + ".5\n1 " + std::to_string(partner) + " 4 " +
                 std::to_string(partner + 3) + "\n";
  }
  std::vector<long> sorted_partners, kinds_of_atom_1;
  for (const int position : GapSortOrder(partners)) {
    sorted_partners.push_back(partners[position]);
    kinds_of_atom_1.push_back(position + 1);
  }
  // Worked out separately from the gaps 6, 4, 3, 2, 2, 1, 1, 1.
  ASSERT_EQ(kinds_of_atom_1, (std::vector<long>{5, 8, 3, 6, 1, 4, 7, 2}));
  ASSERT_EQ(sorted_partners, (std::vector<long>{2, 2, 2, 2, 3, 3, 3, 3}));

  ConsoleCapture console;
  Assemble(pair_list);
  // Atoms 2 and 3 have only atom 1 as neighbour: nothing moves, file order.
  EXPECT_EQ(console.out(), PatternHeader() + PatternSlot(1, 3, sorted_partners, kinds_of_atom_1) +
                               PatternSlot(2, 3, {1, 1, 1, 1}, {3, 5, 6, 8}) +
                               PatternSlot(3, 3, {1, 1, 1, 1}, {1, 2, 4, 7}));
  FNC set;
  set.ExpandPatterns();
  std::vector<long> kinds(set.constrainttype.begin(), set.constrainttype.begin() + 8);
  for (long& kind : kinds) ++kind;
  EXPECT_EQ(kinds, kinds_of_atom_1);
}

// 46 central atoms opened in an order that the fixed gap sequence does not
// sort; the printed pattern must still list them in ascending order.
TEST(PatternsTest, ManySlotsAreFullyOrdered) {
  const int n = 46;
  std::vector<int> opening(n);
  std::iota(opening.begin(), opening.end(), 1);
  Lcg(40).Shuffle(opening);
  std::vector<int> after_fixed_sequence;
  for (const int position : GapSortOrder(opening, false)) {
    after_fixed_sequence.push_back(opening[position]);
  }
  ASSERT_FALSE(std::is_sorted(after_fixed_sequence.begin(), after_fixed_sequence.end()));

  // Atoms opening[2p] and opening[2p+1] form pair p; molecule 2 is 46 further on.
  std::string pair_list =
      std::to_string(2 * n) + "\n1\n2\n" + std::to_string(n) + "\n" + std::to_string(n / 2) + "\n";
  std::vector<long> partner(n + 1);
  for (int p = 0; p < n / 2; ++p) {
    const int a = opening[2 * p];
    const int b = opening[2 * p + 1];
    partner[a] = b;
    partner[b] = a;
    pair_list += (p == 0 ? "1 1.0 1.2\n" : "1\n") + std::to_string(a) + " " + std::to_string(b) +
                 " " + std::to_string(a + n) + " " + std::to_string(b + n) + "\n";
  }
  std::string expected = PatternHeader();
  for (int atom = 1; atom <= n; ++atom) expected += PatternSlot(atom, n, {partner[atom]}, {1});

  ConsoleCapture console;
  Assemble(pair_list);
  EXPECT_EQ(console.out(), expected);
}

// ---- Errors: each prints its lines, then the stop.

struct Failure {
  const char* name;
  std::string pair_list;
  std::string out;
};

const std::vector<Failure> kFailures = {
    {"offset error for the first atom of a pair",
     "10\n1\n2\n3\n2\n1 1.0 1.2\n1 2 2 3\n1\n1 3 3 4\n",
     "ERROR! The offset for central atom 1 is 2\n"
     ", and it is not the same value previously given for this central atom 1\n"
     "Correct the parameter file, cannot continue this way, exiting...\n"},
    {"offset error for the second atom of a pair",
     "10\n1\n2\n3\n2\n1 1.0 1.2\n1 2 2 3\n1\n3 2 4 5\n",
     "ERROR! The offset for central atom 2 is 3\n"
     ", and it is not the same value previously given for this central atom 1\n"
     "Correct the parameter file, cannot continue this way, exiting...\n"},
    // Slots 3 then 1; the pair (1,3) gives both a new step. The search meets
    // the slot of atom 3 first.
    {"first offset mismatch in slot order", "10\n1\n2\n3\n2\n1 1.0 1.2\n3 1 4 2\n1\n1 3 3 5\n",
     "ERROR! The offset for central atom 3 is 2\n"
     ", and it is not the same value previously given for this central atom 1\n"
     "Correct the parameter file, cannot continue this way, exiting...\n"},
    // The first type is fine and printed; the second names a third atom.
    {"too many atoms in the second type",
     "20\n2\n1 1\n2 2\n1 2\n1 1.0 1.2\n1 2 1 2\n1\n5 6 5 6\n1\n6 7 6 7\n",
     PatternHeader() + PatternSlot(1, 0, {2}, {1}) + PatternSlot(2, 0, {1}, {1}) +
         "ERROR! There seems to be more different atom indices given for the 2 molecule\n"
         "(index start with 1) than the number of atoms in the molecule, which is 2\n"
         "Check the parameter file! Cannot continue, exiting...\n"},
    {"too many atoms from the first atom of a pair",
     "20\n1\n1\n2\n2\n1 1.0 1.2\n5 6 5 6\n1\n7 6 7 6\n",
     "ERROR! There seems to be more different atom indices given for the 1 molecule\n"
     "(index start with 1) than the number of atoms in the molecule, which is 2\n"
     "Check the parameter file! Cannot continue, exiting...\n"},
    {"index beyond the atoms", "5\n1\n2\n3\n2\n1 1.0 1.2\n1 3 2 4\n2 1.4 1.6\n3 5 4 6\n",
     kWorkedPattern + "Error! The index of atom 6 is greater,than the total number of "
                      "atoms (5)\n"},
    // Atom 1 moves by 10 and atom 3 by 6: in the second molecule both lie
    // beyond 8 atoms, and atom 1's slot comes first in the loop.
    {"first index beyond the atoms in loop order", "8\n1\n2\n3\n1\n1 1.0 1.2\n1 3 11 9\n",
     PatternHeader() + PatternSlot(1, 10, {3}, {1}) + PatternSlot(3, 6, {1}, {1}) +
         "Error! The index of atom 11 is greater,than the total number of atoms (8)\n"},
    {"huge index step", "10\n1\n2\n2\n1\n1 1.0 1.2\n5 6 2147483647 7\n",
     PatternHeader() + PatternSlot(5, 2147483642, {6}, {1}) + PatternSlot(6, 1, {5}, {1}) +
         "Error! The index of atom 2147483647 is greater,than the total number of atoms (10)\n"},
    {"huge molecule count", "10\n1\n2147483647\n2\n1\n1 1.0 1.2\n1 2 2 3\n",
     PatternHeader() + PatternSlot(1, 1, {2}, {1}) + PatternSlot(2, 1, {1}, {1}) +
         "Error! The index of atom 11 is greater,than the total number of atoms (10)\n"},
    {"negative step reaches below 1", "4\n1\n2\n2\n1\n1 1.0 1.2\n1 2 -1 0\n",
     PatternHeader() + PatternSlot(1, -2, {2}, {1}) + PatternSlot(2, -2, {1}, {1}) +
         "Error! The index of atom -1 is less than 1\n"},
    {"most negative step", "20\n1\n2\n2\n1\n1 1.0 1.2\n10 11 -2147483638 12\n",
     PatternHeader() + PatternSlot(10, -2147483647 - 1, {11}, {1}) + PatternSlot(11, 1, {10}, {1}) +
         "Error! The index of atom -2147483638 is less than 1\n"},
    {"index 0 in the file", "4\n1\n2\n2\n1\n1 1.0 1.2\n0 1 2 3\n",
     PatternHeader() + PatternSlot(0, 2, {1}, {1}) + PatternSlot(1, 2, {0}, {1}) +
         "Error! The index of atom 0 is less than 1\n"},
    // Type 1 covers atoms 1 to 4. Type 2 has atom 4 (step 1) and atom 7
    // (step -4): it reaches 4 first, then 3; the lowest shared atom is 3.
    {"overlap of two types", "10\n2\n2 2\n2 2\n1 1\n1 1.0 1.2\n1 2 3 4\n1\n4 7 5 3\n",
     PatternHeader() + PatternSlot(1, 2, {2}, {1}) + PatternSlot(2, 2, {1}, {1}) + PatternHeader() +
         PatternSlot(4, 1, {7}, {1}) + PatternSlot(7, -4, {4}, {1}) +
         "Error! More fnc constraint was specified for the same atom (3!\n"
         "Most probably the atom indices overlap betwwen two different molecule type! Cannot "
         "proceed, exiting...\n"},
    // An atom paired with itself opens two slots for itself and so reaches
    // itself twice.
    {"atom paired with itself", "4\n1\n2\n2\n1\n1 1.0 1.2\n1 1 3 3\n",
     PatternHeader() + PatternSlot(1, 2, {1}, {1}) + PatternSlot(1, 2, {1}, {1}) +
         "Error! More fnc constraint was specified for the same atom (1!\n"
         "Most probably the atom indices overlap betwwen two different molecule type! Cannot "
         "proceed, exiting...\n"},
    {"atom paired with itself in a one-atom molecule", "4\n1\n2\n1\n1\n1 1.0 1.2\n1 1 3 3\n",
     "ERROR! There seems to be more different atom indices given for the 1 molecule\n"
     "(index start with 1) than the number of atoms in the molecule, which is 1\n"
     "Check the parameter file! Cannot continue, exiting...\n"},
};

TEST(PatternsTest, ErrorsPrintTheirLinesAndStop) {
  for (const Failure& failure : kFailures) {
    SCOPED_TRACE(failure.name);
    ConsoleCapture console;
    std::istringstream in(failure.pair_list);
    ASSERT_EQ(FNC::GetFNCParams2(in), 1);
    EXPECT_FATAL_STOP(FNC::AssemblePatterns());
    EXPECT_EQ(console.out(), failure.out);
    EXPECT_EQ(console.err(), kQuit);
  }
}

TEST(PatternsTest, LargeSystemExpandsEveryMolecule) {
  // 30000 three-atom molecules stored by element (the centres first, then
  // two partners per molecule) and 7 unconstrained atoms. Every row must
  // hold exactly its molecule's partners with their kinds.
  constexpr int kMolecules = 30000;
  constexpr int kAtoms = 3 * kMolecules + 7;
  const auto partner = [](int m, int which) { return kMolecules + 2 * m + which; };  // 1-based
  std::ostringstream list;
  list << kAtoms << "\n1\n" << kMolecules << "\n3\n3\n";
  list << "1 1.0 1.2\n1 " << partner(0, 1) << " 2 " << partner(1, 1) << "\n";
  list << "1 9 9\n1 " << partner(0, 2) << " 2 " << partner(1, 2) << "\n";
  list << "2 1.5 1.7\n"
       << partner(0, 1) << ' ' << partner(0, 2) << ' ' << partner(1, 1) << ' ' << partner(1, 2)
       << "\n";
  ConsoleCapture console;
  Assemble(list.str());
  ASSERT_EQ(FNC::nentries, 6 * kMolecules);
  FNC set;
  set.ExpandPatterns();
  // The expected entries of each atom, 0-based, as (neighbour, kind).
  std::vector<std::vector<std::pair<int, int>>> expected(kAtoms);
  for (int m = 0; m < kMolecules; ++m) {
    const int centre = m, first = partner(m, 1) - 1, second = partner(m, 2) - 1;
    expected[centre] = {{first, 0}, {second, 0}};
    expected[first] = {{centre, 0}, {second, 1}};
    expected[second] = {{centre, 0}, {first, 1}};
  }
  long wrong = 0;
  for (int i = 0; i < kAtoms; ++i) {
    ASSERT_EQ(set.centralindex[i], i);
    ASSERT_EQ(FNC::ncoord[i], static_cast<int>(expected[i].size())) << "atom " << i;
    std::vector<std::pair<int, int>> got;
    for (int e = 0; e < FNC::ncoord[i]; ++e) {
      got.emplace_back(set.neighbours[set.liststart[i] + e],
                       set.constrainttype[set.liststart[i] + e]);
    }
    std::sort(got.begin(), got.end());
    std::sort(expected[i].begin(), expected[i].end());
    if (got != expected[i] && ++wrong <= 5) ADD_FAILURE() << "atom " << i;
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
