// The mode-2 pair-list reader: what it stores for a valid file, and the exact
// warning block and stop for every way a file can be refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fnc/fnc.hpp"
#include "support/console_capture.hpp"
#include "support/text.hpp"

namespace {

using namespace testing_support;

// The reader reports its failures under the shell parameter reader's name.
std::string Block(const std::string& reason) {
  return WarningBlockText("SimpleCfg::GetFNCParameters", reason);
}

// Two types: three molecules of five atoms with two pairs, four molecules of
// two atoms with one pair. The third record names kind 1 again with numbers
// that are only comment.
constexpr const char* kTwoTypes =
    "100  ! atoms in the configuration\n"
    "2 ! molecule types\n"
    "3 4 ! molecules of each type\n"
    "5 2\t! atoms per molecule\n"
    "2 1 ! pairs per molecule\n"
    "1 1.47 1.59 ! kind 1 with its window\n"
    "1 2 6 7 ! first pair\n"
    "2 1.05 1.13\n"
    "2 4 7 9\n"
    "1 9.5 9.75 ! kind 1 again: these numbers are comment\n"
    "16 17 18 19\n";

// Everything the reader stores, on one line: the atoms, the molecule types
// with their molecules, sizes and pair counts, the largest size, each pair
// record's kind, the kinds named with their uses and windows, and each pair's
// atoms in the first molecule and index steps.
std::string State() {
  const auto all = static_cast<std::size_t>(FNC::npairs);
  const auto kinds = static_cast<std::size_t>(FNC::nconstraints);
  return "atoms=" + std::to_string(FNC::natoms) + " types=" + std::to_string(FNC::nmoltypes) +
         " nmol=" + List(FNC::nmol, all) + " size=" + List(FNC::molsize, all) +
         " pairs=" + List(FNC::molpairs, all) + " max=" + std::to_string(FNC::maxmolsize) +
         " npairs=" + std::to_string(FNC::npairs) + " kind=" + List(FNC::pairtype, all) +
         " kinds=" + std::to_string(FNC::nconstraints) + " uses=" + List(FNC::typeuses, kinds) +
         " rmin=" + List(FNC::rmin, kinds) + " rmax=" + List(FNC::rmax, kinds) +
         " first=" + List(FNC::pairfirst, all) + " second=" + List(FNC::pairsecond, all) +
         " steps=" + List(FNC::firstoffset, all) + "/" + List(FNC::secondoffset, all);
}

TEST(PairListTest, StoresEveryRecord) {
  const std::string records = "6\n1\n2\n3\n2\n1 1.0 1.2\n1 3 2 4\n2 1.4 1.6\n3 5 4 6";
  const std::string last_state =
      "atoms=6 types=1 nmol=2 size=3 pairs=2 max=3 npairs=2 kind=1,2 kinds=2 uses=1,1 rmin=1,1.4 "
      "rmax=1.2,1.6 first=1,3 second=3,5 steps=1,1/1,1";
  const std::pair<std::string, std::string> cases[] = {
      {kTwoTypes,
       "atoms=100 types=2 nmol=3,4 size=5,2 pairs=2,1 max=5 npairs=3 kind=1,2,1 kinds=2 uses=2,1 "
       "rmin=1.47,1.05 rmax=1.59,1.13 first=1,2,16 second=2,4,17 steps=5,5,2/5,5,2"},
      // The help text's pair lines: the first atom moves by 1 in both, the
      // second by 1 and by 2.
      {" 16060\t\t\t!number of atoms in the configuration\n 1\n 1331\n 12\n 2\n"
       " 1 1.47 1.59\t\t!constraint index, dmin, dmax\n"
       " 1 1332 2 1333\t\t!indices of the constrained pair\n 2 1.05 1.13\n 1 5325 2 5327\n",
       "atoms=16060 types=1 nmol=1331 size=12 pairs=2 max=12 npairs=2 kind=1,2 kinds=2 uses=1,1 "
       "rmin=1.47,1.05 rmax=1.59,1.13 first=1,1 second=1332,5325 steps=1,1/1,2"},
      // A later kind line keeps the first window, and its numbers do not
      // shift the pair line.
      {"8\n1\n2\n4\n2\n1 1.47 1.59\n1 2 5 6\n1 1.05 1.13\n2 3 6 7\n",
       "atoms=8 types=1 nmol=2 size=4 pairs=2 max=4 npairs=2 kind=1,1 kinds=1 uses=2 rmin=1.47 "
       "rmax=1.59 first=1,2 second=2,3 steps=4,4/4,4"},
      // With no molecule types, the lines of records 3 to 5 are skipped
      // whatever they hold, and no pair record is read.
      {"5 ! atoms\n0 ! types\nnot a number\n! comment\nx y z\n",
       "atoms=5 types=0 nmol= size= pairs= max=0 npairs=0 kind= kinds=0 uses= rmin= rmax= first= "
       "second= steps=/"},
      // Nothing is read after the last pair line: the file may end right after
      // its last number, and anything after it is ignored.
      {records, last_state},
      {records + "\n", last_state},
      {records + "\n!anything\nx y\n", last_state},
  };
  for (const auto& [text, state] : cases) {
    SCOPED_TRACE(text);
    ConsoleCapture console;
    std::istringstream in(text);
    EXPECT_EQ(FNC::GetFNCParams2(in), 1);
    EXPECT_EQ(State(), state);
    // A successful read says nothing.
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
  }
}

TEST(PairListTest, LargestMoleculeSizeNeverFallsBelowItsEarlierValue) {
  ConsoleCapture console;
  FNC::maxmolsize = 9;
  std::istringstream in(kTwoTypes);
  FNC::GetFNCParams2(in);
  EXPECT_EQ(FNC::maxmolsize, 9);
}

struct RefusedFile {
  const char* name;
  std::string text;
  std::string reason;
};

// Records that complete the file after a one-type header of 6 atoms,
// 2 molecules of 3 atoms and 2 pairs.
const std::string kHeader = "6\n1\n2\n3\n2\n";

const std::vector<RefusedFile> kRefusedFiles = {
    // A token that is not a number.
    {"word for the atom count", "abc\n1\n2\n3\n1\n1 1.0 1.2\n1 3 2 4\n", kWrongFormat},
    {"word for the type count", "6\ntwo\n", kWrongFormat},
    {"word among the molecule counts", "6\n2\n3 y\n", kWrongFormat},
    {"word for the atoms per molecule", "6\n1\n2\nthree\n", kWrongFormat},
    {"word for the pairs per molecule", "6\n1\n2\n3\nz\n", kWrongFormat},
    {"word for a kind", kHeader + "k 1.0 1.2\n1 3 2 4\n", kWrongFormat},
    {"word for a lower bound", kHeader + "1 low 1.2\n1 3 2 4\n", kWrongFormat},
    {"word for an upper bound", kHeader + "1 1.0 high\n1 3 2 4\n", kWrongFormat},
    {"word in a pair line", kHeader + "1 1.0 1.2\n1 3 x 4\n2 1.4 1.6\n3 5 4 6\n", kWrongFormat},
    {"word in the last pair line", kHeader + "1 1.0 1.2\n1 3 2 4\n2 1.4 1.6\n3 5 4 six",
     kWrongFormat},
    {"count beyond the int range", "99999999999\n1\n", kWrongFormat},
    // The help text's comment continuation lines stand on lines of their own:
    // the first one is read where the atoms per molecule are expected.
    {"help text continuation lines",
     " 16060\t\t\t!number of atoms in the configuration\n"
     " 2\t\t\t!number of molecule types containing fnc constraint\n"
     " 1331 10\t\t!number of molecule/type following each other\n"
     "\t\t\tin the same line\n"
     " 12 6\t\t\t!number of atoms/molecule type following each other\n"
     "\t\t\tin the same line\n",
     kWrongFormat},
    // The file ends early.
    {"empty file", "", kEndOfFile},
    {"ends after the atom count", "6\n", kEndOfFile},
    {"atom count without line end", "6", kEndOfFile},
    {"ends among the molecule counts", "6\n2\n3\n", kEndOfFile},
    {"pair count without line end", "6\n1\n2\n3\n0", kEndOfFile},
    {"ends before the pair records", kHeader, kEndOfFile},
    {"ends inside the bounds", kHeader + "1 1.0", kEndOfFile},
    {"ends inside a pair line", kHeader + "1 1.0 1.2\n1 3 2", kEndOfFile},
    {"ends before the second record", kHeader + "1 1.0 1.2\n1 3 2 4\n", kEndOfFile},
    {"ends after the second kind line", kHeader + "1 1.0 1.2\n1 3 2 4\n2 1.4 1.6\n", kEndOfFile},
    // Negative counts are refused when read, even as the last token.
    {"negative atom count", "-1", kWrongFormat},
    {"negative atom count with more lines", "-6\n1\n2\n3\n2\n", kWrongFormat},
    {"negative type count", "6\n-1\n\n\n\n", kWrongFormat},
    {"negative molecule count", "6\n2\n2 -1\n3 3\n1 1\n", kWrongFormat},
    {"negative atoms per molecule", "6\n1\n2\n-3\n2\n", kWrongFormat},
    {"negative pairs per molecule", "6\n2\n1 1\n3 3\n1 -1", kWrongFormat},
    // Pair counts whose sum does not fit an int.
    {"pair sum beyond int", "6\n2\n1 1\n3 3\n2147483647 1\n", kWrongFormat},
    {"pair sum of two halves", "6\n2\n1 1\n3 3\n1073741824 1073741824\n", kWrongFormat},
    // Kinds outside 1 .. npairs are refused at once, also as the last token.
    {"kind 0", kHeader + "0 1.0 1.2\n1 3 2 4\n2 1.4 1.6\n3 5 4 6\n", kWrongFormat},
    {"kind 0 as the last token", kHeader + "1 1.0 1.2\n1 3 2 4\n0", kWrongFormat},
    {"negative kind", kHeader + "-1 1.0 1.2\n1 3 2 4\n2 1.4 1.6\n3 5 4 6\n", kWrongFormat},
    {"kind above the pair count", kHeader + "3 1.0 1.2\n1 3 2 4\n1 1.4 1.6\n3 5 4 6\n",
     kWrongFormat},
    {"kind above the pair count, last token", kHeader + "1 1.0 1.2\n1 3 2 4\n3", kWrongFormat},
    // Kinds that leave one out.
    {"kinds 1 and 3 only", "9\n1\n1\n4\n3\n1 1.0 1.2\n1 2 2 3\n3 2.0 2.2\n2 3 3 4\n1\n3 4 4 5\n",
     kWrongFormat},
    {"kinds 1 and 3 only, no final line end",
     "9\n1\n1\n4\n3\n1 1.0 1.2\n1 2 2 3\n3 2.0 2.2\n2 3 3 4\n1\n3 4 4 5", kWrongFormat},
    {"kind 2 without kind 1", kHeader + "2 1.0 1.2\n1 3 2 4\n2\n3 5 4 6\n", kWrongFormat},
};

TEST(PairListTest, RefusedFilesEndInTheWarningBlockAndTheStop) {
  for (const RefusedFile& file : kRefusedFiles) {
    SCOPED_TRACE(file.name);
    ConsoleCapture console;
    std::istringstream in(file.text);
    EXPECT_FATAL_STOP(FNC::GetFNCParams2(in));
    EXPECT_EQ(console.out(), Block(file.reason));
    EXPECT_EQ(console.err(), kQuit);
  }
}

// A kind outside 1 .. npairs stores nothing of its record: neither the kind,
// nor the numbers after it, nor its pair line.
TEST(PairListTest, KindOutOfRangeStoresNothingOfItsRecord) {
  ConsoleCapture console;
  std::istringstream in(kHeader + "1 1.0 1.2\n1 3 2 4\n7 2.5 2.75\n11 12 13 14\n");
  EXPECT_FATAL_STOP(FNC::GetFNCParams2(in));
  EXPECT_EQ(console.out(), Block(kWrongFormat));
  EXPECT_EQ(std::count(FNC::pairtype.begin(), FNC::pairtype.end(), 7), 0);
  EXPECT_EQ(std::count(FNC::rmin.begin(), FNC::rmin.end(), 2.5), 0);
  EXPECT_EQ(std::count(FNC::rmax.begin(), FNC::rmax.end(), 2.75), 0);
  EXPECT_EQ(std::count(FNC::pairfirst.begin(), FNC::pairfirst.end(), 11), 0);
  EXPECT_EQ(std::count(FNC::pairsecond.begin(), FNC::pairsecond.end(), 12), 0);
}

// A stream without an open file, or one that has already failed, is not read.
TEST(PairListTest, StreamWithoutFileIsNotRead) {
  UnreadableStreams streams(kTwoTypes);
  for (std::istream* in : streams.All()) {
    ConsoleCapture console;
    EXPECT_FATAL_STOP(FNC::GetFNCParams2(*in));
    EXPECT_EQ(console.out(), "FNC::GetFNCParams2 - file not open or non-existing.\n");
    EXPECT_EQ(console.err(), kQuit);
    EXPECT_EQ(FNC::natoms, 0);
  }
}

}  // namespace
