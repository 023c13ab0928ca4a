// Construction and destruction of configuration objects from the class-wide
// layout: their messages, their size and their per-type pointers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "support/console_capture.hpp"
#include "support/text.hpp"

namespace {

using namespace testing_support;

const std::string kDestructor = "SimpleCfg destructor\n";

TEST(SimpleCfgObject, EmptyBeforeAnyLayoutAsInAPairListRun) {
  ConsoleCapture console;
  {
    SimpleCfg input;
    SimpleCfg output;
    EXPECT_EQ(console.out(), kEmptyCfgText + kEmptyCfgText);
    EXPECT_EQ(input.size(), 0);
    EXPECT_EQ(input.typecount(), 0);
    EXPECT_TRUE(input.typeptr.empty());
  }
  EXPECT_EQ(console.out(), kEmptyCfgText + kEmptyCfgText + kDestructor + kDestructor);
  EXPECT_EQ(console.err(), "");
}

TEST(SimpleCfgObject, PresentLayoutWithoutAtomsIsQuiet) {
  ConsoleCapture console;
  SetCfgLayout({0});
  {
    SimpleCfg cfg;
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(cfg.size(), 0);
    EXPECT_EQ(cfg.typecount(), 1);
  }
  EXPECT_EQ(console.out(), kDestructor);
}

TEST(SimpleCfgObject, TypePointersFollowTheTypeStartsAndKeepTheirSize) {
  ConsoleCapture console;
  SetCfgLayout({2, 3});
  SimpleCfg before;
  ASSERT_EQ(before.size(), 5);
  ASSERT_EQ(before.typecount(), 2);
  ASSERT_NE(before.coords, nullptr);
  EXPECT_EQ(before.typeptr[0], before.coords.get());
  EXPECT_EQ(before.typeptr[1], before.coords.get() + 2 * 3);
  // Atom k of type t is the k-th triple after the type's pointer: the last
  // atom of type 2 is the last triple of the block.
  before.typeptr[1][2 * 3 + 2] = 7.5;
  EXPECT_EQ(before.coords[5 * 3 - 1], 7.5);
  const double* const block = before.coords.get();
  const std::vector<double*> pointers = before.typeptr;

  // A new layout changes neither the size nor the pointers of the object.
  SetCfgLayout({1, 3, 5});
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
  SetCfgLayout({2});
  {
    SimpleCfg input;
    SimpleCfg::ResetLayout();
    SimpleCfg output;  // built after the layout was marked absent
    EXPECT_EQ(input.size(), 2);
    EXPECT_EQ(output.size(), 0);
  }
  EXPECT_EQ(console.out(), kEmptyCfgText + kDestructor + kDestructor);
}

}  // namespace
