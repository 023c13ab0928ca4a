// Construction and destruction of configuration objects from the class-wide
// layout: their messages, their size and their per-type pointers.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "support/console_capture.hpp"

namespace {

using testing_support::ConsoleCapture;

const char* const kEmptyObject =
    "The number of atoms for the SimpleCfg object is 0, empty object will be created!\n";
const char* const kDestructor = "SimpleCfg destructor\n";

void SetLayout(const std::vector<int>& ni, const std::vector<int>& typestart) {
  SimpleCfg::ntypes = static_cast<int>(ni.size());
  SimpleCfg::ni = ni;
  SimpleCfg::typestart = typestart;
  SimpleCfg::natoms = typestart.back();
}

TEST(SimpleCfgObject, EmptyBeforeAnyLayout) {
  ConsoleCapture console;
  {
    SimpleCfg cfg;
    EXPECT_EQ(console.out(), kEmptyObject);
    EXPECT_EQ(cfg.size(), 0);
    EXPECT_EQ(cfg.typecount(), 0);
    EXPECT_TRUE(cfg.typeptr.empty());
  }
  EXPECT_EQ(console.out(), std::string(kEmptyObject) + kDestructor);
  EXPECT_EQ(console.err(), "");
}

TEST(SimpleCfgObject, TwoEmptyObjectsAsInAPairListRun) {
  ConsoleCapture console;
  {
    SimpleCfg input;
    SimpleCfg output;
  }
  EXPECT_EQ(console.out(), std::string(kEmptyObject) + kEmptyObject + kDestructor + kDestructor);
}

TEST(SimpleCfgObject, PresentLayoutWithoutAtomsIsQuiet) {
  ConsoleCapture console;
  SetLayout({0}, {0, 0});
  {
    SimpleCfg cfg;
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(cfg.size(), 0);
    EXPECT_EQ(cfg.typecount(), 1);
  }
  EXPECT_EQ(console.out(), kDestructor);
}

TEST(SimpleCfgObject, TypePointersFollowTheTypeStarts) {
  ConsoleCapture console;
  SetLayout({2, 3}, {0, 2, 5});
  SimpleCfg cfg;
  EXPECT_EQ(console.out(), "");
  ASSERT_EQ(cfg.size(), 5);
  ASSERT_EQ(cfg.typecount(), 2);
  ASSERT_NE(cfg.coords, nullptr);
  EXPECT_EQ(cfg.typeptr[0], cfg.coords.get());
  EXPECT_EQ(cfg.typeptr[1], cfg.coords.get() + 2 * 3);
  // Atom k of type t is the k-th triple after the type's pointer: the last
  // atom of type 2 is the last triple of the block.
  cfg.typeptr[1][2 * 3 + 2] = 7.5;
  EXPECT_EQ(cfg.coords[5 * 3 - 1], 7.5);
}

TEST(SimpleCfgObject, LayoutReadFromAHeader) {
  // ni = 2, 3 and natoms = 5 as a version 3 header gives them: the type
  // starts are 0, 2, 5 and the pointers aim at triples 0 and 2.
  const std::string header =
      " (Version 3 format configuration file) !file created by SimpleCfg::save !\n"
      "a title\n"
      "\n"
      "\n"
      "          0         0         0 moves generated, tried, accepted \n"
      "          0              configurations saved\n"
      " \n"
      "          5 molecules of all types\n"
      "          2 types of molecules \n"
      "          1 is the largest number of atoms in a molecule \n"
      "          0 Euler angles are provided \n"
      " \n"
      "         F (box is cubic)\t\n"
      "            Defining vectors are: \n"
      "             20.000000   0.000000   0.000000\n"
      "              0.000000  20.000000   0.000000\n"
      "              0.000000   0.000000  20.000000\n"
      "\n"
      "          2 molecules of type  1\n"
      "          1 atomic sites \n"
      "              0.000000   0.000000   0.000000\n"
      " \n"
      "          3 molecules of type  2\n"
      "          1 atomic sites \n"
      "              0.000000   0.000000   0.000000\n"
      " \n";
  ConsoleCapture console;
  std::istringstream in(header);
  ASSERT_TRUE(SimpleCfg::GetParams_cfg(in));
  EXPECT_EQ(SimpleCfg::natoms, 5);
  EXPECT_EQ(SimpleCfg::ntypes, 2);
  EXPECT_EQ(SimpleCfg::ni, (std::vector<int>{2, 3}));
  EXPECT_EQ(SimpleCfg::typestart, (std::vector<int>{0, 2, 5}));
  EXPECT_EQ(SimpleCfg::boxlength, 20.0);
  SimpleCfg cfg;
  EXPECT_EQ(console.out(), "");
  ASSERT_EQ(cfg.typecount(), 2);
  EXPECT_EQ(cfg.typeptr[0], cfg.coords.get());
  EXPECT_EQ(cfg.typeptr[1], cfg.coords.get() + 6);
}

TEST(SimpleCfgObject, KeepsItsSizeWhenTheLayoutChanges) {
  ConsoleCapture console;
  SetLayout({2, 3}, {0, 2, 5});
  SimpleCfg before;
  const double* const block = before.coords.get();
  const std::vector<double*> pointers = before.typeptr;

  SetLayout({1, 3, 5}, {0, 1, 4, 9});
  EXPECT_EQ(before.size(), 5);
  EXPECT_EQ(before.typecount(), 2);
  EXPECT_EQ(before.coords.get(), block);
  EXPECT_EQ(before.typeptr, pointers);

  SimpleCfg after;
  EXPECT_EQ(after.size(), 9);
  ASSERT_EQ(after.typecount(), 3);
  EXPECT_EQ(after.typeptr[0], after.coords.get());
  EXPECT_EQ(after.typeptr[1], after.coords.get() + 3);
  EXPECT_EQ(after.typeptr[2], after.coords.get() + 12);
  EXPECT_EQ(console.out(), "");
}

TEST(SimpleCfgObject, DestructorsInReverseOrder) {
  ConsoleCapture console;
  SetLayout({2}, {0, 2});
  {
    SimpleCfg input;
    SimpleCfg::ni.clear();
    SimpleCfg::typestart.clear();
    SimpleCfg::natoms = 0;
    SimpleCfg::ntypes = 0;
    SimpleCfg output;  // built after the layout was marked absent
    EXPECT_EQ(input.size(), 2);
    EXPECT_EQ(output.size(), 0);
  }
  EXPECT_EQ(console.out(), std::string(kEmptyObject) + kDestructor + kDestructor);
}

}  // namespace
