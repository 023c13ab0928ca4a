// The version 3 configuration file: the exact text that save writes, the
// header walk of GetParams_cfg, load with its checks, and every error path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "support/console_capture.hpp"
#include "support/run_binary.hpp"

namespace {

using testing_support::ConsoleCapture;

// Lines joined with line feeds, each line ended by one.
std::string Text(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// The class-wide layout a header with these per-type counts describes.
void SetLayout(const std::vector<int>& counts, double box) {
  SimpleCfg::ntypes = static_cast<int>(counts.size());
  SimpleCfg::ni = counts;
  SimpleCfg::typestart.assign(1, 0);
  int total = 0;
  for (const int count : counts) {
    total += count;
    SimpleCfg::typestart.push_back(total);
  }
  SimpleCfg::natoms = total;
  SimpleCfg::boxlength = box;
}

void SetCoords(SimpleCfg& cfg, const std::vector<double>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) cfg.coords[i] = values[i];
}

// The file of two types with 1 and 2 atoms in a box of 20, written by hand
// from the line table of the format.
const std::vector<double> kExampleCoords = {0.1, -0.25, 0.5,    1.0 / 3, 2.0 / 3,
                                            0.0, -1.5,  0.0625, 12.125};
const std::string kExampleFile = Text({
    " (Version 3 format configuration file) !file created by SimpleCfg::save !",
    "FNC configuration",
    "",
    "",
    "          0         0         0 moves generated, tried, accepted ",
    "          0              configurations saved",
    " ",
    "          3 molecules of all types",
    "          2 types of molecules ",
    "          1 is the largest number of atoms in a molecule ",
    "          0 Euler angles are provided ",
    " ",
    "          F (box is cubic)\t",
    "            Defining vectors are: ",
    "             20.000000   0.000000   0.000000",
    "              0.000000  20.000000   0.000000",
    "              0.000000   0.000000  20.000000",
    "",
    "          1 molecules of type  1",
    "          1 atomic sites ",
    "              0.000000   0.000000   0.000000",
    " ",
    "          2 molecules of type  2",
    "          1 atomic sites ",
    "              0.000000   0.000000   0.000000",
    " ",
    " 0.100000000000000  -0.250000000000000  0.500000000000000",
    " 0.333333333333333  0.666666666666667  0.000000000000000",
    " -1.500000000000000  0.062500000000000  12.125000000000000",
});

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// The example file with line `number` (1-based) replaced.
std::string WithLine(int number, const std::string& replacement) {
  auto lines = SplitLines(kExampleFile);
  lines[static_cast<std::size_t>(number - 1)] = replacement;
  return JoinLines(lines);
}

// The example file cut after line `count`.
std::string FirstLines(int count) {
  auto lines = SplitLines(kExampleFile);
  lines.resize(static_cast<std::size_t>(count));
  return JoinLines(lines);
}

std::string SaveToString(const SimpleCfg& cfg, const std::string& title = "FNC configuration") {
  std::ostringstream out;
  cfg.save(out, title);
  return out.str();
}

const std::string kQuit = "Quit (y)?->\n";

std::string ReadBlock(const std::string& reason) {
  return Text(
      {"****WARNING****", "SimpleCfg::GetParameters", reason, "Cannot run this way, exiting...!"});
}

std::string LoadBlock(const std::string& reason) {
  return Text({"****WARNING****", "SimpleCfg::load", reason, "Cannot run this way, exiting...!"});
}

const std::string kFormat = "Loading failed, possibly due to wrong file format!";
const std::string kEnd = "End of file was reached during loading!";

// ---------------------------------------------------------------- writer

TEST(CfgSave, WritesTheTwentyNineLineExampleByteForByte) {
  ConsoleCapture console;
  SetLayout({1, 2}, 20);
  SimpleCfg cfg;
  SetCoords(cfg, kExampleCoords);
  const std::string written = SaveToString(cfg);
  EXPECT_EQ(written, kExampleFile);
  EXPECT_EQ(SplitLines(written).size(), 29u);
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
}

TEST(CfgSave, TitleIsTheSecondLine) {
  ConsoleCapture console;
  SetLayout({1, 2}, 20);
  SimpleCfg cfg;
  SetCoords(cfg, kExampleCoords);
  EXPECT_EQ(SaveToString(cfg, "another title"), WithLine(2, "another title"));
}

TEST(CfgSave, LeavesPrecisionFifteenAndGeneralNotation) {
  ConsoleCapture console;
  SetLayout({1, 2}, 20);
  SimpleCfg cfg;
  SetCoords(cfg, kExampleCoords);
  std::ostringstream out;
  cfg.save(out, "FNC configuration");
  EXPECT_EQ(out.precision(), 15);
  EXPECT_EQ(out.flags() & std::ios::floatfield, std::ios::fmtflags{});
  EXPECT_EQ(out.flags() & std::ios::adjustfield, std::ios::fmtflags{});
  // The next file through the same stream gets fifteen significant digits.
  out.str("");
  out << 1.0 / 3 << ' ' << 35.0 << ' ' << 0.1;
  EXPECT_EQ(out.str(), "0.333333333333333 35 0.1");
}

TEST(CfgSave, BoxLengthFieldWidths) {
  struct Case {
    double box;
    std::vector<std::string> lines;  // lines 15 to 17
  };
  const Case cases[] = {
      // 123.5 fills the ten columns exactly.
      {123.5,
       {"            123.500000   0.000000   0.000000",
        "              0.000000 123.500000   0.000000",
        "              0.000000   0.000000 123.500000"}},
      // 1000 needs eleven and pushes the rest one column to the right.
      {1000,
       {"            1000.000000   0.000000   0.000000",
        "              0.000000 1000.000000   0.000000",
        "              0.000000   0.000000 1000.000000"}},
      // Rounded to the nearest six-decimal value.
      {2.0 / 3,
       {"              0.666667   0.000000   0.000000",
        "              0.000000   0.666667   0.000000",
        "              0.000000   0.000000   0.666667"}},
  };
  for (const auto& c : cases) {
    ConsoleCapture console;
    SetLayout({1, 2}, c.box);
    SimpleCfg cfg;
    SetCoords(cfg, kExampleCoords);
    const auto lines = SplitLines(SaveToString(cfg));
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[14], c.lines[0]) << c.box;
    EXPECT_EQ(lines[15], c.lines[1]) << c.box;
    EXPECT_EQ(lines[16], c.lines[2]) << c.box;
  }
}

TEST(CfgSave, NegativeCoordinatesWidenTheirFieldOnly) {
  ConsoleCapture console;
  SetLayout({2}, 1);
  SimpleCfg cfg;
  SetCoords(cfg, {-0.25, -0.000000000000001, -123.456, 1e-16, -4e-16, 6e-16});
  const auto lines = SplitLines(SaveToString(cfg));
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[22], " -0.250000000000000  -0.000000000000001  -123.456000000000003");
  // Values below half a unit of the last decimal round to zero; a negative
  // one keeps its sign.
  EXPECT_EQ(lines[23], " 0.000000000000000  -0.000000000000000  0.000000000000001");
}

TEST(CfgSave, BlockLineOfTypeTenEndsWithItsNumber) {
  ConsoleCapture console;
  SetLayout({0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 5);
  SimpleCfg cfg;
  SetCoords(cfg, {0.5, 0.25, 0.125});
  const auto lines = SplitLines(SaveToString(cfg));
  ASSERT_EQ(lines.size(), 18u + 40u + 1u);
  EXPECT_EQ(lines[8], "         10 types of molecules ");
  EXPECT_EQ(lines[18], "          0 molecules of type  1");
  EXPECT_EQ(lines[22], "          0 molecules of type  2");
  EXPECT_EQ(lines[50], "          0 molecules of type  9");
  EXPECT_EQ(lines[54], "          1 molecules of type  10");
  EXPECT_EQ(lines[55], "          1 atomic sites ");
  EXPECT_EQ(lines[56], "              0.000000   0.000000   0.000000");
  EXPECT_EQ(lines[57], " ");
  EXPECT_EQ(lines[58], " 0.500000000000000  0.250000000000000  0.125000000000000");
}

TEST(CfgSave, NoTypesGivesTheEighteenHeaderLines) {
  ConsoleCapture console;
  SetLayout({}, 20);
  SimpleCfg cfg;
  const std::string written = SaveToString(cfg);
  EXPECT_EQ(written, [] {
    auto lines = SplitLines(kExampleFile);
    lines.resize(18);
    lines[7] = "          0 molecules of all types";
    lines[8] = "          0 types of molecules ";
    return JoinLines(lines);
  }());
  const auto lines = SplitLines(written);
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[7][10], '0');
  EXPECT_EQ(lines[8][10], '0');
}

TEST(CfgSave, CountWiderThanTenColumnsIsWrittenInFull) {
  ConsoleCapture console;
  SetLayout({0}, 1);
  SimpleCfg cfg;
  SimpleCfg::ni = {-1234567890};
  SimpleCfg::natoms = 0;
  const auto lines = SplitLines(SaveToString(cfg));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[18], " -1234567890 molecules of type  1");
  // Exactly ten characters still get the one blank in front.
  SimpleCfg::ni = {1234567890};
  EXPECT_EQ(SplitLines(SaveToString(cfg))[18], " 1234567890 molecules of type  1");
}

// ---------------------------------------------------------------- round trip

TEST(CfgRoundTrip, SaveThenReadBackGivesTheSameLayoutAndCoordinates) {
  const std::vector<int> counts = {2, 0, 3};
  std::vector<double> values;
  for (int i = 0; i < 15; ++i) values.push_back(std::sin(1.7 * i + 0.3) * (i % 4 == 0 ? 9.5 : 1));
  std::string file;
  {
    ConsoleCapture console;
    SetLayout(counts, 37.125);
    SimpleCfg cfg;
    SetCoords(cfg, values);
    file = SaveToString(cfg, "round trip");
  }
  ConsoleCapture console;
  std::istringstream header(file);
  EXPECT_TRUE(SimpleCfg::GetParams_cfg(header));
  EXPECT_EQ(SimpleCfg::natoms, 5);
  EXPECT_EQ(SimpleCfg::ntypes, 3);
  EXPECT_EQ(SimpleCfg::ni, counts);
  EXPECT_EQ(SimpleCfg::typestart, (std::vector<int>{0, 2, 2, 5}));
  EXPECT_EQ(SimpleCfg::boxlength, 37.125);
  SimpleCfg cfg;
  std::istringstream whole(file);
  cfg.load(whole);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_NEAR(cfg.coords[i], values[i], 6e-16 * std::max(1.0, std::fabs(values[i])))
        << "value " << i;
  }
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
}

TEST(CfgRoundTrip, ThroughAFileInATemporaryFolder) {
  testing_support::TempDir dir;
  const auto path = dir.path() / "round.cfg";
  {
    ConsoleCapture console;
    SetLayout({1, 2}, 20);
    SimpleCfg cfg;
    SetCoords(cfg, kExampleCoords);
    std::ofstream out(path);
    cfg.save(out, "FNC configuration");
  }
  EXPECT_EQ(testing_support::ReadFileBytes(path), kExampleFile);
  ConsoleCapture console;
  std::ifstream header(path);
  EXPECT_TRUE(SimpleCfg::GetParams_cfg(header));
  SimpleCfg cfg;
  std::ifstream whole(path);
  cfg.load(whole);
  EXPECT_EQ(SimpleCfg::boxlength, 20);
  for (std::size_t i = 0; i < kExampleCoords.size(); ++i) {
    EXPECT_NEAR(cfg.coords[i], kExampleCoords[i], 6e-16) << "value " << i;
  }
}

// ---------------------------------------------------------------- header walk

struct HeaderCase {
  const char* what;
  std::string file;
  int natoms;
  int ntypes;
  double box;
  std::vector<int> ni;
};

TEST(CfgGetParams, HeaderWalkTakesOnlyTheNumbersItNeeds) {
  auto lines = SplitLines(kExampleFile);
  std::vector<HeaderCase> cases;
  cases.push_back({"example", kExampleFile, 3, 2, 20, {1, 2}});
  {
    auto changed = lines;
    changed[7] = "   4 5 6 and more words";
    changed[8] = "\t1\tx y z";
    changed[14] = "  7.25 junk 8";
    changed[18] = " 4 molecules of type 1 999";
    changed[0] = "1 2 3";
    changed[9] = "42";
    changed[16] = "words only";
    cases.push_back({"extra text", JoinLines(changed), 4, 1, 7.25, {4}});
  }
  {
    // Blank lines right before a number are passed over by the number read.
    auto changed = lines;
    changed[7] = "\n\n  \t\n" + changed[7];
    changed[14] = "\n" + changed[14];
    changed[22] = "\n \n" + changed[22];
    cases.push_back({"blank lines", JoinLines(changed), 3, 2, 20, {1, 2}});
  }
  {
    // A carriage return before each line feed is white space.
    std::string crlf;
    for (const auto& line : lines) crlf += line + "\r\n";
    cases.push_back({"carriage returns", crlf, 3, 2, 20, {1, 2}});
  }
  {
    // Counts that do not add up to the total are accepted as they stand.
    auto changed = lines;
    changed[18] = "          5 molecules of type  1";
    cases.push_back({"sum differs", JoinLines(changed), 3, 2, 20, {5, 2}});
  }
  cases.push_back({"box in exponent form", WithLine(15, " 1.5e2 0 0"), 3, 2, 150, {1, 2}});
  cases.push_back({"header only, no coordinates", FirstLines(26), 3, 2, 20, {1, 2}});
  for (const auto& c : cases) {
    ConsoleCapture console;
    std::istringstream in(c.file);
    EXPECT_TRUE(SimpleCfg::GetParams_cfg(in)) << c.what;
    EXPECT_EQ(SimpleCfg::natoms, c.natoms) << c.what;
    EXPECT_EQ(SimpleCfg::ntypes, c.ntypes) << c.what;
    EXPECT_EQ(SimpleCfg::boxlength, c.box) << c.what;
    EXPECT_EQ(SimpleCfg::ni, c.ni) << c.what;
    std::vector<int> starts = {0};
    for (const int n : c.ni) starts.push_back(starts.back() + n);
    EXPECT_EQ(SimpleCfg::typestart, starts) << c.what;
    EXPECT_EQ(console.out(), "") << c.what;
    EXPECT_EQ(console.err(), "") << c.what;
  }
}

TEST(CfgGetParams, NoTypesReadsNoBlock) {
  ConsoleCapture console;
  auto lines = SplitLines(kExampleFile);
  lines.resize(18);
  lines[7] = "          0 molecules of all types";
  lines[8] = "          0 types of molecules ";
  std::istringstream in(JoinLines(lines));
  EXPECT_TRUE(SimpleCfg::GetParams_cfg(in));
  EXPECT_EQ(SimpleCfg::natoms, 0);
  EXPECT_EQ(SimpleCfg::ntypes, 0);
  EXPECT_TRUE(SimpleCfg::ni.empty());
  EXPECT_EQ(SimpleCfg::typestart, std::vector<int>{0});
  EXPECT_EQ(console.out(), "");
}

TEST(CfgGetParams, FailedReadsEndInTheWarningBlock) {
  struct Case {
    const char* what;
    std::string file;
    std::string reason;
  };
  const Case cases[] = {
      {"word on line 9", WithLine(9, " two types of molecules"), kFormat},
      {"word on line 8", WithLine(8, " many molecules"), kFormat},
      {"word for the box", WithLine(15, "  box 20 0 0"), kFormat},
      {"word for a type count", WithLine(23, " some molecules of type  2"), kFormat},
      {"ends after line 12", FirstLines(12), kEnd},
      {"ends after line 7", FirstLines(7), kEnd},
      {"ends inside the second block", FirstLines(22), kEnd},
      // The last count without a line end: its line skip meets the end.
      {"ends right after a type count", FirstLines(22) + "          2", kEnd},
      {"empty file", "", kEnd},
      // Values that would size arrays wrongly.
      {"negative total", WithLine(8, "         -3 molecules of all types"), kFormat},
      {"negative type count", WithLine(9, "         -2 types of molecules "), kFormat},
      {"negative count of a type", WithLine(23, "         -2 molecules of type  2"), kFormat},
      {"box 0", WithLine(15, "              0.000000   0.000000   0.000000"), kFormat},
      {"box -5", WithLine(15, "             -5.000000   0.000000   0.000000"), kFormat},
      {"box out of range", WithLine(15, "            1e999 0 0"), kFormat},
      // A rejected value is reported as a format error even at the end of the file.
      {"negative type count last in file", FirstLines(8) + "         -2", kFormat},
      {"box -5 last in file", FirstLines(14) + "  -5", kFormat},
  };
  for (const auto& c : cases) {
    ConsoleCapture console;
    std::istringstream in(c.file);
    EXPECT_FATAL_STOP(SimpleCfg::GetParams_cfg(in)) << c.what;
    EXPECT_EQ(console.out(), ReadBlock(c.reason)) << c.what;
    EXPECT_EQ(console.err(), kQuit) << c.what;
  }
}

TEST(CfgGetParams, StreamWithoutAnOpenFileChangesNothing) {
  testing_support::TempDir dir;
  std::ifstream never_opened;
  std::ifstream missing(dir.path() / "missing.incfg");
  std::istringstream failed(kExampleFile);
  failed.setstate(std::ios::failbit);
  std::istringstream bad(kExampleFile);
  bad.setstate(std::ios::badbit);
  for (std::istream* in :
       {static_cast<std::istream*>(&never_opened), static_cast<std::istream*>(&missing),
        static_cast<std::istream*>(&failed), static_cast<std::istream*>(&bad)}) {
    ConsoleCapture console;
    SimpleCfg::natoms = 17;
    SimpleCfg::ntypes = 4;
    SimpleCfg::boxlength = 2.5;
    EXPECT_FALSE(SimpleCfg::GetParams_cfg(*in));
    EXPECT_EQ(console.out(), "SimpleCfg::GetParams_cfg - text file not open or non-existing.\n");
    EXPECT_EQ(console.err(), "");
    EXPECT_EQ(SimpleCfg::natoms, 17);
    EXPECT_EQ(SimpleCfg::ntypes, 4);
    EXPECT_EQ(SimpleCfg::boxlength, 2.5);
    EXPECT_TRUE(SimpleCfg::ni.empty());
    EXPECT_TRUE(SimpleCfg::typestart.empty());
  }
}

// ---------------------------------------------------------------- load

// Reads the example header, builds the object, then loads `file` into it.
void LoadAfterExampleHeader(const std::string& file, SimpleCfg*& cfg_out,
                            std::unique_ptr<SimpleCfg>& holder) {
  std::istringstream header(kExampleFile);
  ASSERT_TRUE(SimpleCfg::GetParams_cfg(header));
  holder = std::make_unique<SimpleCfg>();
  cfg_out = holder.get();
  std::istringstream in(file);
  cfg_out->load(in);
}

TEST(CfgLoad, ReadsEveryCoordinate) {
  std::vector<std::string> files = {kExampleFile};
  // The last number without a line end is no failure.
  std::string no_line_end = kExampleFile;
  no_line_end.pop_back();
  files.push_back(no_line_end);
  // Any white space may separate the coordinates.
  files.push_back(FirstLines(26) +
                  "0.1 -0.25\n0.5 0.333333333333333\t0.666666666666667 0 -1.5 0.0625 12.125");
  for (const auto& file : files) {
    ConsoleCapture console;
    SimpleCfg* cfg = nullptr;
    std::unique_ptr<SimpleCfg> holder;
    LoadAfterExampleHeader(file, cfg, holder);
    ASSERT_NE(cfg, nullptr);
    for (std::size_t i = 0; i < kExampleCoords.size(); ++i) {
      EXPECT_NEAR(cfg->coords[i], kExampleCoords[i], 6e-16) << "value " << i;
    }
    EXPECT_EQ(SimpleCfg::natoms, 3);
    EXPECT_EQ(SimpleCfg::ni, (std::vector<int>{1, 2}));
    EXPECT_EQ(SimpleCfg::boxlength, 20);
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
  }
}

TEST(CfgLoad, KeepsTheBoxLengthOfTheHeaderPass) {
  ConsoleCapture console;
  SimpleCfg* cfg = nullptr;
  std::unique_ptr<SimpleCfg> holder;
  LoadAfterExampleHeader(WithLine(15, "             99.000000   0.000000   0.000000"), cfg, holder);
  EXPECT_EQ(SimpleCfg::boxlength, 20);
  EXPECT_EQ(console.out(), "");
}

TEST(CfgLoad, WhatCannotBeReadEndsInTheWarningBlock) {
  auto lines = SplitLines(kExampleFile);
  struct Case {
    const char* what;
    std::string file;
    std::string reason;
  };
  const Case cases[] = {
      {"fewer coordinates than announced", FirstLines(28), kEnd},
      {"one number short", FirstLines(28) + " -1.5  0.0625\n", kEnd},
      {"ends inside the header", FirstLines(20), kEnd},
      {"bad coordinate", FirstLines(27) + " 0.3  abc  0.1\n" + lines[28] + "\n", kFormat},
      {"word for the total", WithLine(8, " three molecules"), kFormat},
      {"total differs", WithLine(8, "          4 molecules of all types"), kFormat},
      {"type count differs", WithLine(9, "          1 types of molecules "), kFormat},
      {"type count larger", WithLine(9, "          3 types of molecules "), kFormat},
      {"count of a type differs",
       [&] {
         auto changed = lines;
         changed[18] = "          2 molecules of type  1";
         changed[22] = "          1 molecules of type  2";
         return JoinLines(changed);
       }(),
       kFormat},
  };
  for (const auto& c : cases) {
    ConsoleCapture console;
    SimpleCfg* cfg = nullptr;
    std::unique_ptr<SimpleCfg> holder;
    EXPECT_FATAL_STOP(LoadAfterExampleHeader(c.file, cfg, holder)) << c.what;
    EXPECT_EQ(console.out(), LoadBlock(c.reason)) << c.what;
    EXPECT_EQ(console.err(), kQuit) << c.what;
  }
}

TEST(CfgLoad, StreamWithoutAnOpenFileStops) {
  testing_support::TempDir dir;
  std::ifstream never_opened;
  std::ifstream missing(dir.path() / "missing.incfg");
  std::istringstream failed(kExampleFile);
  failed.setstate(std::ios::failbit);
  for (std::istream* in :
       {static_cast<std::istream*>(&never_opened), static_cast<std::istream*>(&missing),
        static_cast<std::istream*>(&failed)}) {
    ConsoleCapture console;
    std::istringstream header(kExampleFile);
    ASSERT_TRUE(SimpleCfg::GetParams_cfg(header));
    SimpleCfg cfg;
    EXPECT_FATAL_STOP(cfg.load(*in));
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "SimpleCfg::load - file not open or non-existing.\n" + kQuit);
  }
}

// ---------------------------------------------------------------- save errors

TEST(CfgSave, StreamWithoutAnOpenFileStops) {
  std::ofstream never_opened;
  std::ostringstream failed;
  failed.setstate(std::ios::failbit);
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  for (std::ostream* out :
       {static_cast<std::ostream*>(&never_opened), static_cast<std::ostream*>(&failed),
        static_cast<std::ostream*>(&bad)}) {
    ConsoleCapture console;
    SetLayout({1, 2}, 20);
    SimpleCfg cfg;
    SetCoords(cfg, kExampleCoords);
    EXPECT_FATAL_STOP(cfg.save(*out, "FNC configuration"));
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "There is no open file to save the SimpleCfg object \n" + kQuit);
  }
}

// A device that takes `capacity` characters and then refuses every write, as
// a full disk does.
class FullDevice : public std::streambuf {
 public:
  explicit FullDevice(std::size_t capacity) : capacity_(capacity) {}
  const std::string& taken() const { return taken_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (taken_.size() >= capacity_) return traits_type::eof();
    taken_.push_back(traits_type::to_char_type(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const auto room = static_cast<std::streamsize>(capacity_ - taken_.size());
    const std::streamsize k = n < room ? n : room;
    taken_.append(s, static_cast<std::size_t>(k));
    return k;
  }

 private:
  std::size_t capacity_;
  std::string taken_;
};

TEST(CfgSave, FailedWriteIsReported) {
  for (const std::size_t capacity : {std::size_t{0}, std::size_t{100}, kExampleFile.size() - 1}) {
    ConsoleCapture console;
    SetLayout({1, 2}, 20);
    SimpleCfg cfg;
    SetCoords(cfg, kExampleCoords);
    FullDevice device(capacity);
    std::ostream out(&device);
    EXPECT_FATAL_STOP(cfg.save(out, "FNC configuration")) << capacity;
    EXPECT_EQ(console.out(), Text({"****WARNING****", "SimpleCfg::save",
                                   "Writing failed, the file may be incomplete!",
                                   "Cannot run this way, exiting...!"}))
        << capacity;
    EXPECT_EQ(console.err(), kQuit) << capacity;
    EXPECT_EQ(device.taken(), kExampleFile.substr(0, capacity));
  }
}

TEST(CfgSave, DeviceWithJustEnoughRoomIsNoFailure) {
  ConsoleCapture console;
  SetLayout({1, 2}, 20);
  SimpleCfg cfg;
  SetCoords(cfg, kExampleCoords);
  FullDevice device(kExampleFile.size());
  std::ostream out(&device);
  cfg.save(out, "FNC configuration");
  EXPECT_EQ(device.taken(), kExampleFile);
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
}

}  // namespace
