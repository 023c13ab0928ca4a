// The version 3 configuration file: the exact text that save writes, the
// header walk of GetParams_cfg, load with its checks, and every error path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "support/console_capture.hpp"
#include "support/run_binary.hpp"
#include "support/text.hpp"

namespace {

using namespace testing_support;

// A configuration of this layout holding `values`.
std::unique_ptr<SimpleCfg> Filled(const std::vector<int>& counts, double box,
                                  const std::vector<double>& values) {
  SetCfgLayout(counts, box);
  auto cfg = std::make_unique<SimpleCfg>();
  std::copy(values.begin(), values.end(), cfg->coords.get());
  return cfg;
}

std::string SaveToString(const SimpleCfg& cfg, const std::string& title = "FNC configuration") {
  std::ostringstream out;
  cfg.save(out, title);
  return out.str();
}

// The file of two types with 1 and 2 atoms in a box of 20, written by hand
// from the line table of the format.
const std::vector<double> kExampleCoords = {0.1, -0.25, 0.5,    1.0 / 3, 2.0 / 3,
                                            0.0, -1.5,  0.0625, 12.125};
const std::string kExampleFile = Lines({
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

std::unique_ptr<SimpleCfg> Example(double box = 20) { return Filled({1, 2}, box, kExampleCoords); }

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

// The eighteen header lines of a configuration without types.
const std::string kNoTypesFile = [] {
  auto lines = SplitLines(kExampleFile);
  lines.resize(18);
  lines[7] = "          0 molecules of all types";
  lines[8] = "          0 types of molecules ";
  return JoinLines(lines);
}();

std::string ReadBlock(const std::string& reason) {
  return WarningBlockText("SimpleCfg::GetParameters", reason);
}

// ---------------------------------------------------------------- writer

TEST(CfgSave, WritesTheTwentyNineLineExampleByteForByte) {
  ConsoleCapture console;
  const auto cfg = Example();
  std::ostringstream out;
  cfg->save(out, "FNC configuration");
  EXPECT_EQ(out.str(), kExampleFile);
  EXPECT_EQ(SplitLines(out.str()).size(), 29u);
  EXPECT_EQ(SaveToString(*cfg, "another title"), WithLine(2, "another title"));
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
  // The stream is left with precision 15 in general notation, so the next
  // file through it gets fifteen significant digits.
  EXPECT_EQ(out.precision(), 15);
  EXPECT_EQ(out.flags() & std::ios::floatfield, std::ios::fmtflags{});
  EXPECT_EQ(out.flags() & std::ios::adjustfield, std::ios::fmtflags{});
  out.str("");
  out << 1.0 / 3 << ' ' << 35.0 << ' ' << 0.1;
  EXPECT_EQ(out.str(), "0.333333333333333 35 0.1");
}

TEST(CfgSave, FieldWidthsAndCounts) {
  ConsoleCapture console;
  struct Case {
    double box;
    std::string line15;  // the first box line; the other two are the same shifted
  };
  const Case boxes[] = {
      {123.5, "            123.500000   0.000000   0.000000"},    // fills the ten columns
      {1000, "            1000.000000   0.000000   0.000000"},    // needs eleven
      {2.0 / 3, "              0.666667   0.000000   0.000000"},  // rounded
  };
  for (const Case& c : boxes) {
    const auto lines = SplitLines(SaveToString(*Example(c.box)));
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[14], c.line15) << c.box;
    const std::string value = c.line15.substr(12, c.line15.size() - 34);
    EXPECT_EQ(lines[15], "              0.000000 " + value + "   0.000000") << c.box;
    EXPECT_EQ(lines[16], "              0.000000   0.000000 " + value) << c.box;
  }

  // Negative coordinates widen their own field only; values below half a
  // unit of the last decimal round to zero, a negative one keeping its sign.
  auto lines =
      SplitLines(SaveToString(*Filled({2}, 1, {-0.25, -1e-15, -123.456, 1e-16, -4e-16, 6e-16})));
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[22], " -0.250000000000000  -0.000000000000001  -123.456000000000003");
  EXPECT_EQ(lines[23], " 0.000000000000000  -0.000000000000000  0.000000000000001");

  // The block line of type 10 ends with its number.
  lines = SplitLines(SaveToString(*Filled({0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 5, {0.5, 0.25, 0.125})));
  ASSERT_EQ(lines.size(), 18u + 40u + 1u);
  EXPECT_EQ(lines[8], "         10 types of molecules ");
  EXPECT_EQ(lines[18], "          0 molecules of type  1");
  EXPECT_EQ(lines[22], "          0 molecules of type  2");
  EXPECT_EQ(lines[50], "          0 molecules of type  9");
  EXPECT_EQ(JoinLines({lines.begin() + 54, lines.end()}),
            Lines({"          1 molecules of type  10", "          1 atomic sites ",
                   "              0.000000   0.000000   0.000000", " ",
                   " 0.500000000000000  0.250000000000000  0.125000000000000"}));

  // No types: the eighteen header lines only.
  EXPECT_EQ(SaveToString(*Filled({}, 20, {})), kNoTypesFile);

  // A count wider than ten columns is written in full; exactly ten
  // characters still get the one blank in front.
  const auto cfg = Filled({0}, 1, {});
  SimpleCfg::ni = {-1234567890};
  EXPECT_EQ(SplitLines(SaveToString(*cfg))[18], " -1234567890 molecules of type  1");
  SimpleCfg::ni = {1234567890};
  EXPECT_EQ(SplitLines(SaveToString(*cfg))[18], " 1234567890 molecules of type  1");
}

TEST(CfgSave, StreamWithoutAnOpenFileStops) {
  std::ofstream never_opened;
  std::ostringstream failed, bad;
  failed.setstate(std::ios::failbit);
  bad.setstate(std::ios::badbit);
  for (std::ostream* out :
       {static_cast<std::ostream*>(&never_opened), static_cast<std::ostream*>(&failed),
        static_cast<std::ostream*>(&bad)}) {
    ConsoleCapture console;
    const auto cfg = Example();
    EXPECT_FATAL_STOP(cfg->save(*out, "FNC configuration"));
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "There is no open file to save the SimpleCfg object \n" + kQuit);
  }
}

TEST(CfgSave, FailedWriteIsReported) {
  // A device with room for everything but the last character fails; one with
  // just enough room does not.
  const std::size_t size = kExampleFile.size();
  for (const std::size_t capacity : {std::size_t{0}, std::size_t{100}, size - 1, size}) {
    SCOPED_TRACE(capacity);
    ConsoleCapture console;
    const auto cfg = Example();
    LimitedDevice device(capacity);
    std::ostream out(&device);
    if (capacity < size) {
      EXPECT_FATAL_STOP(cfg->save(out, "FNC configuration"));
      EXPECT_EQ(console.out(), WarningBlockText("SimpleCfg::save", kWriteFailed));
      EXPECT_EQ(console.err(), kQuit);
    } else {
      cfg->save(out, "FNC configuration");
      EXPECT_EQ(console.out(), "");
    }
    EXPECT_EQ(device.taken, kExampleFile.substr(0, capacity));
  }
}

TEST(CfgSave, LargeFilesComeOutWholeOrAsAPrefix) {
  // Enough atoms for the coordinate lines to fill the writer's block several
  // times: every line in its place, and a device that fills up keeps exactly
  // the text before that point.
  constexpr int kAtoms = 20011;
  std::vector<double> values(3 * kAtoms);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = std::sin(0.37 * i) * (i % 7 + 0.5);
  std::string lines;
  char line[200];
  for (int a = 0; a < kAtoms; ++a) {
    std::snprintf(line, sizeof line, " %10.15f  %10.15f  %10.15f\n", values[3 * a],
                  values[3 * a + 1], values[3 * a + 2]);
    lines += line;
  }
  std::string full;
  {
    ConsoleCapture console;
    full = SaveToString(*Filled({kAtoms}, 50, values));
  }
  ASSERT_GT(full.size(), lines.size());
  EXPECT_TRUE(full.compare(full.size() - lines.size(), lines.size(), lines) == 0);
  for (const std::size_t capacity : {std::size_t{0}, full.size() / 3, full.size() - 1}) {
    SCOPED_TRACE(capacity);
    ConsoleCapture console;
    const auto cfg = Filled({kAtoms}, 50, values);
    LimitedDevice device(capacity);
    std::ostream out(&device);
    EXPECT_FATAL_STOP(cfg->save(out, "FNC configuration"));
    EXPECT_EQ(console.out(), WarningBlockText("SimpleCfg::save", kWriteFailed));
    EXPECT_TRUE(device.taken == full.substr(0, capacity));
  }
}

// ---------------------------------------------------------------- round trip

TEST(CfgRoundTrip, WrittenFilesReadBackThroughFileStreams) {
  std::vector<double> values;
  for (int i = 0; i < 15; ++i) values.push_back(std::sin(1.7 * i + 0.3) * (i % 4 == 0 ? 9.5 : 1));
  struct Trip {
    std::vector<int> counts;
    double box;
    std::vector<double> values;
  };
  TempDir dir;
  const auto path = dir.path() / "round.cfg";
  for (const Trip& trip : {Trip{{1, 2}, 20, kExampleCoords}, Trip{{2, 0, 3}, 37.125, values}}) {
    {
      ConsoleCapture console;
      std::ofstream out(path);
      Filled(trip.counts, trip.box, trip.values)->save(out, "FNC configuration");
    }
    if (trip.box == 20) {
      EXPECT_EQ(ReadFileBytes(path), kExampleFile);
    }
    ConsoleCapture console;
    std::ifstream header(path);
    EXPECT_TRUE(SimpleCfg::GetParams_cfg(header));
    std::vector<int> starts = {0};
    for (const int n : trip.counts) starts.push_back(starts.back() + n);
    EXPECT_EQ(SimpleCfg::natoms, starts.back());
    EXPECT_EQ(SimpleCfg::ntypes, static_cast<int>(trip.counts.size()));
    EXPECT_EQ(SimpleCfg::ni, trip.counts);
    EXPECT_EQ(SimpleCfg::typestart, starts);
    EXPECT_EQ(SimpleCfg::boxlength, trip.box);
    SimpleCfg cfg;
    std::ifstream whole(path);
    cfg.load(whole);
    for (std::size_t i = 0; i < trip.values.size(); ++i) {
      const double v = trip.values[i];
      EXPECT_NEAR(cfg.coords[i], v, 6e-16 * std::max(1.0, std::fabs(v))) << "value " << i;
    }
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
  }
}

// ---------------------------------------------------------------- header walk

TEST(CfgGetParams, HeaderWalkTakesOnlyTheNumbersItNeeds) {
  struct Case {
    const char* what;
    std::string file;
    int natoms;
    double box;
    std::vector<int> ni;
  };
  auto extra = SplitLines(kExampleFile);
  extra[7] = "   4 5 6 and more words";
  extra[8] = "\t1\tx y z";
  extra[14] = "  7.25 junk 8";
  extra[18] = " 4 molecules of type 1 999";
  extra[0] = "1 2 3";
  extra[9] = "42";
  extra[16] = "words only";
  // Blank lines right before a number are passed over by the number read.
  auto blank = SplitLines(kExampleFile);
  blank[7] = "\n\n  \t\n" + blank[7];
  blank[14] = "\n" + blank[14];
  blank[22] = "\n \n" + blank[22];
  // A carriage return before each line feed is white space.
  std::string crlf;
  for (const auto& line : SplitLines(kExampleFile)) crlf += line + "\r\n";
  const Case cases[] = {
      {"example", kExampleFile, 3, 20, {1, 2}},
      {"extra text", JoinLines(extra), 4, 7.25, {4}},
      {"blank lines", JoinLines(blank), 3, 20, {1, 2}},
      {"carriage returns", crlf, 3, 20, {1, 2}},
      // Counts that do not add up to the total are accepted as they stand.
      {"sum differs", WithLine(19, "          5 molecules of type  1"), 3, 20, {5, 2}},
      {"box in exponent form", WithLine(15, " 1.5e2 0 0"), 3, 150, {1, 2}},
      {"header only, no coordinates", FirstLines(26), 3, 20, {1, 2}},
      {"no types, no blocks", kNoTypesFile, 0, 20, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ConsoleCapture console;
    std::istringstream in(c.file);
    EXPECT_TRUE(SimpleCfg::GetParams_cfg(in));
    EXPECT_EQ(SimpleCfg::natoms, c.natoms);
    EXPECT_EQ(SimpleCfg::ntypes, static_cast<int>(c.ni.size()));
    EXPECT_EQ(SimpleCfg::boxlength, c.box);
    EXPECT_EQ(SimpleCfg::ni, c.ni);
    std::vector<int> starts = {0};
    for (const int n : c.ni) starts.push_back(starts.back() + n);
    EXPECT_EQ(SimpleCfg::typestart, starts);
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
  }
}

TEST(CfgGetParams, FailedReadsEndInTheWarningBlock) {
  const std::pair<std::string, std::string> cases[] = {
      {WithLine(9, " two types of molecules"), kWrongFormat},
      {WithLine(8, " many molecules"), kWrongFormat},
      {WithLine(15, "  box 20 0 0"), kWrongFormat},
      {WithLine(23, " some molecules of type  2"), kWrongFormat},
      {FirstLines(12), kEndOfFile},
      {FirstLines(7), kEndOfFile},
      {FirstLines(22), kEndOfFile},  // ends inside the second block
      // The last count without a line end: its line skip meets the end.
      {FirstLines(22) + "          2", kEndOfFile},
      {"", kEndOfFile},
      // Values that would size arrays wrongly.
      {WithLine(8, "         -3 molecules of all types"), kWrongFormat},
      {WithLine(9, "         -2 types of molecules "), kWrongFormat},
      {WithLine(23, "         -2 molecules of type  2"), kWrongFormat},
      {WithLine(15, "              0.000000   0.000000   0.000000"), kWrongFormat},
      {WithLine(15, "             -5.000000   0.000000   0.000000"), kWrongFormat},
      {WithLine(15, "            1e999 0 0"), kWrongFormat},
      // A rejected value is reported as a format error even at the end of the file.
      {FirstLines(8) + "         -2", kWrongFormat},
      {FirstLines(14) + "  -5", kWrongFormat},
  };
  for (const auto& [file, reason] : cases) {
    SCOPED_TRACE(Visible(file.substr(0, 400)));
    ConsoleCapture console;
    std::istringstream in(file);
    EXPECT_FATAL_STOP(SimpleCfg::GetParams_cfg(in));
    EXPECT_EQ(console.out(), ReadBlock(reason));
    EXPECT_EQ(console.err(), kQuit);
  }
}

TEST(CfgGetParams, StreamWithoutAnOpenFileChangesNothing) {
  UnreadableStreams streams(kExampleFile);
  for (std::istream* in : streams.All()) {
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

// Reads the example header, builds the object, then loads `in` into it.
void LoadAfterExampleHeader(std::istream& in, std::unique_ptr<SimpleCfg>& cfg) {
  std::istringstream header(kExampleFile);
  ASSERT_TRUE(SimpleCfg::GetParams_cfg(header));
  cfg = std::make_unique<SimpleCfg>();
  cfg->load(in);
}

TEST(CfgLoad, ReadsEveryCoordinate) {
  std::string no_line_end = kExampleFile;
  no_line_end.pop_back();
  const std::string files[] = {
      kExampleFile,
      no_line_end,  // the last number without a line end is no failure
      // Any white space may separate the coordinates.
      FirstLines(26) + "0.1 -0.25\n0.5 0.333333333333333\t0.666666666666667 0 -1.5 0.0625 12.125",
      // The box of the header pass stays.
      WithLine(15, "             99.000000   0.000000   0.000000")};
  for (const auto& file : files) {
    ConsoleCapture console;
    std::istringstream in(file);
    std::unique_ptr<SimpleCfg> cfg;
    LoadAfterExampleHeader(in, cfg);
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

TEST(CfgLoad, WhatCannotBeReadEndsInTheWarningBlock) {
  auto changed_counts = SplitLines(kExampleFile);
  changed_counts[18] = "          2 molecules of type  1";
  changed_counts[22] = "          1 molecules of type  2";
  const std::pair<std::string, std::string> cases[] = {
      {FirstLines(28), kEndOfFile},  // fewer coordinates than announced
      {FirstLines(28) + " -1.5  0.0625\n", kEndOfFile},
      {FirstLines(20), kEndOfFile},  // ends inside the header
      {FirstLines(27) + " 0.3  abc  0.1\n" + SplitLines(kExampleFile)[28] + "\n", kWrongFormat},
      {WithLine(8, " three molecules"), kWrongFormat},
      {WithLine(8, "          4 molecules of all types"), kWrongFormat},
      {WithLine(9, "          1 types of molecules "), kWrongFormat},
      {WithLine(9, "          3 types of molecules "), kWrongFormat},
      {JoinLines(changed_counts), kWrongFormat},  // the count of a type differs
  };
  for (const auto& [file, reason] : cases) {
    SCOPED_TRACE(Visible(file.substr(0, 400)));
    ConsoleCapture console;
    std::istringstream in(file);
    std::unique_ptr<SimpleCfg> cfg;
    EXPECT_FATAL_STOP(LoadAfterExampleHeader(in, cfg));
    EXPECT_EQ(console.out(), WarningBlockText("SimpleCfg::load", reason));
    EXPECT_EQ(console.err(), kQuit);
  }
}

TEST(CfgLoad, StreamWithoutAnOpenFileStops) {
  UnreadableStreams streams(kExampleFile);
  for (std::istream* in : streams.All()) {
    ConsoleCapture console;
    std::unique_ptr<SimpleCfg> cfg;
    EXPECT_FATAL_STOP(LoadAfterExampleHeader(*in, cfg));
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "SimpleCfg::load - file not open or non-existing.\n" + kQuit);
  }
}

}  // namespace
