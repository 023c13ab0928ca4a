// Pairs to a depth, their references, kinds split by the tolerance, the
// warnings; and their places in a configuration stored type by type.
#include "topology/pairs.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "fnc/fnc_file.hpp"
#include "structures.hpp"
#include "topology/pair_layout.hpp"

namespace {

using tables::AddMethanol;
using tables::AddResidue;
using tables::AddWater;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// "TYPE: a-b/depth ref kK ..." per type; then "kK A-B/depth [lower, upper] xPAIRS".
std::string Summary(const PairSet& set, const Molecules& molecules, const AtomTypes& types) {
  std::string text;
  for (std::size_t t = 0; t < set.of_type.size(); ++t) {
    text += molecules.types[t].name + ":";
    for (const MoleculePair& pair : set.of_type[t]) {
      text += ' ' + std::to_string(pair.first + 1) + '-' + std::to_string(pair.second + 1) + '/' +
              std::to_string(pair.depth) + ' ' + Number(pair.reference) + (pair.stated ? "*" : "") +
              " k" + std::to_string(pair.kind + 1);
    }
    text += "\n";
  }
  for (std::size_t k = 0; k < set.kinds.size(); ++k) {
    const PairKind& kind = set.kinds[k];
    text += "k" + std::to_string(k + 1) + " " + types.names[kind.first_type] + "-" +
            types.names[kind.second_type] + "/" + std::to_string(kind.depth) + " [" +
            Number(kind.lower) + ", " + Number(kind.upper) + "] x" + std::to_string(kind.pairs) +
            "\n";
  }
  for (const Warning& warning : set.warnings) text += warning.Message() + "\n";
  return text;
}

std::string Pairs(const Structure& structure, const PairOptions& options) {
  const Molecules molecules = MoleculesOfStructure(structure, {"box.pdb", "", 1.2});
  const AtomTypes types = TypesOf(structure, TypeBy::kElement, "box.pdb");
  return Summary(FindPairs(structure, "box.pdb", molecules, types, options), molecules, types);
}

// Carbons on a line, `gaps` apart (angstrom).
Structure Chain(const std::vector<double>& gaps) {
  Structure chain = tables::InUnit("A");
  double x = 0;
  AddResidue(chain, "CHN", 1, {0, 0, 0}, {{"C1", "C", {0, 0, 0}}});
  for (std::size_t i = 0; i < gaps.size(); ++i) {
    AddResidue(chain, "CHN", 1, {x += gaps[i], 0, 0},
               {{"C" + std::to_string(i + 2), "C", {0, 0, 0}}});
  }
  return chain;
}

TEST(Pairs, EveryPairUpToTheDepthByDepthThenAtoms) {
  const Structure chain = Chain({1.5, 1.5, 1.5, 1.5});
  const Tolerance tolerance{0.1, false};
  EXPECT_EQ(Pairs(chain, {1, tolerance, false}),
            "CHN: 1-2/1 1.5 k1 2-3/1 1.5 k1 3-4/1 1.5 k1 4-5/1 1.5 k1\n"
            "k1 C-C/1 [1.4, 1.6] x4\n");
  EXPECT_EQ(Pairs(chain, {2, tolerance, false}),
            "CHN: 1-2/1 1.5 k1 2-3/1 1.5 k1 3-4/1 1.5 k1 4-5/1 1.5 k1 1-3/2 3 k2 2-4/2 3 k2 3-5/2 "
            "3 k2\n"
            "k1 C-C/1 [1.4, 1.6] x4\nk2 C-C/2 [2.9, 3.1] x3\n");
  EXPECT_EQ(Pairs(chain, {3, tolerance, false}),
            "CHN: 1-2/1 1.5 k1 2-3/1 1.5 k1 3-4/1 1.5 k1 4-5/1 1.5 k1 1-3/2 3 k2 2-4/2 3 k2 3-5/2 "
            "3 k2 1-4/3 4.5 k3 2-5/3 4.5 k3\n"
            "k1 C-C/1 [1.4, 1.6] x4\nk2 C-C/2 [2.9, 3.1] x3\nk3 C-C/3 [4.4, 4.6] x2\n");
}

TEST(Pairs, AGroupWiderThanTheToleranceIsSplit) {
  const Structure chain = Chain({1.5, 1.54, 1.62});
  EXPECT_EQ(Pairs(chain, {1, {0.05, false}, false}),
            "CHN: 1-2/1 1.5 k1 2-3/1 1.54 k1 3-4/1 1.62 k2\n"
            "k1 C-C/1 [1.45, 1.59] x2\nk2 C-C/1 [1.57, 1.67] x1\n");
  EXPECT_EQ(Pairs(chain, {1, {0.03, true}, false}),
            "CHN: 1-2/1 1.5 k1 2-3/1 1.54 k1 3-4/1 1.62 k2\n"
            "k1 C-C/1 [1.455, 1.5862] x2\nk2 C-C/1 [1.5714, 1.6686] x1\n");
  EXPECT_EQ(
      Pairs(chain, {1, {0.02, true}, false}),
      "CHN: 1-2/1 1.5 k1 2-3/1 1.54 k2 3-4/1 1.62 k3\n"
      "k1 C-C/1 [1.47, 1.53] x1\nk2 C-C/1 [1.5092, 1.5708] x1\nk3 C-C/1 [1.5876, 1.6524] x1\n");
  EXPECT_EQ(Pairs(chain, {1, {0.2, false}, false}),
            "CHN: 1-2/1 1.5 k1 2-3/1 1.54 k1 3-4/1 1.62 k1\nk1 C-C/1 [1.3, 1.82] x3\n");
}

TEST(Pairs, KindsSharedByTypesNumberedByFirstUse) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  AddMethanol(box, 2, {1, 0, 0});
  AddWater(box, 3, {2, 0, 0});
  EXPECT_EQ(Pairs(box, {1, {0.01, false}, false}),
            "SOL: 1-2/1 0.1 k1 1-3/1 0.1 k1\n"
            "MET: 1-2/1 0.10911 k2 1-3/1 0.108711 k2 1-4/1 0.108711 k2 1-5/1 0.143 k3 5-6/1 "
            "0.0959909 k1\n"
            "k1 O-H/1 [0.0859909, 0.11] x5\nk2 H-C/1 [0.0987106, 0.11911] x3\n"
            "k3 O-C/1 [0.133, 0.153] x1\n");
}

TEST(Pairs, ReferencesAreMeansOrTheTopologysLengths) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  AddWater(box, 2, {1, 0, 0}, 0.105);
  Topology topology;
  topology.types.push_back({"SOL",
                            "w.itp",
                            2,
                            {{"OW", "SOL", 1}, {"HW1", "SOL", 1}, {"HW2", "SOL", 1}},
                            {{0, 1, 0.1}, {0, 2, 0.1}, {1, 2, 0.1633}}});
  topology.molecules.push_back({0, 2, "w.top", 4});
  const Molecules molecules = MoleculesOfTopology(box, topology, {"box.gro", "w.top", 1.2});
  const AtomTypes types = TypesOf(box, TypeBy::kElement, "box.gro");
  const auto pairs = [&](bool stated) {
    return Summary(FindPairs(box, "box.gro", molecules, types, {2, {0.05, true}, stated}),
                   molecules, types);
  };
  EXPECT_EQ(pairs(false),
            "SOL: 1-2/1 0.1 k1 1-3/1 0.1025 k1 2-3/1 0.143211 k2\n"
            "k1 O-H/1 [0.095, 0.107625] x4\nk2 H-H/1 [0.13605, 0.150371] x2\n");
  EXPECT_EQ(pairs(true),
            "SOL: 1-2/1 0.1* k1 1-3/1 0.1* k1 2-3/1 0.1633* k2\n"
            "k1 O-H/1 [0.095, 0.105] x4\nk2 H-H/1 [0.155135, 0.171465] x2\n"
            "box.gro: 2 of the 2 molecules of SOL have a pair farther from its reference than the "
            "tolerance; the farthest: atoms 2 (HW1) and 3 (HW2) of molecule 1, 0.141421 against "
            "0.1633\n");
}

TEST(Pairs, WarnsOfMoleculesFarFromTheReferencesAndOfTypesWithoutPairs) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  AddWater(box, 2, {1, 0, 0});
  AddWater(box, 3, {2, 0, 0}, 0.11);
  AddResidue(box, "NA", 4, {3, 0, 0}, {{"NA", "Na", {0, 0, 0}}});
  AddResidue(box, "AR2", 5, {4, 0, 0}, {{"AR", "Ar", {0, 0, 0}}, {"AR", "Ar", {0.5, 0, 0}}});
  EXPECT_EQ(Pairs(box, {2, {0.005, false}, false}),
            "SOL: 1-2/1 0.1 k1 1-3/1 0.103333 k1 2-3/2 0.143834 k2\nNA:\nAR2:\n"
            "k1 O-H/1 [0.095, 0.108333] x6\nk2 H-H/2 [0.138834, 0.148834] x3\n"
            "box.pdb: the molecules of AR2 have no bonds, so their atoms are left unconstrained\n"
            "box.pdb: 1 of the 3 molecules of SOL have a pair farther from its reference than the "
            "tolerance; the farthest: atoms 7 (OW) and 9 (HW2) of molecule 3, 0.11 against "
            "0.103333\n");
}

// "TYPE xMOLECULES/ATOMS: kK i j i' j' (NAME-NAME depth ref) ..." and the kinds' windows.
std::string Layout(const Structure& structure, bool by_name) {
  const Molecules molecules = MoleculesOfStructure(structure, {"box.gro", "", 1.2});
  const AtomTypes types = TypesOf(structure, by_name ? TypeBy::kName : TypeBy::kElement, "box.gro");
  const PairSet pairs =
      FindPairs(structure, "box.gro", molecules, types, {2, {0.01, false}, false});
  std::string text;
  try {
    const PairList list = LayOutPairs(structure, "box.gro", molecules, types, pairs);
    text = std::to_string(list.atoms) + " atoms\n";
    for (const ListedType& type : list.types) {
      text += type.name + " x" + std::to_string(type.molecules) + "/" + std::to_string(type.atoms) +
              ":";
      for (const ListedPair& p : type.pairs) {
        text += " k" + std::to_string(p.kind) + " " + std::to_string(p.first) + " " +
                std::to_string(p.second) + " " + std::to_string(p.first_next) + " " +
                std::to_string(p.second_next) + " (" + p.first_name + "-" + p.second_name + " " +
                std::to_string(p.depth) + " " + Number(p.reference) + ")";
      }
      text += "\n";
    }
    for (const ListedKind& kind : list.kinds) {
      text += kind.first_type + "-" + kind.second_type + "/" + std::to_string(kind.depth) + " " +
              Number(kind.lower) + " " + Number(kind.upper) + "\n";
    }
  } catch (const LocatedError& error) {
    text = error.what();
  }
  return text;
}

TEST(PairLayout, IndicesInTheFirstTwoMoleculesOfEachType) {
  Structure box = tables::InUnit("nm");
  for (int i = 0; i < 3; ++i) AddWater(box, i + 1, {static_cast<double>(i), 0, 0});
  EXPECT_EQ(Layout(box, false),
            "9 atoms\n"
            "SOL x3/3: k1 1 4 2 6 (SOL OW-SOL HW1 1 0.1) k1 1 5 2 7 (SOL OW-SOL HW2 1 0.1) "
            "k2 4 5 6 7 (SOL HW1-SOL HW2 2 0.141421)\n"
            "O-H/1 0.09 0.11\nH-H/2 0.1314 0.1515\n");
  EXPECT_EQ(Layout(box, true),
            "9 atoms\n"
            "SOL x3/3: k1 1 4 2 5 (SOL OW-SOL HW1 1 0.1) k2 1 7 2 8 (SOL OW-SOL HW2 1 0.1) "
            "k3 4 7 5 8 (SOL HW1-SOL HW2 2 0.141421)\n"
            "OW-HW1/1 0.09 0.11\nOW-HW2/1 0.09 0.11\nHW1-HW2/2 0.1314 0.1515\n");
}

TEST(PairLayout, ALoneMoleculeAndTypesWithoutPairs) {
  Structure box = tables::InUnit("nm");
  AddResidue(box, "NA", 1, {3, 0, 0}, {{"NA", "Na", {0, 0, 0}}});
  AddWater(box, 2, {0, 0, 0});
  EXPECT_EQ(Layout(box, false),
            "4 atoms\n"
            "SOL x1/3: k1 2 3 2 3 (SOL OW-SOL HW1 1 0.1) k1 2 4 2 4 (SOL OW-SOL HW2 1 0.1) "
            "k2 3 4 3 4 (SOL HW1-SOL HW2 2 0.141421)\n"
            "O-H/1 0.09 0.11\nH-H/2 0.1314 0.1515\n");
}

TEST(PairLayout, MoleculesOfATypeThatAreNotLaidOutAlike) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  AddResidue(box, "H", 2, {5, 0, 0}, {{"H", "H", {0, 0, 0}}});
  AddWater(box, 3, {1, 0, 0});
  AddWater(box, 4, {2, 0, 0});
  EXPECT_EQ(Layout(box, false),
            "box.gro: expected the molecules of SOL laid out alike in the configuration, so that "
            "atom HW1 of molecule 3 of the type (atom 9 of the structure) is configuration atom 10 "
            "(the first two molecules' step 3); other molecules with the same atom types lie "
            "between them unevenly, found configuration atom 9");
}

TEST(WindowBound, AsManyDigitsAsSixColumnsHoldRoundedOutwards) {
  const struct {
    double value;
    bool lower;
    const char* bound;
  } cases[] = {{0.0868229, true, "0.0868"}, {0.131527, false, "0.1316"},
               {0.1 + 0.01, false, "0.11"}, {0.09, true, "0.09"},
               {1.234567, true, "1.2345"},  {1.234567, false, "1.2346"},
               {123.4567, false, "123.46"}, {99999.95, false, "100000"},
               {0.0001234, true, "0.0001"}, {0.0001234, false, "0.0002"},
               {1.5e-05, false, "2e-05"},   {1.5e-05, true, "1e-05"},
               {9.999996, false, "10"},     {1234567, false, "2e+06"},
               {-0.02, true, "0"},          {0, false, "0"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Number(WindowBound(c.value, c.lower)), c.bound) << c.value << " " << c.lower;
  }
  std::mt19937_64 random(5);
  for (int i = 0; i < 20000; ++i) {
    const double value = std::ldexp(static_cast<double>(random() >> 11) / 0x1p53,
                                    static_cast<int>(random() % 60) - 30);
    for (const bool lower : {true, false}) {
      const double bound = WindowBound(value, lower);
      ASSERT_LE(Number(bound).size(), 6u) << value;
      ASSERT_TRUE(lower ? bound <= value * (1 + 1e-12) : bound >= value * (1 - 1e-12)) << value;
      ASSERT_LE(std::abs(bound - value), value) << value;
    }
  }
}

}  // namespace
