// The ".fnc" constraint file writer and the constraint set's construction:
// sets are built in-process and written into strings, byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iomanip>
#include <memory>
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

const std::string kCreated = "FNC object is created\n";
const std::string kNoConstraints =
    "\n****WARNING****\nFNC constructor\n"
    "There are no coordination constraints, or nconstraints was not initialised!\n";
const std::string kNoAtoms =
    "\n****WARNING****\nFNC constructor\nThere are no atoms, or natoms was not initialised!\n";
const std::string kNoFile = "There is no open file to save the FNC object \n";

// The fixed head of every file: lines 1 to 3.
const std::string kHead =
    "This is a .fnc file created by FNC::rawsave \n\n No. of possible rmin-rmax pairs: \n";

struct Row {
  int atom;                     // 0-based
  std::vector<int> neighbours;  // 0-based
  std::vector<int> kinds;       // 0-based
};

// Sets the class-wide counts for these windows and rows, constructs the set
// and fills its rows one after another.
std::unique_ptr<FNC> Build(const std::vector<double>& rmin, const std::vector<double>& rmax,
                           const std::vector<Row>& rows) {
  FNC::nconstraints = static_cast<int>(rmin.size());
  FNC::rmin = rmin;
  FNC::rmax = rmax;
  FNC::natoms = static_cast<int>(rows.size());
  FNC::ncoord.clear();
  FNC::nentries = 0;
  for (const Row& row : rows) {
    FNC::ncoord.push_back(static_cast<int>(row.neighbours.size()));
    FNC::nentries += static_cast<int>(row.neighbours.size());
  }
  auto fnc = std::make_unique<FNC>();
  std::size_t p = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    fnc->centralindex[i] = rows[i].atom;
    for (std::size_t e = 0; e < rows[i].neighbours.size(); ++e, ++p) {
      fnc->neighbours[p] = rows[i].neighbours[e];
      fnc->constrainttype[p] = rows[i].kinds[e];
    }
  }
  return fnc;
}

std::string Save(const FNC& fnc, int precision = 6) {
  std::ostringstream out;
  out.precision(precision);
  fnc.rawsave(out);
  return out.str();
}

// The set of the six-atom example: one molecule type, two molecules of three
// atoms, kinds 1.0-1.2 and 1.4-1.6.
const std::vector<Row> kExampleRows = {
    {0, {2}, {0}},       {1, {3}, {0}}, {2, {0, 4}, {0, 1}},
    {3, {1, 5}, {0, 1}}, {4, {2}, {1}}, {5, {3}, {1}},
};
std::unique_ptr<FNC> Example() { return Build({1.0, 1.4}, {1.2, 1.6}, kExampleRows); }

// Per atom: the atom, its neighbour count, then its neighbours and their
// kinds. Molecule 1 is atoms 1, 3, 5 and molecule 2 is 2, 4, 6; the middle
// atom carries both pairs, bounds 1.0 and 1.2 shrink to "1" and "1.2".
const std::string kExampleFile = kHead + Lines({
                                             "      2",
                                             "      1    1.4",
                                             "    1.2    1.6",
                                             " ",
                                             "      6",
                                             " ",
                                             "         1         1",
                                             "         3",
                                             "   1",
                                             "         2         1",
                                             "         4",
                                             "   1",
                                             "         3         2",
                                             "         1         5",
                                             "   1   2",
                                             "         4         2",
                                             "         2         6",
                                             "   1   2",
                                             "         5         1",
                                             "         3",
                                             "   2",
                                             "         6         1",
                                             "         4",
                                             "   2",
                                         });

TEST(FncWriter, FilesByteForByte) {
  const auto file = [](const std::vector<double>& rmin, const std::vector<double>& rmax,
                       const std::vector<Row>& rows, int precision) {
    ConsoleCapture console;
    const auto fnc = Build(rmin, rmax, rows);
    const std::string text = Save(*fnc, precision);
    EXPECT_EQ(console.err(), "");
    return text;
  };
  EXPECT_EQ(file({1.0, 1.4}, {1.2, 1.6}, kExampleRows, 6), kExampleFile);
  // No kinds: empty bound lines.
  const std::vector<Row> empty_row = {{0, {}, {}}};
  EXPECT_EQ(file({}, {}, empty_row, 6), kHead + Lines({"      0", "", "", " ", "      1", " ",
                                                       "         1         0", "", ""}));
  // A row without entries has two empty lines.
  EXPECT_EQ(file({2.5}, {3.0}, {{0, {1}, {0}}, {1, {}, {}}, {2, {1}, {0}}}, 6),
            kHead + Lines({"      1", "    2.5", "      3", " ", "      3", " ",
                           "         1         1", "         2", "   1", "         2         0", "",
                           "", "         3         1", "         2", "   1"}));
  // Rows in placement order: the first row belongs to atom 10, and so on.
  EXPECT_EQ(file({0.5}, {0.75},
                 {{9, {0, 1, 2}, {0, 0, 0}}, {0, {9}, {0}}, {1, {9}, {0}}, {2, {9}, {0}}}, 6),
            kHead + Lines({"      1", "    0.5", "   0.75", " ", "      4", " ",
                           "        10         3", "         1         2         3", "   1   1   1",
                           "         1         1", "        10", "   1", "         2         1",
                           "        10", "   1", "         3         1", "        10", "   1"}));
  // Bounds with the stream's precision (15 after the configuration file); a
  // value wider than its field runs into the one before it.
  const std::string tail = "\n \n      1\n \n         1         0\n\n\n";
  EXPECT_EQ(file({1.47, 1.0, 0.000012345678}, {2.0, 123.456789, 1e-5}, empty_row, 6),
            kHead + "      3\n   1.47      11.23457e-05\n      2123.457  1e-05" + tail);
  EXPECT_EQ(file({0.1, 1.0 / 3, 1.47}, {1.0, 2.5, 1234567.0}, empty_row, 15),
            kHead + "      3\n    0.10.333333333333333   1.47\n      1    2.51234567" + tail);
  EXPECT_EQ(file({1234567.0, -0.0001234}, {-1.5, 1e100}, empty_row, 6),
            kHead + "      2\n1.23457e+06-0.0001234\n   -1.5 1e+100" + tail);
  // The worked example has 27 lines, and the same bytes through a file stream.
  ConsoleCapture console;
  EXPECT_EQ(SplitLines(kExampleFile).size(), 27u);
  TempDir dir;
  {
    std::ofstream out(dir.path() / "example.fnc", std::ios::out | std::ios::trunc);
    Example()->rawsave(out);
  }
  EXPECT_EQ(ReadFileBytes(dir.path() / "example.fnc"), kExampleFile);
}

TEST(FncWriter, KindWiderThanItsFieldRunsIntoThePreviousOne) {
  ConsoleCapture console;
  const int kinds = 10000;
  std::vector<double> rmin(kinds), rmax(kinds);
  for (int k = 0; k < kinds; ++k) {
    rmin[k] = 1.0 + k * 0.25;
    rmax[k] = rmin[k] + 0.5;
  }
  const auto fnc = Build(rmin, rmax, {{0, {1, 1, 1}, {kinds - 1, 0, 999}}, {1, {0}, {kinds - 1}}});
  // The bound lines, formatted independently through a standard stream.
  std::ostringstream bounds;
  for (const double v : rmin) bounds << std::setw(7) << v;
  bounds << '\n';
  for (const double v : rmax) bounds << std::setw(7) << v;
  EXPECT_EQ(Save(*fnc), kHead + "  10000\n" + bounds.str() +
                            "\n \n      2\n \n         1         3\n         2         2         "
                            "2\n10000   11000\n         2         1\n         1\n10000\n");
}

TEST(FncWriter, WritingChangesNothingAndIgnoresTheListStarts) {
  ConsoleCapture console;
  const auto fnc = Example();
  const std::vector<int> neighbours = fnc->neighbours;
  const std::vector<int> kinds = fnc->constrainttype;
  const std::vector<int> central = fnc->centralindex;
  EXPECT_EQ(Save(*fnc), kExampleFile);
  for (int& start : fnc->liststart) start = 7;
  EXPECT_EQ(Save(*fnc), kExampleFile);
  EXPECT_EQ(fnc->neighbours, neighbours);
  EXPECT_EQ(fnc->constrainttype, kinds);
  EXPECT_EQ(fnc->centralindex, central);
  EXPECT_EQ(FNC::natoms, 6);
  EXPECT_EQ(FNC::nconstraints, 2);
  EXPECT_EQ(FNC::nentries, 8);
  EXPECT_EQ(FNC::ncoord, (std::vector<int>{1, 1, 2, 2, 1, 1}));
  EXPECT_EQ(FNC::rmin, (std::vector<double>{1.0, 1.4}));
  EXPECT_EQ(FNC::rmax, (std::vector<double>{1.2, 1.6}));
}

TEST(FncWriter, StreamsThatCannotTakeTheFileStop) {
  // No open file, or a stream that already failed: nothing is written and
  // standard output stays as the constructor left it.
  std::ofstream never_opened;
  std::ostringstream failed, bad, ended;
  failed.setstate(std::ios::failbit);
  bad.setstate(std::ios::badbit);
  ended.setstate(std::ios::failbit | std::ios::eofbit);
  for (std::ostream* out :
       {static_cast<std::ostream*>(&never_opened), static_cast<std::ostream*>(&failed),
        static_cast<std::ostream*>(&bad), static_cast<std::ostream*>(&ended)}) {
    ConsoleCapture console;
    const auto fnc = Example();
    const std::string constructed = console.out();
    EXPECT_FATAL_STOP(fnc->rawsave(*out));
    EXPECT_EQ(console.out(), constructed);
    EXPECT_EQ(console.err(), kNoFile + kQuit);
  }
  EXPECT_EQ(failed.str() + bad.str() + ended.str(), "");
  // A device that fills up after 100 characters.
  ConsoleCapture console;
  const auto fnc = Example();
  const std::string constructed = console.out();
  LimitedDevice disk(100);
  std::ostream out(&disk);
  EXPECT_FATAL_STOP(fnc->rawsave(out));
  EXPECT_EQ(disk.taken, kExampleFile.substr(0, 100));
  EXPECT_EQ(console.out(), constructed + WarningBlockText("FNC::rawsave", kWriteFailed));
  EXPECT_EQ(console.err(), kQuit);
}

// ---- Construction and destruction ----

TEST(FncConstructor, NoticesForMissingCounts) {
  struct Case {
    int nconstraints;
    int natoms;
    std::string messages;
  };
  const Case cases[] = {
      {2, 3, kCreated},
      {0, 3, kNoConstraints + kCreated},
      {2, 0, kNoAtoms + kCreated},
      {0, 0, kNoConstraints + kNoAtoms + kCreated},
      {-1, -4, kNoConstraints + kNoAtoms + kCreated},
      {1, 1, kCreated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "nconstraints " << c.nconstraints << ", natoms " << c.natoms);
    ConsoleCapture console;
    FNC::nconstraints = c.nconstraints;
    FNC::natoms = c.natoms;
    {
      FNC fnc;
      EXPECT_EQ(console.out(), c.messages);
    }
    EXPECT_EQ(console.out(), c.messages + "FNC destructor\n");
    EXPECT_EQ(console.err(), "");
  }
}

TEST(FncConstructor, InitialValues) {
  ConsoleCapture console;
  {
    FNC empty;  // every count still 0, no configuration types
    EXPECT_TRUE(empty.centralindex.empty());
    EXPECT_TRUE(empty.liststart.empty());
    EXPECT_TRUE(empty.neighbours.empty());
    EXPECT_TRUE(empty.constrainttype.empty());
    EXPECT_EQ(empty.rowstart.size(), 1u);
  }
  FNC::natoms = 5;
  FNC::nconstraints = 2;
  FNC::nentries = 7;
  SimpleCfg::ntypes = 3;
  FNC fnc;
  EXPECT_EQ(fnc.centralindex, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(fnc.liststart, (std::vector<int>(5, 1)));
  EXPECT_EQ(fnc.neighbours, (std::vector<int>(7, 1)));
  EXPECT_EQ(fnc.constrainttype, (std::vector<int>(7, 1)));
  EXPECT_EQ(fnc.rowstart.size(), 4u);
}

TEST(FncDestructor, ReleasesTheBoundsAndSaysSo) {
  ConsoleCapture console;
  FNC::natoms = 2;
  FNC::nconstraints = 1;
  FNC::rmin = {1.0};
  FNC::rmax = {2.0};
  FNC::ncoord = {0, 0};
  { FNC fnc; }
  EXPECT_TRUE(FNC::rmin.empty());
  EXPECT_TRUE(FNC::rmax.empty());
  EXPECT_EQ(FNC::ncoord, (std::vector<int>{0, 0})) << "other class-wide arrays stay";
  EXPECT_EQ(console.out(), kCreated + "FNC destructor\n");
}

}  // namespace
