// Molecules and their types from a topology, from residues and from the bond
// graph; bonds from the topology, the structure and distances; the grid that
// finds bonds against all pairs.
#include "topology/molecules.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "structures.hpp"
#include "topology/bonds.hpp"

namespace {

using tables::AddMethanol;
using tables::AddResidue;
using tables::AddWater;

// "NAME xCOUNT/SIZE: a-b ...; " per type, then each molecule as its type's
// number and its atoms counted from 1.
std::string Summary(const Molecules& molecules) {
  std::string text;
  for (const MoleculeType& type : molecules.types) {
    text += type.name + " x" + std::to_string(type.count) + "/" + std::to_string(type.size) + ":";
    for (const Bond& bond : type.bonds) {
      text += ' ' + std::to_string(bond.first + 1) + '-' + std::to_string(bond.second + 1);
      if (bond.length) text += '(' + std::to_string(*bond.length).substr(0, 6) + ')';
    }
    text += "; ";
  }
  for (std::size_t m = 0; m < molecules.type.size(); ++m) {
    text += std::to_string(molecules.type[m] + 1) + "[";
    for (const int atom : molecules.AtomsOf(m)) text += ' ' + std::to_string(atom + 1);
    text += " ]";
  }
  return text;
}

std::string Warnings(const Molecules& molecules) {
  std::string text;
  for (const Warning& warning : molecules.warnings) text += warning.Message() + "\n";
  return text;
}

const MoleculeSources kSources{"box.gro", "box.top", 1.2};

TEST(Molecules, ResiduesMakeMoleculesAndTypesBondsByDistance) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  AddMethanol(box, 2, {1, 0, 0});
  AddWater(box, 3, {0, 1, 0});
  AddWater(box, 3, {0, 2, 0});  // the same number in another chain: another molecule
  for (std::size_t i = 9; i < 12; ++i) box.atoms[i].chain = "B";
  AddResidue(box, "SOL", 4, {2, 2, 2}, {{"OW", "O", {0, 0, 0}}, {"HW", "H", {0.1, 0, 0}}});
  AddResidue(box, "NA", 4, {3, 3, 3}, {{"NA", "Na", {0, 0, 0}}});
  const Molecules molecules = MoleculesOfStructure(box, kSources);
  EXPECT_EQ(Summary(molecules),
            "SOL x3/3: 1-2 1-3; MET x1/6: 1-2 1-3 1-4 1-5 5-6; SOL(2) x1/2: 1-2; NA x1/1:; "
            "1[ 1 2 3 ]2[ 4 5 6 7 8 9 ]1[ 10 11 12 ]1[ 13 14 15 ]3[ 16 17 ]4[ 18 ]");
  EXPECT_EQ(Warnings(molecules), "");
}

TEST(Molecules, ALargeMoleculeThroughTheGrid) {
  Structure chain = tables::InUnit("A");  // 100 carbons in a zigzag, one residue
  for (int i = 0; i < 100; ++i) {
    std::string name = "C";
    name += std::to_string(i + 1);
    AddResidue(chain, "PE", 1, {1.25 * i, i % 2 * 0.8, 0}, {{name, "C", {0, 0, 0}}});
  }
  chain.cell = Cell{{{200, 0, 0}, {0, 200, 0}, {0, 0, 200}}};
  const Molecules molecules = MoleculesOfStructure(chain, kSources);
  ASSERT_EQ(molecules.types.size(), 1u);
  std::vector<std::pair<int, int>> bonds, expected;
  for (const Bond& bond : molecules.types[0].bonds) bonds.emplace_back(bond.first, bond.second);
  for (int i = 0; i + 1 < 100; ++i) expected.emplace_back(i, i + 1);
  EXPECT_EQ(bonds, expected);
}

TEST(Molecules, MinimumImageAcrossTheCell) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0.95, 0.5, 0.5});  // HW1 at 1.05 lies at 0.05 in a cell of 1 nm
  box.atoms[1].position[0] = 0.05;
  box.cell = Cell{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  EXPECT_EQ(Summary(MoleculesOfStructure(box, kSources)), "SOL x1/3: 1-2 1-3; 1[ 1 2 3 ]");
  box.cell = std::nullopt;
  EXPECT_EQ(Summary(MoleculesOfStructure(box, kSources)), "SOL x1/3: 1-3; 1[ 1 2 3 ]");
}

TEST(Molecules, MostMoleculesOfATypeGiveItsBondsTheOthersAreNamed) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0}, 0.2);  // HW2 too far to be bonded
  for (int i = 2; i <= 4; ++i) AddWater(box, i, {static_cast<double>(i), 0, 0});
  AddWater(box, 5, {9, 0, 0}, 0.3);
  const Molecules molecules = MoleculesOfStructure(box, kSources);
  EXPECT_EQ(Summary(molecules).substr(0, 15), "SOL x5/3: 1-2 1");
  EXPECT_EQ(Warnings(molecules),
            "box.gro: 2 of the 5 molecules of SOL have other bonds than most of them, whose bonds "
            "are used for all; the first: molecule 1 from atom 1 (OW)\n");
}

TEST(Molecules, StatedBondsWithinMoleculesThoseJoiningTwoAndTypesStatingNone) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  AddWater(box, 2, {1, 0, 0});
  AddMethanol(box, 3, {2, 0, 0});  // states no bonds: by distance
  box.bonds = {{1, 0}, {0, 2}, {2, 0}, {4, 3}, {3, 5}, {2, 3}, {1, 2}, {4, 5}};
  const Molecules molecules = MoleculesOfStructure(box, kSources);
  EXPECT_EQ(Summary(molecules),
            "SOL x2/3: 1-2 1-3 2-3; MET x1/6: 1-2 1-3 1-4 1-5 5-6; "
            "1[ 1 2 3 ]1[ 4 5 6 ]2[ 7 8 9 10 11 12 ]");
  EXPECT_EQ(Warnings(molecules),
            "box.gro: 1 bonds join two molecules and are left out; the first: atom 3 (HW2) and "
            "atom 4 (OW)\n");
}

// An XYZ file: no residues; species as names and elements.
Structure Interleaved() {
  Structure xyz = tables::InUnit("A");
  const auto add = [&](const char* element, Position at) {
    xyz.atoms.push_back({element, element, "", 0, "", at});
  };
  add("O", {0, 0, 0});
  add("C", {5, 0, 0});
  add("H", {0.96, 0, 0});
  add("H", {5, 1.09, 0});
  add("H", {0, 0.96, 0});
  add("H", {5, -1.09, 0});
  add("H", {6.09, 0, 0});
  add("H", {3.91, 0, 0});
  add("H", {10.96, 0, 0});  // the same formula as the first water, its atoms in another order
  add("O", {10, 0, 0});
  add("H", {10, 0.96, 0});
  return xyz;
}

TEST(Molecules, ConnectedPartsOfTheBondGraphWithoutResidues) {
  const Molecules molecules = MoleculesOfStructure(Interleaved(), kSources);
  EXPECT_EQ(Summary(molecules),
            "H2O x1/3: 1-2 1-3; CH4 x1/5: 1-2 1-3 1-4 1-5; H2O(2) x1/3: 1-2 2-3; "
            "1[ 1 3 5 ]2[ 2 4 6 7 8 ]3[ 9 10 11 ]");
  Structure twice = Interleaved();  // a cell of 20 Angstrom: the same parts
  twice.cell = Cell{{{20, 0, 0}, {0, 20, 0}, {0, 0, 20}}};
  EXPECT_EQ(Summary(MoleculesOfStructure(twice, kSources)), Summary(molecules));
}

Topology WaterAndMethanol(std::vector<TopologyMolecules> listed) {
  Topology topology;
  topology.types.push_back({"SOL",
                            "water.itp",
                            2,
                            {{"OW", "SOL", 1}, {"HW1", "SOL", 1}, {"HW2", "SOL", 1}},
                            {{0, 1, 0.1}, {0, 2, 0.1}, {2, 1, 0.1633}}});
  topology.types.push_back({"MET",
                            "met.itp",
                            3,
                            {{"C", "MET", 1},
                             {"H1", "MET", 1},
                             {"H2", "MET", 1},
                             {"H3", "MET", 1},
                             {"O", "MET", 1},
                             {"HO", "MET", 1}},
                            {{0, 4, 0.143}, {0, 1, {}}, {4, 5, {}}, {1, 0, 0.109}}});
  topology.molecules = std::move(listed);
  return topology;
}

struct TopologyCase {
  const char* name;
  std::vector<TopologyMolecules> listed;
  std::string expected;  // summary and warnings, or the message
};

TEST(Molecules, FromATopology) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  AddMethanol(box, 2, {1, 0, 0});
  AddWater(box, 3, {2, 0, 0});
  const std::vector<TopologyCase> cases = {
      {"in order, with the topology's bonds",
       {{0, 1, "box.top", 7}, {1, 1, "box.top", 8}, {0, 1, "box.top", 9}},
       "SOL x2/3: 1-2(0.1000) 1-3(0.1000) 2-3(0.1633); MET x1/6: 1-2(0.1090) 1-5(0.1430) 5-6; "
       "1[ 1 2 3 ]2[ 4 5 6 7 8 9 ]1[ 10 11 12 ]"},
      {"matched by atom names without [ molecules ]", {}, "same"},
      {"too many molecules",
       {{0, 1, "box.top", 7}, {1, 2, "box.top", 8}},
       "box.top:8: expected 2 molecules of MET (6 atoms each) from atom 4 of box.gro on, found "
       "only 9 atoms left"},
      {"too few",
       {{0, 1, "box.top", 7}, {1, 1, "box.top", 8}},
       "box.top:8: expected molecules for all 12 atoms of box.gro, found molecules for 9 atoms"},
      {"wrong order",
       {{1, 1, "box.top", 7}, {0, 2, "box.top", 8}},
       "MET x1/6: 1-2(0.1090) 1-5(0.1430) 5-6; SOL x2/3: 1-2(0.1000) 1-3(0.1000) 2-3(0.1633); "
       "1[ 1 2 3 4 5 6 ]2[ 7 8 9 ]2[ 10 11 12 ]\n"
       "box.gro: 9 atoms are named otherwise than in box.top; the first: atom 1 (OW) where MET "
       "has C\n"
       "box.gro: the residues break 2 molecules of box.top; the first: molecule 1 (MET) at atom 4 "
       "(C)\n"},
  };
  for (const TopologyCase& c : cases) {
    std::string got;
    try {
      const Molecules molecules = MoleculesOfTopology(box, WaterAndMethanol(c.listed), kSources);
      got = Summary(molecules);
      if (!molecules.warnings.empty()) got += "\n" + Warnings(molecules);
    } catch (const LocatedError& error) {
      got = error.what();
    }
    EXPECT_EQ(got, c.expected == "same" ? cases[0].expected : c.expected) << c.name;
  }
}

TEST(Molecules, NamesThatStartNoMoleculeOfTheTopology) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  box.atoms[2].name = "HW3";
  try {
    MoleculesOfTopology(box, WaterAndMethanol({}), kSources);
    FAIL();
  } catch (const LocatedError& error) {
    EXPECT_STREQ(error.what(),
                 "box.gro: expected a molecule of box.top at atom 1 (OW) (none is listed under [ "
                 "molecules ]; the types start with OW, C), found atom names that match none");
  }
}

TEST(Molecules, ResiduesThatCutATopologyMoleculeInTwo) {
  Structure box = tables::InUnit("nm");
  AddWater(box, 1, {0, 0, 0});
  AddWater(box, 2, {1, 0, 0});
  box.atoms[5].residue_number = 3;
  const Molecules molecules =
      MoleculesOfTopology(box, WaterAndMethanol({{0, 2, "box.top", 7}}), kSources);
  EXPECT_EQ(Warnings(molecules),
            "box.gro: the residues break 1 molecules of box.top; the first: molecule 2 (SOL) at "
            "atom 6 (HW2)\n");
}

TEST(Bonds, TheGridFindsWhatAllPairsFind) {
  std::mt19937 random(11);
  const char* const elements[] = {"H", "C", "N", "O", "S"};
  for (int trial = 0; trial < 60; ++trial) {
    Structure structure = tables::InUnit("A");
    const double edge = 2 + random() % 112 / 4.0;
    const bool periodic = trial % 2 == 0;
    const int atoms = 1 + static_cast<int>(random() % 300);
    std::uniform_real_distribution<double> place(periodic ? -edge : 0, periodic ? 2 * edge : edge);
    for (int i = 0; i < atoms; ++i) {
      const char* element = elements[random() % 5];
      structure.atoms.push_back(
          {element, element, "", 0, "", {place(random), place(random), place(random)}});
    }
    if (periodic) structure.cell = Cell{{{edge, 0, 0}, {0, edge, 0}, {0, 0, edge}}};
    const Box box(structure.cell, "x.xyz", 0);
    const std::vector<double> radii = CovalentRadii(structure, "x.xyz");
    const double factor = 1 + trial % 5 * 0.5;
    std::vector<std::pair<int, int>> all_pairs;
    for (std::size_t i = 0; i < structure.atoms.size(); ++i) {
      for (std::size_t j = i + 1; j < structure.atoms.size(); ++j) {
        if (box.Distance(structure.atoms[i].position, structure.atoms[j].position) <
            factor * (radii[i] + radii[j])) {
          all_pairs.emplace_back(static_cast<int>(i), static_cast<int>(j));
        }
      }
    }
    ASSERT_EQ(BondsByDistance(structure, box, radii, factor), all_pairs) << trial;
  }
}

TEST(Bonds, CellsAndElementsRefused) {
  const auto message = [](auto run) {
    try {
      run();
    } catch (const LocatedError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([] {
              Box(Cell{{{1, 0, 0}, {0.5, 1, 0}, {0, 0, 1}}}, "a.pdb", 2);
            }),
            "a.pdb:2: the cell's edges are not along the axes");
  EXPECT_EQ(message([] {
              Box(Cell{{{1, 0, 0}, {0, 0, 0}, {0, 0, 1}}}, "a.pdb", 2);
            }),
            "a.pdb:2: the cell has an edge that is not positive");
  Structure unknown = tables::InUnit("A");
  AddResidue(unknown, "X", 1, {0, 0, 0}, {{"C", "C", {0, 0, 0}}, {"Q", "", {1, 0, 0}}});
  EXPECT_EQ(message([&] { CovalentRadii(unknown, "a.pdb"); }),
            "a.pdb: atom 2 (Q) has no known element, so its bonds cannot be found by distance");
}

}  // namespace
