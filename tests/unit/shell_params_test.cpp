// The mode-1 shell parameter file: the values it stores, the layout and
// constraint counts it derives for the grown configuration, the reset of the
// number of central atoms, and every rejection.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "support/console_capture.hpp"
#include "support/run_binary.hpp"
#include "support/text.hpp"

namespace {

using namespace testing_support;

// The parameter file of the help text, seventh line included.
const std::string kHelpExample = Lines({
    " 8788\t! number of molecules",
    " 2\t\t! number of types",
    " 1\t\t! type of the central atom starting with 1",
    " 0 12\t! number of neighbours for a molecule/type",
    " 0 35\t! radius of the inner spehere for each neighbourtype",
    " 0 123\t! radius of the outer spehere for each neighbourtype",
    " 1\t\t! number of constrained FNC distance",
});

std::string Block(const std::string& reason) {
  return WarningBlockText("SimpleCfg::GetFNCParameters", reason);
}

std::string Reset(int atoms, int requested) {
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

// Everything the reader stores and derives, on one line: N, T, the central
// type (0-based), the counts, radii, atoms per type and type starts, the atom
// counts of both classes, the entries, the kinds and their windows. Checks on
// the way that every row starts with one entry and the box is untouched.
std::string State() {
  EXPECT_EQ(FNC::ncoord, std::vector<int>(static_cast<std::size_t>(FNC::natoms), 1));
  EXPECT_EQ(SimpleCfg::boxlength, 10);
  return "N=" + std::to_string(SimpleCfg::nmolecules) + " T=" + std::to_string(SimpleCfg::ntypes) +
         " c=" + std::to_string(SimpleCfg::centraltype) + " n=" + List(SimpleCfg::nneighbours) +
         " in=" + List(SimpleCfg::rinner) + " out=" + List(SimpleCfg::router) +
         " ni=" + List(SimpleCfg::ni) + " start=" + List(SimpleCfg::typestart) +
         " atoms=" + std::to_string(SimpleCfg::natoms) + "," + std::to_string(FNC::natoms) +
         " entries=" + std::to_string(FNC::nentries) +
         " kinds=" + std::to_string(FNC::nconstraints) + " rmin=" + List(FNC::rmin) +
         " rmax=" + List(FNC::rmax);
}

const std::string kHelpState =
    "N=8788 T=2 c=0 n=0,12 in=0,35 out=0,123 ni=8788,105456 start=0,8788,114244 "
    "atoms=114244,114244 entries=210912 kinds=1 rmin=35 rmax=123";

TEST(ShellParams, ValuesAndDerivedLayouts) {
  struct Case {
    const char* what;
    int input_atoms;
    std::string file;
    std::string messages;
    std::string state;
  };
  const Case cases[] = {
      {"help text, input of 8788", 8788, kHelpExample, "", kHelpState},
      {"help text, input of 8789", 8789, kHelpExample, "", kHelpState},
      {"help text, input of 20000", 20000, kHelpExample, "", kHelpState},
      {"help text, input of 5000", 5000, kHelpExample, Reset(5000, 8788),
       "N=5000 T=2 c=0 n=0,12 in=0,35 out=0,123 ni=5000,60000 start=0,5000,65000 "
       "atoms=65000,65000 entries=120000 kinds=1 rmin=35 rmax=123"},
      // 10^8 central atoms with 1000 neighbours each would overflow; after the
      // reset to the input's 1000 atoms everything fits.
      {"reset before the size test", 1000, "100000000\n2\n1\n0 1000\n0 1\n0 2\n",
       Reset(1000, 100000000),
       "N=1000 T=2 c=0 n=0,1000 in=0,1 out=0,2 ni=1000,1000000 start=0,1000,1001000 "
       "atoms=1001000,1001000 entries=2000000 kinds=1 rmin=1 rmax=2"},
      {"all counts 0", 4, "4\n2\n1\n0 0\n0 0\n0 0\n", "",
       "N=4 T=2 c=0 n=0,0 in=0,0 out=0,0 ni=4,0 start=0,4,4 atoms=4,4 entries=0 kinds=0 rmin= "
       "rmax="},
      // Neighbours of the central type follow the central atoms in its block.
      {"neighbours of the central type", 10, "3\n2\n2\n4 5\n1.5 2.5\n3.5 4.5\n", "",
       "N=3 T=2 c=1 n=4,5 in=1.5,2.5 out=3.5,4.5 ni=12,18 start=0,12,30 atoms=30,30 entries=54 "
       "kinds=2 rmin=1.5,2.5 rmax=3.5,4.5"},
      // A type without neighbours gets no atoms and no window.
      {"a type with count 0", 2, "2\n3\n1\n0 0 5\n0 7 1\n0 8 2\n", "",
       "N=2 T=3 c=0 n=0,0,5 in=0,7,1 out=0,8,2 ni=2,0,10 start=0,2,2,12 atoms=12,12 entries=20 "
       "kinds=1 rmin=1 rmax=2"},
      {"central type last", 6, "6 ! six\n3 ! three\n3 ! last\n1 2 0\n1 2 3\n4 5 6\n", "",
       "N=6 T=3 c=2 n=1,2,0 in=1,2,3 out=4,5,6 ni=6,12,6 start=0,6,18,24 atoms=24,24 entries=36 "
       "kinds=2 rmin=1,2 rmax=4,5"},
      // Negative radii and an inner radius above the outer one are kept.
      {"odd radii", 1, "1\n1\n1\n2\n-3\n-5\n", "",
       "N=1 T=1 c=0 n=2 in=-3 out=-5 ni=3 start=0,3 atoms=3,3 entries=4 kinds=1 rmin=-3 rmax=-5"},
      // A list may continue on the next line; the skip then discards the rest
      // of the line where its last value stands.
      {"list over two lines", 2, "2\n2\n1\n0\n3 ! comment 4 5\n0\n1 ! x\n0 2 junk\n", "",
       "N=2 T=2 c=0 n=0,3 in=0,1 out=0,2 ni=2,6 start=0,2,8 atoms=8,8 entries=12 kinds=1 rmin=1 "
       "rmax=2"},
      {"N equal to the input count", 7, "7\n1\n1\n1\n1e0\n2.5E+0\n", "",
       "N=7 T=1 c=0 n=1 in=1 out=2.5 ni=14 start=0,14 atoms=14,14 entries=14 kinds=1 rmin=1 "
       "rmax=2.5"},
      {"N of 0", 3, "0\n1\n1\n5\n1\n2\n", "",
       "N=0 T=1 c=0 n=5 in=1 out=2 ni=0 start=0,0 atoms=0,0 entries=0 kinds=1 rmin=1 rmax=2"},
      // With no central atoms nothing can overflow, however large the counts.
      {"N of 0 with huge counts", 3, "0\n2\n1\n2000000000 2000000000\n1 2\n3 4\n", "",
       "N=0 T=2 c=0 n=2000000000,2000000000 in=1,2 out=3,4 ni=0,0 start=0,0,0 atoms=0,0 "
       "entries=0 kinds=2 rmin=1,2 rmax=3,4"},
      {"carriage returns", 5, "5\r\n2\r\n1\r\n0 1\r\n0 1\r\n0 2\r\n", "",
       "N=5 T=2 c=0 n=0,1 in=0,1 out=0,2 ni=5,5 start=0,5,10 atoms=10,10 entries=10 kinds=1 "
       "rmin=1 rmax=2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ConsoleCapture console;
    InputConfiguration(c.input_atoms);
    std::istringstream in(c.file);
    EXPECT_EQ(SimpleCfg::GetFNCParameters(in), 1);
    EXPECT_EQ(State(), c.state);
    EXPECT_EQ(console.out(), c.messages);
    EXPECT_EQ(console.err(), "");
  }
}

TEST(ShellParams, ReadsFromAFile) {
  TempDir dir;
  WriteFileBytes(dir.path() / "run.dat", kHelpExample);
  ConsoleCapture console;
  InputConfiguration(9000);
  std::ifstream in(dir.path() / "run.dat");
  EXPECT_EQ(SimpleCfg::GetFNCParameters(in), 1);
  EXPECT_EQ(State(), kHelpState);
  EXPECT_EQ(console.out(), "");
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
      {"empty file", 10, "", Block(kEndOfFile)},
      {"ends inside line 4", 10, "10\n2\n1\n0", Block(kEndOfFile)},
      {"ends after line 3", 10, "10\n2\n1\n", Block(kEndOfFile)},
      {"ends inside line 5", 10, "10\n2\n1\n0 12\n0", Block(kEndOfFile)},
      {"ends inside line 6", 10, "10\n2\n1\n0 12\n0 35\n0 ", Block(kEndOfFile)},
      // The last line's skip meets the end of the file.
      {"line 6 without line end", 10, "10\n2\n1\n0 12\n0 35\n0 123", Block(kEndOfFile)},
      {"letter for T", 10, "10\nx\n1\n" + tail, Block(kWrongFormat)},
      {"letter for N", 10, "N\n2\n1\n" + tail, Block(kWrongFormat)},
      {"letter in a count", 10, "10\n2\n1\n0 a\n0 35\n0 123\n", Block(kWrongFormat)},
      {"letter in a radius", 10, "10\n2\n1\n0 12\n0 35\n0 r\n", Block(kWrongFormat)},
      // Values that would size or index arrays wrongly.
      {"negative N", 10, "-1\n2\n1\n" + tail, Block(kWrongFormat)},
      {"negative N last in file", 10, "-1", Block(kWrongFormat)},
      {"T of 0", 10, "10\n0\n1\n\n\n\n", Block(kWrongFormat)},
      {"negative T", 10, "10\n-2\n1\n" + tail, Block(kWrongFormat)},
      {"central type 0", 10, "10\n2\n0\n" + tail, Block(kWrongFormat)},
      {"central type T + 1", 10, "10\n2\n3\n" + tail, Block(kWrongFormat)},
      {"negative central type", 10, "10\n2\n-1\n" + tail, Block(kWrongFormat)},
      {"negative count", 10, "10\n2\n1\n0 -12\n0 35\n0 123\n", Block(kWrongFormat)},
      {"negative count of the central type", 10, "10\n2\n1\n-1 12\n0 35\n0 123\n",
       Block(kWrongFormat)},
      {"atoms beyond int", 100000, "100000\n2\n1\n0 30000\n0 1\n0 2\n", Block(kWrongFormat)},
      {"atoms just beyond int", 1, "1\n1\n1\n2147483647\n1\n2\n", Block(kWrongFormat)},
      {"entries just beyond int", 1, "1\n1\n1\n1073741824\n1\n2\n", Block(kWrongFormat)},
      {"entries beyond int, atoms within", 1000, "1000\n2\n1\n0 1100000\n0 1\n0 2\n",
       Block(kWrongFormat)},
      {"sum of counts beyond int", 1, "1\n2\n1\n2000000000 2000000000\n1 2\n3 4\n",
       Block(kWrongFormat)},
      // The reset comes as soon as N is known, before the rest is examined.
      {"reset, then a letter on line 2", 5, "8788\nx\n1\n" + tail,
       Reset(5, 8788) + Block(kWrongFormat)},
      {"reset, then the end of the file", 5, "8788\n", Reset(5, 8788) + Block(kEndOfFile)},
      {"reset, then T of 0", 5, "8788\n0\n1\n" + tail, Reset(5, 8788) + Block(kWrongFormat)},
      {"reset, then too many atoms", 1000, "5000\n2\n1\n0 3000000\n0 1\n0 2\n",
       Reset(1000, 5000) + Block(kWrongFormat)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ConsoleCapture console;
    InputConfiguration(c.input_atoms);
    std::istringstream in(c.file);
    EXPECT_FATAL_STOP(SimpleCfg::GetFNCParameters(in));
    EXPECT_EQ(console.out(), c.out);
    EXPECT_EQ(console.err(), kQuit);
  }
  // A file that failed to open counts as a wrong format.
  TempDir dir;
  ConsoleCapture console;
  InputConfiguration(10);
  std::ifstream in(dir.path() / "missing.dat");
  ASSERT_TRUE(in.fail());
  EXPECT_FATAL_STOP(SimpleCfg::GetFNCParameters(in));
  EXPECT_EQ(console.out(), Block(kWrongFormat));
  EXPECT_EQ(console.err(), kQuit);
}

}  // namespace
