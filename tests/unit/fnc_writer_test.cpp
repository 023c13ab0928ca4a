// The ".fnc" constraint file writer and the constraint set's construction:
// sets are built in-process and written into strings, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "support/console_capture.hpp"
#include "support/run_binary.hpp"

namespace {

using testing_support::ConsoleCapture;

const char* const kCreated = "FNC object is created\n";
const char* const kNoConstraints =
    "\n****WARNING****\nFNC constructor\n"
    "There are no coordination constraints, or nconstraints was not initialised!\n";
const char* const kNoAtoms =
    "\n****WARNING****\nFNC constructor\nThere are no atoms, or natoms was not initialised!\n";

// The fixed head of every file: lines 1 to 3.
const std::string kHead =
    "This is a .fnc file created by FNC::rawsave \n"
    "\n"
    " No. of possible rmin-rmax pairs: \n";

struct Row {
  int atom;                     // 0-based
  std::vector<int> neighbours;  // 0-based
  std::vector<int> kinds;       // 0-based
};

// Sets the class-wide counts for `rows`, constructs the set and fills its rows
// one after another.
void SetCounts(const std::vector<double>& rmin, const std::vector<double>& rmax,
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
}

void Fill(FNC& fnc, const std::vector<Row>& rows) {
  std::size_t p = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    fnc.centralindex[i] = rows[i].atom;
    for (std::size_t e = 0; e < rows[i].neighbours.size(); ++e, ++p) {
      fnc.neighbours[p] = rows[i].neighbours[e];
      fnc.constrainttype[p] = rows[i].kinds[e];
    }
  }
}

std::string Save(const FNC& fnc, std::ostream& out) {
  fnc.rawsave(out);
  return dynamic_cast<std::ostringstream&>(out).str();
}

// The set of the six-atom example: one molecule type, two molecules of three
// atoms, kinds 1.0-1.2 and 1.4-1.6.
const std::vector<Row> kExampleRows = {
    {0, {2}, {0}},       {1, {3}, {0}}, {2, {0, 4}, {0, 1}},
    {3, {1, 5}, {0, 1}}, {4, {2}, {1}}, {5, {3}, {1}},
};

TEST(FncWriter, WorkedExampleIsWrittenLineByLine) {
  ConsoleCapture console;
  SetCounts({1.0, 1.4}, {1.2, 1.6}, kExampleRows);
  FNC fnc;
  Fill(fnc, kExampleRows);
  std::ostringstream out;
  const std::string text = Save(fnc, out);
  const std::string expected = kHead +
                               "      2\n"
                               "      1    1.4\n"
                               "    1.2    1.6\n"
                               " \n"
                               "      6\n"
                               " \n"
                               "         1         1\n"
                               "         3\n"
                               "   1\n"
                               "         2         1\n"
                               "         4\n"
                               "   1\n"
                               "         3         2\n"
                               "         1         5\n"
                               "   1   2\n"
                               "         4         2\n"
                               "         2         6\n"
                               "   1   2\n"
                               "         5         1\n"
                               "         3\n"
                               "   2\n"
                               "         6         1\n"
                               "         4\n"
                               "   2\n";
  EXPECT_EQ(text, expected);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 27);
  EXPECT_EQ(console.err(), "");

  // The same bytes through a file stream.
  testing_support::TempDir dir;
  const auto path = dir.path() / "example.fnc";
  {
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    fnc.rawsave(file);
  }
  EXPECT_EQ(testing_support::ReadFileBytes(path), expected);
}

TEST(FncWriter, WritingChangesNeitherTheSetNorTheCounts) {
  ConsoleCapture console;
  SetCounts({1.0, 1.4}, {1.2, 1.6}, kExampleRows);
  FNC fnc;
  Fill(fnc, kExampleRows);
  const std::vector<int> neighbours = fnc.neighbours;
  const std::vector<int> kinds = fnc.constrainttype;
  const std::vector<int> central = fnc.centralindex;
  std::ostringstream first;
  std::ostringstream second;
  EXPECT_EQ(Save(fnc, first), Save(fnc, second));
  EXPECT_EQ(fnc.neighbours, neighbours);
  EXPECT_EQ(fnc.constrainttype, kinds);
  EXPECT_EQ(fnc.centralindex, central);
  EXPECT_EQ(FNC::natoms, 6);
  EXPECT_EQ(FNC::nconstraints, 2);
  EXPECT_EQ(FNC::nentries, 8);
  EXPECT_EQ(FNC::ncoord, (std::vector<int>{1, 1, 2, 2, 1, 1}));
  EXPECT_EQ(FNC::rmin, (std::vector<double>{1.0, 1.4}));
  EXPECT_EQ(FNC::rmax, (std::vector<double>{1.2, 1.6}));
}

TEST(FncWriter, ListStartIsNotConsulted) {
  ConsoleCapture console;
  SetCounts({1.0, 1.4}, {1.2, 1.6}, kExampleRows);
  FNC fnc;
  Fill(fnc, kExampleRows);
  std::ostringstream plain;
  const std::string expected = Save(fnc, plain);
  for (int& start : fnc.liststart) start = 7;
  std::ostringstream scrambled;
  EXPECT_EQ(Save(fnc, scrambled), expected);
}

TEST(FncWriter, NoConstraintKindsGiveEmptyBoundLines) {
  ConsoleCapture console;
  const std::vector<Row> rows = {{0, {}, {}}};
  SetCounts({}, {}, rows);
  FNC fnc;
  std::ostringstream out;
  EXPECT_EQ(Save(fnc, out), kHead +
                                "      0\n"
                                "\n"
                                "\n"
                                " \n"
                                "      1\n"
                                " \n"
                                "         1         0\n"
                                "\n"
                                "\n");
}

TEST(FncWriter, RowWithoutEntriesHasTwoEmptyLines) {
  ConsoleCapture console;
  const std::vector<Row> rows = {{0, {1}, {0}}, {1, {}, {}}, {2, {1}, {0}}};
  SetCounts({2.5}, {3.0}, rows);
  FNC fnc;
  Fill(fnc, rows);
  std::ostringstream out;
  EXPECT_EQ(Save(fnc, out), kHead +
                                "      1\n"
                                "    2.5\n"
                                "      3\n"
                                " \n"
                                "      3\n"
                                " \n"
                                "         1         1\n"
                                "         2\n"
                                "   1\n"
                                "         2         0\n"
                                "\n"
                                "\n"
                                "         3         1\n"
                                "         2\n"
                                "   1\n");
}

TEST(FncWriter, RowsFollowTheirCentralAtoms) {
  // Rows in placement order: the first row belongs to atom 10, and so on.
  ConsoleCapture console;
  const std::vector<Row> rows = {
      {9, {0, 1, 2}, {0, 0, 0}}, {0, {9}, {0}}, {1, {9}, {0}}, {2, {9}, {0}}};
  SetCounts({0.5}, {0.75}, rows);
  FNC fnc;
  Fill(fnc, rows);
  std::ostringstream out;
  EXPECT_EQ(Save(fnc, out), kHead +
                                "      1\n"
                                "    0.5\n"
                                "   0.75\n"
                                " \n"
                                "      4\n"
                                " \n"
                                "        10         3\n"
                                "         1         2         3\n"
                                "   1   1   1\n"
                                "         1         1\n"
                                "        10\n"
                                "   1\n"
                                "         2         1\n"
                                "        10\n"
                                "   1\n"
                                "         3         1\n"
                                "        10\n"
                                "   1\n");
}

// Lines 5 and 6 of a file with these bounds, written on `out`.
std::pair<std::string, std::string> BoundLines(std::ostringstream& out,
                                               const std::vector<double>& rmin,
                                               const std::vector<double>& rmax) {
  const std::vector<Row> rows = {{0, {}, {}}};
  SetCounts(rmin, rmax, rows);
  FNC fnc;
  const std::string text = Save(fnc, out);
  std::istringstream lines(text);
  std::string line;
  std::vector<std::string> all;
  while (std::getline(lines, line)) all.push_back(line);
  EXPECT_GE(all.size(), 6u);
  if (all.size() < 6) return {};
  return {all[4], all[5]};
}

TEST(FncWriter, BoundsUseTheStreamsPrecision) {
  ConsoleCapture console;
  {
    std::ostringstream fresh;  // precision 6
    const auto [rmin, rmax] =
        BoundLines(fresh, {1.47, 1.0, 0.000012345678}, {2.0, 123.456789, 1e-5});
    EXPECT_EQ(rmin, "   1.47      11.23457e-05");
    EXPECT_EQ(rmax, "      2123.457  1e-05");
  }
  {
    std::ostringstream after_cfg;
    after_cfg.precision(15);  // what the configuration writer leaves behind
    const auto [rmin, rmax] = BoundLines(after_cfg, {0.1, 1.0 / 3, 1.47}, {1.0, 2.5, 1234567.0});
    EXPECT_EQ(rmin, "    0.10.333333333333333   1.47");
    EXPECT_EQ(rmax, "      1    2.51234567");
  }
  {
    // A value wider than its field runs into the one before it.
    std::ostringstream fresh;
    const auto [rmin, rmax] = BoundLines(fresh, {1234567.0, -0.0001234}, {-1.5, 1e100});
    EXPECT_EQ(rmin, "1.23457e+06-0.0001234");
    EXPECT_EQ(rmax, "   -1.5 1e+100");
  }
}

TEST(FncWriter, KindWiderThanItsFieldRunsIntoThePreviousOne) {
  ConsoleCapture console;
  const int kinds = 10000;
  std::vector<double> rmin(kinds);
  std::vector<double> rmax(kinds);
  for (int k = 0; k < kinds; ++k) {
    rmin[k] = 1.0 + k * 0.25;
    rmax[k] = rmin[k] + 0.5;
  }
  const std::vector<Row> rows = {{0, {1, 1, 1}, {kinds - 1, 0, 999}}, {1, {0}, {kinds - 1}}};
  SetCounts(rmin, rmax, rows);
  FNC fnc;
  Fill(fnc, rows);
  std::ostringstream out;
  const std::string text = Save(fnc, out);
  // The bound lines, formatted independently through a standard stream.
  std::ostringstream bounds;
  for (const double v : rmin) bounds << std::setw(7) << v;
  bounds << '\n';
  for (const double v : rmax) bounds << std::setw(7) << v;
  bounds << '\n';
  EXPECT_EQ(text, kHead + "  10000\n" + bounds.str() +
                      " \n"
                      "      2\n"
                      " \n"
                      "         1         3\n"
                      "         2         2         2\n"
                      "10000   11000\n"
                      "         2         1\n"
                      "         1\n"
                      "10000\n");
}

TEST(FncWriter, NoOpenFileIsAFatalError) {
  ConsoleCapture console;
  SetCounts({1.0, 1.4}, {1.2, 1.6}, kExampleRows);
  FNC fnc;
  Fill(fnc, kExampleRows);
  const std::string constructed = console.out();
  std::ofstream never_opened;
  EXPECT_FATAL_STOP(fnc.rawsave(never_opened));
  EXPECT_EQ(console.err(), "There is no open file to save the FNC object \nQuit (y)?->\n");
  EXPECT_EQ(console.out(), constructed) << "nothing may be written to standard output";
}

TEST(FncWriter, FailedStreamIsAFatalError) {
  for (const std::ios::iostate flags :
       {std::ios::failbit, std::ios::badbit, std::ios::failbit | std::ios::eofbit}) {
    ConsoleCapture console;
    SetCounts({1.0, 1.4}, {1.2, 1.6}, kExampleRows);
    FNC fnc;
    Fill(fnc, kExampleRows);
    std::ostringstream out;
    out.setstate(flags);
    EXPECT_FATAL_STOP(fnc.rawsave(out));
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(console.err(), "There is no open file to save the FNC object \nQuit (y)?->\n");
  }
}

// Accepts a fixed number of characters, then refuses every write: a disk
// that fills up.
class FullDisk : public std::streambuf {
 public:
  explicit FullDisk(std::size_t room) : room_(room) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (room_ == 0) return traits_type::eof();
    --room_;
    return c;
  }

 private:
  std::size_t room_;
};

TEST(FncWriter, FailedWriteIsReported) {
  ConsoleCapture console;
  SetCounts({1.0, 1.4}, {1.2, 1.6}, kExampleRows);
  FNC fnc;
  Fill(fnc, kExampleRows);
  const std::string constructed = console.out();
  FullDisk disk(100);
  std::ostream out(&disk);
  EXPECT_FATAL_STOP(fnc.rawsave(out));
  EXPECT_EQ(console.out(), constructed +
                               "****WARNING****\nFNC::rawsave\n"
                               "Writing failed, the file may be incomplete!\n"
                               "Cannot run this way, exiting...!\n");
  EXPECT_EQ(console.err(), "Quit (y)?->\n");
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
      {0, 3, std::string(kNoConstraints) + kCreated},
      {2, 0, std::string(kNoAtoms) + kCreated},
      {0, 0, std::string(kNoConstraints) + kNoAtoms + kCreated},
      {-1, -4, std::string(kNoConstraints) + kNoAtoms + kCreated},
      {1, 1, kCreated},
  };
  for (const Case& c : cases) {
    ConsoleCapture console;
    FNC::nconstraints = c.nconstraints;
    FNC::natoms = c.natoms;
    {
      FNC fnc;
      EXPECT_EQ(console.out(), c.messages)
          << "nconstraints " << c.nconstraints << ", natoms " << c.natoms;
    }
    EXPECT_EQ(console.out(), c.messages + "FNC destructor\n");
    EXPECT_EQ(console.err(), "");
  }
}

TEST(FncConstructor, InitialValues) {
  ConsoleCapture console;
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

TEST(FncConstructor, MissingCountsGiveEmptyRows) {
  ConsoleCapture console;
  FNC fnc;  // every count still 0, no configuration types
  EXPECT_TRUE(fnc.centralindex.empty());
  EXPECT_TRUE(fnc.liststart.empty());
  EXPECT_TRUE(fnc.neighbours.empty());
  EXPECT_TRUE(fnc.constrainttype.empty());
  EXPECT_EQ(fnc.rowstart.size(), 1u);
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
  EXPECT_EQ(console.out(), std::string(kCreated) + "FNC destructor\n");
}

}  // namespace
