// The mode-1 shell parameter file: the values it stores, the layout and
// constraint counts it derives for the grown configuration, the reset of the
// number of central atoms, and every rejection.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "support/console_capture.hpp"
#include "support/run_binary.hpp"

namespace {

using testing_support::ConsoleCapture;

std::string Text(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// The parameter file of the help text, seventh line included.
const std::string kHelpExample = Text({
    " 8788\t! number of molecules",
    " 2\t\t! number of types",
    " 1\t\t! type of the central atom starting with 1",
    " 0 12\t! number of neighbours for a molecule/type",
    " 0 35\t! radius of the inner spehere for each neighbourtype",
    " 0 123\t! radius of the outer spehere for each neighbourtype",
    " 1\t\t! number of constrained FNC distance",
});

const std::string kFormat = "Loading failed, possibly due to wrong file format!";
const std::string kEnd = "End of file was reached during loading!";

std::string Block(const std::string& reason) {
  return Text({"****WARNING****", "SimpleCfg::GetFNCParameters", reason,
               "Cannot run this way, exiting...!"});
}

std::string ResetMessages(int atoms, int requested) {
  return "The number of central atoms in the input *.cfg is " + std::to_string(atoms) +
         " which is less than the number of molecules in the *.dat file (" +
         std::to_string(requested) + ").\nThe number of molecules will be reset to " +
         std::to_string(atoms) + "!\n";
}

// The layout left by loading an input configuration of `atoms` atoms of one type.
void InputConfiguration(int atoms) {
  SimpleCfg::natoms = atoms;
  SimpleCfg::ntypes = 1;
  SimpleCfg::ni = {atoms};
  SimpleCfg::typestart = {0, atoms};
  SimpleCfg::boxlength = 10;
}

struct Expected {
  int n;
  int types;
  int central;  // 0-based
  std::vector<int> counts;
  std::vector<double> inner, outer;
  std::vector<int> ni, typestart;
  int natoms;
  int nentries;
  int nconstraints;
  std::vector<double> rmin, rmax;
};

void ExpectRead(const Expected& e, const std::string& what) {
  EXPECT_EQ(SimpleCfg::nmolecules, e.n) << what;
  EXPECT_EQ(SimpleCfg::ntypes, e.types) << what;
  EXPECT_EQ(SimpleCfg::centraltype, e.central) << what;
  EXPECT_EQ(SimpleCfg::nneighbours, e.counts) << what;
  EXPECT_EQ(SimpleCfg::rinner, e.inner) << what;
  EXPECT_EQ(SimpleCfg::router, e.outer) << what;
  EXPECT_EQ(SimpleCfg::ni, e.ni) << what;
  EXPECT_EQ(SimpleCfg::typestart, e.typestart) << what;
  EXPECT_EQ(SimpleCfg::natoms, e.natoms) << what;
  EXPECT_EQ(FNC::natoms, e.natoms) << what;
  EXPECT_EQ(FNC::nentries, e.nentries) << what;
  EXPECT_EQ(FNC::nconstraints, e.nconstraints) << what;
  EXPECT_EQ(FNC::rmin, e.rmin) << what;
  EXPECT_EQ(FNC::rmax, e.rmax) << what;
  EXPECT_EQ(FNC::ncoord, std::vector<int>(static_cast<std::size_t>(e.natoms), 1)) << what;
  // The box of the input configuration stays.
  EXPECT_EQ(SimpleCfg::boxlength, 10) << what;
}

TEST(ShellParams, HelpTextExample) {
  for (const int atoms : {8788, 8789, 20000}) {
    ConsoleCapture console;
    InputConfiguration(atoms);
    std::istringstream in(kHelpExample);
    EXPECT_EQ(SimpleCfg::GetFNCParameters(in), 1);
    ExpectRead({8788,
                2,
                0,
                {0, 12},
                {0, 35},
                {0, 123},
                {8788, 105456},
                {0, 8788, 114244},
                114244,
                210912,
                1,
                {35},
                {123}},
               "input of " + std::to_string(atoms));
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
  }
}

TEST(ShellParams, MoreMoleculesThanInputAtomsAreReset) {
  ConsoleCapture console;
  InputConfiguration(5000);
  std::istringstream in(kHelpExample);
  EXPECT_EQ(SimpleCfg::GetFNCParameters(in), 1);
  EXPECT_EQ(console.out(),
            "The number of central atoms in the input *.cfg is 5000 which is less than the number "
            "of molecules in the *.dat file (8788).\n"
            "The number of molecules will be reset to 5000!\n");
  EXPECT_EQ(console.err(), "");
  ExpectRead({5000,
              2,
              0,
              {0, 12},
              {0, 35},
              {0, 123},
              {5000, 60000},
              {0, 5000, 65000},
              65000,
              120000,
              1,
              {35},
              {123}},
             "reset");
}

TEST(ShellParams, LayoutsDerivedFromTheCounts) {
  struct Case {
    const char* what;
    int input_atoms;
    std::string file;
    Expected expected;
  };
  const Case cases[] = {
      {"all counts 0",
       4,
       "4\n2\n1\n0 0\n0 0\n0 0\n",
       {4, 2, 0, {0, 0}, {0, 0}, {0, 0}, {4, 0}, {0, 4, 4}, 4, 0, 0, {}, {}}},
      // Neighbours of the central type follow the central atoms in its block.
      {"neighbours of the central type",
       10,
       "3\n2\n2\n4 5\n1.5 2.5\n3.5 4.5\n",
       {3,
        2,
        1,
        {4, 5},
        {1.5, 2.5},
        {3.5, 4.5},
        {12, 18},
        {0, 12, 30},
        30,
        54,
        2,
        {1.5, 2.5},
        {3.5, 4.5}}},
      // A type without neighbours gets no atoms and no window.
      {"a type with count 0",
       2,
       "2\n3\n1\n0 0 5\n0 7 1\n0 8 2\n",
       {2, 3, 0, {0, 0, 5}, {0, 7, 1}, {0, 8, 2}, {2, 0, 10}, {0, 2, 2, 12}, 12, 20, 1, {1}, {2}}},
      {"central type last",
       6,
       "6 ! six\n3 ! three\n3 ! last\n1 2 0\n1 2 3\n4 5 6\n",
       {6,
        3,
        2,
        {1, 2, 0},
        {1, 2, 3},
        {4, 5, 6},
        {6, 12, 6},
        {0, 6, 18, 24},
        24,
        36,
        2,
        {1, 2},
        {4, 5}}},
      // Negative radii and an inner radius above the outer one are kept.
      {"odd radii",
       1,
       "1\n1\n1\n2\n-3\n-5\n",
       {1, 1, 0, {2}, {-3}, {-5}, {3}, {0, 3}, 3, 4, 1, {-3}, {-5}}},
      // A list may continue on the next line; the skip then discards the rest
      // of the line where its last value stands.
      {"list over two lines",
       2,
       "2\n2\n1\n0\n3 ! comment 4 5\n0\n1 ! x\n0 2 junk\n",
       {2, 2, 0, {0, 3}, {0, 1}, {0, 2}, {2, 6}, {0, 2, 8}, 8, 12, 1, {1}, {2}}},
      {"N equal to the input count",
       7,
       "7\n1\n1\n1\n1e0\n2.5E+0\n",
       {7, 1, 0, {1}, {1}, {2.5}, {14}, {0, 14}, 14, 14, 1, {1}, {2.5}}},
      {"N of 0", 3, "0\n1\n1\n5\n1\n2\n", {0, 1, 0, {5}, {1}, {2}, {0}, {0, 0}, 0, 0, 1, {1}, {2}}},
      // With no central atoms nothing can overflow, however large the counts.
      {"N of 0 with huge counts",
       3,
       "0\n2\n1\n2000000000 2000000000\n1 2\n3 4\n",
       {0,
        2,
        0,
        {2000000000, 2000000000},
        {1, 2},
        {3, 4},
        {0, 0},
        {0, 0, 0},
        0,
        0,
        2,
        {1, 2},
        {3, 4}}},
      {"carriage returns",
       5,
       "5\r\n2\r\n1\r\n0 1\r\n0 1\r\n0 2\r\n",
       {5, 2, 0, {0, 1}, {0, 1}, {0, 2}, {5, 5}, {0, 5, 10}, 10, 10, 1, {1}, {2}}},
  };
  for (const auto& c : cases) {
    ConsoleCapture console;
    InputConfiguration(c.input_atoms);
    std::istringstream in(c.file);
    EXPECT_EQ(SimpleCfg::GetFNCParameters(in), 1) << c.what;
    ExpectRead(c.expected, c.what);
    EXPECT_EQ(console.out(), "") << c.what;
    EXPECT_EQ(console.err(), "") << c.what;
  }
}

TEST(ShellParams, ResetNumberIsTheOneTheSizeTestUses) {
  // 10^8 central atoms with 1000 neighbours each would overflow; after the
  // reset to the input's 1000 atoms everything fits.
  ConsoleCapture console;
  InputConfiguration(1000);
  std::istringstream in("100000000\n2\n1\n0 1000\n0 1\n0 2\n");
  EXPECT_EQ(SimpleCfg::GetFNCParameters(in), 1);
  EXPECT_EQ(console.out(), ResetMessages(1000, 100000000));
  EXPECT_EQ(SimpleCfg::nmolecules, 1000);
  EXPECT_EQ(SimpleCfg::natoms, 1001000);
  EXPECT_EQ(FNC::natoms, 1001000);
  EXPECT_EQ(FNC::nentries, 2000000);
  EXPECT_EQ(SimpleCfg::ni, (std::vector<int>{1000, 1000000}));
}

TEST(ShellParams, FailuresEndInTheWarningBlock) {
  struct Case {
    const char* what;
    int input_atoms;
    std::string file;
    std::string out;  // everything on standard output
  };
  const std::string tail = "0 12\n0 35\n0 123\n";
  const Case cases[] = {
      {"empty file", 10, "", Block(kEnd)},
      {"ends inside line 4", 10, "10\n2\n1\n0", Block(kEnd)},
      {"ends after line 3", 10, "10\n2\n1\n", Block(kEnd)},
      {"ends inside line 5", 10, "10\n2\n1\n0 12\n0", Block(kEnd)},
      {"ends inside line 6", 10, "10\n2\n1\n0 12\n0 35\n0 ", Block(kEnd)},
      // The last line's skip meets the end of the file.
      {"line 6 without line end", 10, "10\n2\n1\n0 12\n0 35\n0 123", Block(kEnd)},
      {"letter for T", 10, "10\nx\n1\n" + tail, Block(kFormat)},
      {"letter for N", 10, "N\n2\n1\n" + tail, Block(kFormat)},
      {"letter in a count", 10, "10\n2\n1\n0 a\n0 35\n0 123\n", Block(kFormat)},
      {"letter in a radius", 10, "10\n2\n1\n0 12\n0 35\n0 r\n", Block(kFormat)},
      // Values that would size or index arrays wrongly.
      {"negative N", 10, "-1\n2\n1\n" + tail, Block(kFormat)},
      {"negative N last in file", 10, "-1", Block(kFormat)},
      {"T of 0", 10, "10\n0\n1\n\n\n\n", Block(kFormat)},
      {"negative T", 10, "10\n-2\n1\n" + tail, Block(kFormat)},
      {"central type 0", 10, "10\n2\n0\n" + tail, Block(kFormat)},
      {"central type T + 1", 10, "10\n2\n3\n" + tail, Block(kFormat)},
      {"negative central type", 10, "10\n2\n-1\n" + tail, Block(kFormat)},
      {"negative count", 10, "10\n2\n1\n0 -12\n0 35\n0 123\n", Block(kFormat)},
      {"negative count of the central type", 10, "10\n2\n1\n-1 12\n0 35\n0 123\n", Block(kFormat)},
      {"atoms beyond int", 100000, "100000\n2\n1\n0 30000\n0 1\n0 2\n", Block(kFormat)},
      {"atoms just beyond int", 1, "1\n1\n1\n2147483647\n1\n2\n", Block(kFormat)},
      {"entries just beyond int", 1, "1\n1\n1\n1073741824\n1\n2\n", Block(kFormat)},
      {"entries beyond int, atoms within", 1000, "1000\n2\n1\n0 1100000\n0 1\n0 2\n",
       Block(kFormat)},
      {"sum of counts beyond int", 1, "1\n2\n1\n2000000000 2000000000\n1 2\n3 4\n", Block(kFormat)},
      // The reset comes as soon as N is known, before the rest is examined.
      {"reset, then a letter on line 2", 5, "8788\nx\n1\n" + tail,
       ResetMessages(5, 8788) + Block(kFormat)},
      {"reset, then the end of the file", 5, "8788\n", ResetMessages(5, 8788) + Block(kEnd)},
      {"reset, then T of 0", 5, "8788\n0\n1\n" + tail, ResetMessages(5, 8788) + Block(kFormat)},
      {"reset, then too many atoms", 1000, "5000\n2\n1\n0 3000000\n0 1\n0 2\n",
       ResetMessages(1000, 5000) + Block(kFormat)},
  };
  for (const auto& c : cases) {
    ConsoleCapture console;
    InputConfiguration(c.input_atoms);
    std::istringstream in(c.file);
    EXPECT_FATAL_STOP(SimpleCfg::GetFNCParameters(in)) << c.what;
    EXPECT_EQ(console.out(), c.out) << c.what;
    EXPECT_EQ(console.err(), "Quit (y)?->\n") << c.what;
  }
}

TEST(ShellParams, FileThatFailedToOpen) {
  testing_support::TempDir dir;
  ConsoleCapture console;
  InputConfiguration(10);
  std::ifstream in(dir.path() / "missing.dat");
  ASSERT_TRUE(in.fail());
  EXPECT_FATAL_STOP(SimpleCfg::GetFNCParameters(in));
  EXPECT_EQ(console.out(), Block(kFormat));
  EXPECT_EQ(console.err(), "Quit (y)?->\n");
}

TEST(ShellParams, ReadsFromAFile) {
  testing_support::TempDir dir;
  testing_support::WriteFileBytes(dir.path() / "run.dat", kHelpExample);
  ConsoleCapture console;
  InputConfiguration(9000);
  std::ifstream in(dir.path() / "run.dat");
  EXPECT_EQ(SimpleCfg::GetFNCParameters(in), 1);
  EXPECT_EQ(SimpleCfg::natoms, 114244);
  EXPECT_EQ(FNC::nentries, 210912);
  EXPECT_EQ(console.out(), "");
}

}  // namespace
