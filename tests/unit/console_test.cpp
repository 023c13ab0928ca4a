// Console and parameter-file conventions: number extraction compared with the
// standard stream's own extraction, line skipping, the width manipulators, the
// warning messages, the fatal stop and the reuse of file streams.
#include "app/console.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "support/console_capture.hpp"
#include "support/run_binary.hpp"

namespace {

using testing_support::ConsoleCapture;

std::uint64_t Bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

double FromBits(std::uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A quiet NaN with a payload no extraction can produce: a failed read must
// leave exactly these bits behind.
const std::uint64_t kUntouchedReal = 0x7ff8dead0000beefULL;
const int kUntouchedInt = -123456789;

std::streamoff Position(std::istream& in) {
  return in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
}

std::string Rest(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in.rdbuf()), std::istreambuf_iterator<char>());
}

std::string Printable(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    switch (c) {
      case '\n':
        shown += "\\n";
        break;
      case '\t':
        shown += "\\t";
        break;
      case '\r':
        shown += "\\r";
        break;
      case '\v':
        shown += "\\v";
        break;
      case '\f':
        shown += "\\f";
        break;
      default:
        shown += c;
    }
  }
  return shown;
}

// Reads one value from both streams, the program's reader on `mine` and the
// standard extraction on `reference`, and compares every observable outcome.
// Returns whether the reference extraction succeeded.
bool CompareInt(std::istringstream& mine, std::istringstream& reference, const std::string& input) {
  int got = kUntouchedInt;
  const bool ok = ReadInt(mine, got);
  int expected = 0;
  reference >> expected;
  const bool expected_ok = !reference.fail();
  SCOPED_TRACE("int from \"" + Printable(input) + "\"");
  EXPECT_EQ(ok, expected_ok);
  if (expected_ok) {
    EXPECT_EQ(got, expected);
  } else {
    EXPECT_EQ(got, kUntouchedInt) << "a failed read must leave the target alone";
  }
  EXPECT_EQ(mine.rdstate(), reference.rdstate());
  EXPECT_EQ(Position(mine), Position(reference));
  return expected_ok;
}

bool CompareReal(std::istringstream& mine, std::istringstream& reference,
                 const std::string& input) {
  double got = FromBits(kUntouchedReal);
  const bool ok = ReadReal(mine, got);
  double expected = 0;
  reference >> expected;
  const bool expected_ok = !reference.fail();
  SCOPED_TRACE("real from \"" + Printable(input) + "\"");
  EXPECT_EQ(ok, expected_ok);
  if (expected_ok) {
    EXPECT_EQ(Bits(got), Bits(expected)) << got << " vs " << expected;
  } else {
    EXPECT_EQ(Bits(got), kUntouchedReal) << "a failed read must leave the target alone";
  }
  EXPECT_EQ(mine.rdstate(), reference.rdstate());
  EXPECT_EQ(Position(mine), Position(reference));
  return expected_ok;
}

// Reads values of the kinds in `kinds` ('i' or 'r') one after another from the
// same input; after a failure the flags are cleared on both sides when
// `clear_after_failure`, so reading goes on from where the failure left it.
void CompareSequence(const std::string& input, const std::string& kinds, bool clear_after_failure) {
  std::istringstream mine(input);
  std::istringstream reference(input);
  for (const char kind : kinds) {
    const bool ok =
        kind == 'i' ? CompareInt(mine, reference, input) : CompareReal(mine, reference, input);
    if (testing::Test::HasFailure()) return;
    if (!ok && clear_after_failure) {
      mine.clear();
      reference.clear();
    }
  }
  mine.clear();
  reference.clear();
  EXPECT_EQ(Rest(mine), Rest(reference)) << "input \"" << Printable(input) << "\"";
}

const char* const kTrickyInputs[] = {
    "",
    " ",
    "\n",
    "\t\r\n",
    "0",
    "-0",
    "+0",
    "00",
    "007",
    "42",
    "  42",
    "\n\n42\n",
    "42\n",
    "42 ",
    "42\r\n",
    "\t42\t! comment",
    "+5",
    "-5",
    "++5",
    "+-5",
    "-+5",
    "--5",
    "+",
    "-",
    "+ 5",
    "- 5",
    "5.",
    ".5",
    "-.5",
    "+.5",
    ".",
    "-.",
    "..5",
    "5..",
    "5.5.5",
    "1e",
    "1E",
    "1e+",
    "1e-",
    "1e5",
    "1E5",
    "1e+5",
    "1e-5",
    "1e+-5",
    "1ee5",
    "1e5e5",
    "1e5.5",
    "1.e5",
    ".e5",
    "e5",
    "E",
    "e",
    "1.5e3x",
    "12abc",
    "abc",
    "x12",
    "0x1A",
    "0X1p3",
    "1p3",
    "1,5",
    "1_000",
    "inf",
    "-inf",
    "+inf",
    "INF",
    "Infinity",
    "nan",
    "NaN",
    "-nan",
    "nan(0x1)",
    "1e308",
    "1.7976931348623157e308",
    "1.7976931348623158e308",
    "1.7976931348623159e308",
    "1e309",
    "-1e309",
    "1e400",
    "-1e400",
    "1e-300",
    "1e-308",
    "2.2250738585072011e-308",
    "2.2250738585072014e-308",
    "4.9406564584124654e-324",
    "5e-324",
    "2e-324",
    "3e-324",
    "1e-320",
    "-1e-320",
    "1e-324",
    "1e-400",
    "-1e-400",
    "0e999999999999",
    "1e999999999999",
    "1e-999999999999",
    "9007199254740993",
    "9007199254740992.5",
    "0.1",
    "0.30000000000000004",
    "123456789012345678901234567890",
    "12345678901234567890",
    "-12345678901234567890",
    "2147483647",
    "2147483648",
    "-2147483648",
    "-2147483649",
    "4294967295",
    "4294967296",
    "4294967297",
    "-4294967296",
    "9223372036854775807",
    "9223372036854775808",
    "-9223372036854775808",
    "-9223372036854775809",
    "18446744073709551615",
    "18446744073709551616",
    "00000000000000000000000000000000000000002147483647",
    "2147483647\n",
    "2147483648\n",
    "1 2 3",
    "1\t2\n3",
    "1.5 2.5\n",
    "5\f",
    "5\v6",
    "000.000e000",
    "0.0000000000000000000000000000001e31",
};

TEST(ReadNumbers, TrickyInputsMatchTheStandardExtraction) {
  for (const char* input : kTrickyInputs) {
    CompareSequence(input, "iiii", false);
    CompareSequence(input, "rrrr", false);
    CompareSequence(input, "irir", true);
    CompareSequence(input, "riri", true);
    if (HasFailure()) return;
  }
}

// Pieces that random inputs are made of: the characters a number may contain,
// white space of every kind, letters, and the named special values.
const char* const kPieces[] = {
    "0",
    "1",
    "7",
    "9",
    "00",
    "5",
    "+",
    "-",
    ".",
    "e",
    "E",
    "e+",
    "e-",
    " ",
    "  ",
    "\t",
    "\r",
    "\n",
    "\r\n",
    "\v",
    "\f",
    "a",
    "x",
    "p",
    "i",
    "n",
    "f",
    "d",
    "!",
    ",",
    "inf",
    "nan",
    "INF",
    "NaN",
    "infinity",
    "e999",
    "e-999",
    "e308",
    "e309",
    "e-308",
    "e-324",
    "e-325",
    "E400",
    "e99999999999",
    "4.9406564584124654e-324",
    "2.2250738585072011e-308",
    "1e-320",
    "12345678901234567890",
    "2147483647",
    "2147483648",
    "-2147483648",
    "-2147483649",
    "4294967296",
    "9223372036854775807",
    "18446744073709551616",
    "5.",
    ".5",
    "1e",
    "0x",
};

std::string RandomDigits(std::mt19937_64& rng, int count) {
  std::string digits;
  for (int i = 0; i < count; ++i) digits += static_cast<char>('0' + rng() % 10);
  return digits;
}

// One random piece: mostly a listed piece, sometimes a run of digits or the
// shortest text of a random double.
std::string RandomPiece(std::mt19937_64& rng) {
  switch (rng() % 8) {
    case 0:
      return RandomDigits(rng, 1 + static_cast<int>(rng() % 25));
    case 1: {
      char text[64];
      const double value = FromBits(rng());
      std::snprintf(text, sizeof text, rng() % 2 ? "%.17g" : "%.6e", value);
      return text;
    }
    default:
      return kPieces[rng() % std::size(kPieces)];
  }
}

TEST(ReadNumbers, RandomInputsMatchTheStandardExtraction) {
  std::mt19937_64 rng(20240611);
  for (int round = 0; round < 150000; ++round) {
    std::string input;
    const int pieces = 1 + static_cast<int>(rng() % 6);
    for (int p = 0; p < pieces; ++p) input += RandomPiece(rng);
    std::string kinds;
    for (int k = 0; k < 3; ++k) kinds += rng() % 2 ? 'i' : 'r';
    CompareSequence(input, kinds, rng() % 2 == 0);
    if (HasFailure()) return;
  }
}

TEST(ReadNumbers, RandomDecimalTextsMatchTheStandardExtraction) {
  // Long mantissas and exponents near the limits exercise the rounding of
  // the conversion itself, values near halfway between two doubles included.
  std::mt19937_64 rng(77);
  for (int round = 0; round < 60000; ++round) {
    std::string input = rng() % 2 ? "-" : "";
    input += RandomDigits(rng, 1 + static_cast<int>(rng() % 30));
    if (rng() % 2) {
      input += '.';
      input += RandomDigits(rng, static_cast<int>(rng() % 30));
    }
    if (rng() % 3) {
      input += 'e';
      input += std::to_string(static_cast<int>(rng() % 700) - 350);
    }
    if (rng() % 2) input += "\n";
    CompareSequence(input, "r", false);
    CompareSequence(input, "i", false);
    if (HasFailure()) return;
  }
}

// Outcomes that follow directly from the documented reading rules, checked
// without the standard extraction as a reference.
TEST(ReadNumbers, DocumentedOutcomes) {
  struct IntCase {
    const char* input;
    bool ok;
    int value;
    std::ios::iostate state;
    char next;  // next character left, or 0 at the end
  };
  const IntCase int_cases[] = {
      {"+5 ", true, 5, std::ios::goodbit, ' '},
      {"-17\n", true, -17, std::ios::goodbit, '\n'},
      {"42", true, 42, std::ios::eofbit, 0},
      {" \t\n 8x", true, 8, std::ios::goodbit, 'x'},
      {"2147483647 ", true, 2147483647, std::ios::goodbit, ' '},
      {"-2147483648 ", true, std::numeric_limits<int>::min(), std::ios::goodbit, ' '},
      {"2147483648 ", false, 0, std::ios::failbit, ' '},
      {"-2147483649", false, 0, std::ios::failbit | std::ios::eofbit, 0},
      {"-", false, 0, std::ios::failbit | std::ios::eofbit, 0},
      {"- 5", false, 0, std::ios::failbit, ' '},
      {"abc", false, 0, std::ios::failbit, 'a'},
      {"   ", false, 0, std::ios::failbit | std::ios::eofbit, 0},
      {"3.7", true, 3, std::ios::goodbit, '.'},
  };
  for (const IntCase& c : int_cases) {
    SCOPED_TRACE(Printable(c.input));
    std::istringstream in(c.input);
    int value = kUntouchedInt;
    EXPECT_EQ(ReadInt(in, value), c.ok);
    EXPECT_EQ(value, c.ok ? c.value : kUntouchedInt);
    EXPECT_EQ(in.rdstate(), c.state);
    in.clear();
    EXPECT_EQ(in.rdbuf()->sgetc(), c.next == 0 ? EOF : c.next);
  }

  struct RealCase {
    const char* input;
    bool ok;
    double value;
    std::ios::iostate state;
    char next;
  };
  const RealCase real_cases[] = {
      {"1.47 ", true, 1.47, std::ios::goodbit, ' '},
      {"35\n", true, 35.0, std::ios::goodbit, '\n'},
      {"+2.5", true, 2.5, std::ios::eofbit, 0},
      {"5.!", true, 5.0, std::ios::goodbit, '!'},
      {".5 ", true, 0.5, std::ios::goodbit, ' '},
      {"-.25e1 ", true, -2.5, std::ios::goodbit, ' '},
      {"1e", false, 0, std::ios::failbit | std::ios::eofbit, 0},
      {"1e ", false, 0, std::ios::failbit, ' '},
      {"-", false, 0, std::ios::failbit | std::ios::eofbit, 0},
      {"inf ", false, 0, std::ios::failbit, 'i'},
      {"nan ", false, 0, std::ios::failbit, 'n'},
      {"1e400 ", false, 0, std::ios::failbit, ' '},
      {"1e-400 ", true, 0.0, std::ios::goodbit, ' '},
      {"4.9406564584124654e-324 ", true, std::numeric_limits<double>::denorm_min(),
       std::ios::goodbit, ' '},
  };
  for (const RealCase& c : real_cases) {
    SCOPED_TRACE(Printable(c.input));
    std::istringstream in(c.input);
    double value = FromBits(kUntouchedReal);
    EXPECT_EQ(ReadReal(in, value), c.ok);
    if (c.ok) {
      EXPECT_EQ(Bits(value), Bits(c.value));
    } else {
      EXPECT_EQ(Bits(value), kUntouchedReal);
    }
    EXPECT_EQ(in.rdstate(), c.state);
    in.clear();
    EXPECT_EQ(in.rdbuf()->sgetc(), c.next == 0 ? EOF : c.next);
  }
}

TEST(ReadNumbers, AnySetFlagFailsWithoutReading) {
  for (const std::ios::iostate flags : {std::ios::eofbit, std::ios::failbit, std::ios::badbit,
                                        std::ios::eofbit | std::ios::failbit}) {
    std::istringstream in("12 3.5\n");
    in.setstate(flags);
    int i = kUntouchedInt;
    double r = FromBits(kUntouchedReal);
    EXPECT_FALSE(ReadInt(in, i));
    EXPECT_EQ(in.rdstate(), flags | std::ios::failbit);
    EXPECT_FALSE(ReadReal(in, r));
    EXPECT_EQ(in.rdstate(), flags | std::ios::failbit);
    EXPECT_EQ(i, kUntouchedInt);
    EXPECT_EQ(Bits(r), kUntouchedReal);
    EXPECT_EQ(Position(in), 0);
  }
}

TEST(ReadNumbers, WorkOnFileStreams) {
  testing_support::TempDir dir;
  const auto path = dir.path() / "values.dat";
  testing_support::WriteFileBytes(path, " 2\t\t! number of types\n-1.5e2 7\n");
  std::ifstream in(path);
  int count = 0;
  double real = 0;
  int last = 0;
  ASSERT_TRUE(ReadInt(in, count));
  SkipLine(in);
  ASSERT_TRUE(ReadReal(in, real));
  ASSERT_TRUE(ReadInt(in, last));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(real, -150.0);
  EXPECT_EQ(last, 7);
  EXPECT_TRUE(in.good());
  EXPECT_FALSE(ReadInt(in, last));
  EXPECT_EQ(in.rdstate(), std::ios::eofbit | std::ios::failbit);
}

// ---- Line skipping ----

TEST(SkipLine, FailedOrBadStreamIsLeftAlone) {
  for (const std::ios::iostate flags :
       {std::ios::failbit, std::ios::badbit, std::ios::failbit | std::ios::eofbit}) {
    std::istringstream in("abc\ndef\n");
    in.setstate(flags);
    SkipLine(in);
    EXPECT_EQ(in.rdstate(), flags);
    EXPECT_EQ(Position(in), 0);
  }
}

TEST(SkipLine, CommentAfterValueIsDiscarded) {
  std::istringstream in(" 2\t\t! number of types\n3\n");
  int value = 0;
  ASSERT_TRUE(ReadInt(in, value));
  EXPECT_EQ(value, 2);
  SkipLine(in);
  EXPECT_TRUE(in.good());
  EXPECT_EQ(in.rdbuf()->sgetc(), '3');
  ASSERT_TRUE(ReadInt(in, value));
  EXPECT_EQ(value, 3);
}

TEST(SkipLine, ValueLineWithoutCommentLosesOnlyItsLineFeed) {
  std::istringstream in("7\n8\n");
  int value = 0;
  ASSERT_TRUE(ReadInt(in, value));
  SkipLine(in);
  EXPECT_EQ(Position(in), 2);
  EXPECT_TRUE(in.good());
}

TEST(SkipLine, EmptyLinesArePassedOneAtATime) {
  std::istringstream in("\n\n\nx\n");
  SkipLine(in);
  EXPECT_EQ(Position(in), 1);
  SkipLine(in);
  SkipLine(in);
  EXPECT_EQ(Position(in), 3);
  EXPECT_EQ(in.rdbuf()->sgetc(), 'x');
  EXPECT_TRUE(in.good());
}

TEST(SkipLine, EndWithoutLineFeedLeavesEndOfFileAndFail) {
  // The value alone: its read already met the end.
  {
    std::istringstream in("5");
    int value = 0;
    ASSERT_TRUE(ReadInt(in, value));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(in.rdstate(), std::ios::eofbit);
    SkipLine(in);
    EXPECT_EQ(in.rdstate(), std::ios::eofbit | std::ios::failbit);
  }
  // A comment and no line feed: the skip meets the end.
  {
    std::istringstream in("5 ! last line");
    int value = 0;
    ASSERT_TRUE(ReadInt(in, value));
    EXPECT_TRUE(in.good());
    SkipLine(in);
    EXPECT_EQ(in.rdstate(), std::ios::eofbit | std::ios::failbit);
  }
  // The reader's final test then reports the end of file.
  {
    ConsoleCapture console;
    std::istringstream in("5");
    int value = 0;
    ReadInt(in, value);
    SkipLine(in);
    EXPECT_FATAL_STOP(CheckReadOutcome("SimpleCfg::GetFNCParameters", in));
    EXPECT_EQ(console.out(),
              "****WARNING****\nSimpleCfg::GetFNCParameters\n"
              "End of file was reached during loading!\nCannot run this way, exiting...!\n");
  }
}

TEST(RejectValue, SetsFailAndClearsEndOfFile) {
  struct Case {
    std::ios::iostate before;
    std::ios::iostate after;
  };
  const Case cases[] = {
      {std::ios::goodbit, std::ios::failbit},
      {std::ios::eofbit, std::ios::failbit},
      {std::ios::eofbit | std::ios::failbit, std::ios::failbit},
      {std::ios::failbit, std::ios::failbit},
  };
  for (const Case& c : cases) {
    std::istringstream in("12");
    in.setstate(c.before);
    RejectValue(in);
    EXPECT_EQ(in.rdstate(), c.after);
  }
  // The last value of a file, refused: reported as a wrong format.
  ConsoleCapture console;
  std::istringstream in("-3");
  int value = 0;
  ASSERT_TRUE(ReadInt(in, value));
  RejectValue(in);
  EXPECT_FATAL_STOP(CheckReadOutcome("Reader", in));
  EXPECT_EQ(console.out(),
            "****WARNING****\nReader\nLoading failed, possibly due to wrong file format!\n"
            "Cannot run this way, exiting...!\n");
}

// ---- Width manipulators ----

TEST(WidthManipulators, PadOnTheLeftForOneItem) {
  struct Case {
    std::ostream& (*width)(std::ostream&);
    std::string expected;
    void (*write)(std::ostream&);
  };
  const Case cases[] = {
      {Width10, "        42", [](std::ostream& os) { os << 42; }},
      {Width4, "12345", [](std::ostream& os) { os << 12345; }},
      {Width4, "   7", [](std::ostream& os) { os << 7; }},
      {Width4, "-123", [](std::ostream& os) { os << -123; }},
      {Width7, "   1.47", [](std::ostream& os) { os << 1.47; }},
      {Width7, "1.23457e+06", [](std::ostream& os) { os << 1234567.0; }},
      {Width7, "     ab", [](std::ostream& os) { os << "ab"; }},
      {Width10, "         x", [](std::ostream& os) { os << 'x'; }},
      {Width10, "1234567890", [](std::ostream& os) { os << 1234567890; }},
      {Width10, "12345678901", [](std::ostream& os) { os << 12345678901LL; }},
  };
  for (const Case& c : cases) {
    std::ostringstream os;
    os << c.width;
    c.write(os);
    EXPECT_EQ(os.str(), c.expected);
    EXPECT_EQ(os.width(), 0) << "the width must not outlive the item";
  }
}

TEST(WidthManipulators, ItemAfterTheFieldHasItsNaturalWidth) {
  std::ostringstream os;
  os << Width10 << 42 << 7 << "ab" << Width4 << 1 << 2 << '\n';
  EXPECT_EQ(os.str(), "        427ab   12\n");
}

TEST(WidthManipulators, FillIsABlankWhateverItWasBefore) {
  std::ostringstream os;
  os.fill('*');
  os << Width10 << 42 << ' ' << Width7 << 1.5 << ' ' << Width4 << 3;
  EXPECT_EQ(os.str(), "        42     1.5    3");
}

TEST(WidthManipulators, LeftAdjustmentPadsOnTheRight) {
  std::ostringstream os;
  os << std::left << Width7 << 42 << '|';
  EXPECT_EQ(os.str(), "42     |");
}

// ---- Warning messages ----

struct BlockCase {
  std::ios::iostate flags;
  const char* reason;  // nullptr: no reason line
};

void ExpectWarningBlock(const BlockCase& c) {
  ConsoleCapture console;
  std::istringstream in("1 2 3");
  in.setstate(c.flags);
  EXPECT_FATAL_STOP(WarningBlock("SimpleCfg::GetParameters", in));
  std::string expected = "****WARNING****\nSimpleCfg::GetParameters\n";
  if (c.reason != nullptr) expected += std::string(c.reason) + "\n";
  expected += "Cannot run this way, exiting...!\n";
  EXPECT_EQ(console.out(), expected) << "flags " << c.flags;
  EXPECT_EQ(console.err(), "Quit (y)?->\n");
}

TEST(WarningBlock, ReasonLineFollowsTheFailFlag) {
  const BlockCase cases[] = {
      {std::ios::failbit | std::ios::eofbit, "End of file was reached during loading!"},
      {std::ios::failbit, "Loading failed, possibly due to wrong file format!"},
      {std::ios::failbit | std::ios::badbit, "Loading failed, possibly due to wrong file format!"},
      {std::ios::failbit | std::ios::badbit | std::ios::eofbit,
       "End of file was reached during loading!"},
  };
  for (const BlockCase& c : cases) ExpectWarningBlock(c);
}

// With the bad flag alone the fail flag is clear, so there is no reason line:
// the block has three lines.
TEST(WarningBlock, BadFlagAloneGivesThreeLines) {
  ExpectWarningBlock({std::ios::badbit, nullptr});
  ExpectWarningBlock({std::ios::badbit | std::ios::eofbit, nullptr});
}

TEST(CheckReadOutcome, ReturnsQuietlyForAnOpenStreamWithoutFailure) {
  ConsoleCapture console;
  std::istringstream in("4");
  int value = 0;
  ReadInt(in, value);
  ASSERT_EQ(in.rdstate(), std::ios::eofbit);
  CheckReadOutcome("Reader", in);  // the end of file alone is no failure
  std::istringstream fresh("1");
  CheckReadOutcome("Reader", fresh);
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
}

TEST(CheckReadOutcome, ReportsFailedStreams) {
  ConsoleCapture console;
  std::istringstream in("word");
  int value = 0;
  ReadInt(in, value);
  EXPECT_FATAL_STOP(CheckReadOutcome("FNC::GetFNCParams2", in));
  EXPECT_EQ(console.out(),
            "****WARNING****\nFNC::GetFNCParams2\n"
            "Loading failed, possibly due to wrong file format!\n"
            "Cannot run this way, exiting...!\n");
  EXPECT_EQ(console.err(), "Quit (y)?->\n");
}

TEST(CheckReadOutcome, FileStreamWithNoFileOpenIsReported) {
  ConsoleCapture console;
  std::ifstream never_opened;
  ASSERT_TRUE(never_opened.good());
  // No flag is set, so the block has no reason line.
  EXPECT_FATAL_STOP(CheckReadOutcome("Reader", never_opened));
  EXPECT_EQ(console.out(), "****WARNING****\nReader\nCannot run this way, exiting...!\n");
  EXPECT_EQ(console.err(), "Quit (y)?->\n");
}

TEST(CheckReadOutcome, FailedOpenIsAWrongFormat) {
  testing_support::TempDir dir;
  ConsoleCapture console;
  std::ifstream in;
  OpenOn(in, (dir.path() / "missing.dat").string(), std::ios::in);
  EXPECT_FATAL_STOP(CheckReadOutcome("SimpleCfg::GetFNCParameters", in));
  EXPECT_EQ(console.out(),
            "****WARNING****\nSimpleCfg::GetFNCParameters\n"
            "Loading failed, possibly due to wrong file format!\n"
            "Cannot run this way, exiting...!\n");
}

TEST(WarningNotice, EmptyLineFirstAndNoStop) {
  ConsoleCapture console;
  WarningNotice("FNC constructor", "There are no atoms, or natoms was not initialised!");
  WarningNotice("Other", "Reason two");
  EXPECT_EQ(console.out(),
            "\n****WARNING****\nFNC constructor\n"
            "There are no atoms, or natoms was not initialised!\n"
            "\n****WARNING****\nOther\nReason two\n");
  EXPECT_EQ(console.err(), "");
}

// A stream buffer that counts flushes and can refuse writes or flushes.
class FaultyBuffer : public std::streambuf {
 public:
  FaultyBuffer(bool refuse_writes, bool refuse_sync)
      : refuse_writes_(refuse_writes), refuse_sync_(refuse_sync) {
    setp(block_, block_ + sizeof block_);
  }
  int syncs = 0;
  std::string delivered;

 protected:
  int_type overflow(int_type c) override {
    if (refuse_writes_) return traits_type::eof();
    Deliver();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      delivered += traits_type::to_char_type(c);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    ++syncs;
    if (refuse_sync_) return -1;
    Deliver();
    return 0;
  }

 private:
  void Deliver() {
    delivered.append(pbase(), pptr());
    setp(block_, block_ + sizeof block_);
  }
  char block_[16];
  bool refuse_writes_;
  bool refuse_sync_;
};

TEST(CheckWriteOutcome, FlushesAGoodStreamQuietly) {
  ConsoleCapture console;
  FaultyBuffer buffer(false, false);
  std::ostream os(&buffer);
  os << "abc";
  CheckWriteOutcome("FNC::rawsave", os);
  EXPECT_GE(buffer.syncs, 1);
  EXPECT_EQ(buffer.delivered, "abc");
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(console.err(), "");
}

TEST(CheckWriteOutcome, FailedWritesAreReported) {
  const char* const expected =
      "****WARNING****\nSimpleCfg::save\nWriting failed, the file may be incomplete!\n"
      "Cannot run this way, exiting...!\n";
  // A stream that already failed.
  for (const std::ios::iostate flags : {std::ios::badbit, std::ios::failbit}) {
    ConsoleCapture console;
    std::ostringstream os;
    os.setstate(flags);
    EXPECT_FATAL_STOP(CheckWriteOutcome("SimpleCfg::save", os));
    EXPECT_EQ(console.out(), expected);
    EXPECT_EQ(console.err(), "Quit (y)?->\n");
  }
  // A write that the device refuses.
  {
    ConsoleCapture console;
    FaultyBuffer buffer(true, false);
    std::ostream os(&buffer);
    os << std::string(100, 'x');
    EXPECT_FATAL_STOP(CheckWriteOutcome("SimpleCfg::save", os));
    EXPECT_EQ(console.out(), expected);
  }
  // Everything written fitted the buffer; only the final flush fails.
  {
    ConsoleCapture console;
    FaultyBuffer buffer(false, true);
    std::ostream os(&buffer);
    os << "abc";
    ASSERT_TRUE(os.good());
    EXPECT_FATAL_STOP(CheckWriteOutcome("SimpleCfg::save", os));
    EXPECT_EQ(console.out(), expected);
  }
}

// ---- Fatal stop ----

TEST(FatalStop, PromptsOnStandardError) {
  ConsoleCapture console("y\n");
  std::cout << "pending";
  EXPECT_FATAL_STOP(FatalStop());
  EXPECT_EQ(console.out(), "pending");
  EXPECT_EQ(console.err(), "Quit (y)?->\n");
}

// The real stop, in a child process: whatever the answer, status 1.
void StopWithAnswer(const char* answer) {
  std::istringstream in(answer);
  std::cin.rdbuf(in.rdbuf());
  SetFatalStopHook(nullptr);
  FatalStop();
}

TEST(FatalStop, EndsWithStatusOneWhateverTheAnswer) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(StopWithAnswer("n\n"), testing::ExitedWithCode(1), "Quit \\(y\\)\\?->");
  EXPECT_EXIT(StopWithAnswer("y\n"), testing::ExitedWithCode(1), "Quit \\(y\\)\\?->");
  EXPECT_EXIT(StopWithAnswer(""), testing::ExitedWithCode(1), "Quit \\(y\\)\\?->");
  EXPECT_EXIT(StopWithAnswer("  \n\n"), testing::ExitedWithCode(1), "Quit \\(y\\)\\?->");
}

// ---- File streams reused from file to file ----

TEST(OpenOn, SuccessfulOpenClearsEveryFlag) {
  testing_support::TempDir dir;
  const auto first = dir.path() / "first.incfg";
  const auto second = dir.path() / "second.dat";
  testing_support::WriteFileBytes(first, "7");
  testing_support::WriteFileBytes(second, "9\n");
  std::ifstream in;
  OpenOn(in, first.string(), std::ios::in);
  ASSERT_TRUE(in.good());
  int value = 0;
  ASSERT_TRUE(ReadInt(in, value));
  EXPECT_EQ(value, 7);
  SkipLine(in);
  ASSERT_EQ(in.rdstate(), std::ios::eofbit | std::ios::failbit);
  // Still open with eof and fail set: the next file starts clean anyway.
  OpenOn(in, second.string(), std::ios::in);
  EXPECT_EQ(in.rdstate(), std::ios::goodbit);
  EXPECT_TRUE(in.is_open());
  ASSERT_TRUE(ReadInt(in, value));
  EXPECT_EQ(value, 9);
  // Flags set by hand on a closed stream are cleared too.
  in.close();
  in.setstate(std::ios::badbit | std::ios::eofbit);
  OpenOn(in, first.string(), std::ios::in);
  EXPECT_EQ(in.rdstate(), std::ios::goodbit);
}

TEST(OpenOn, FailedOpenLeavesFailAlone) {
  testing_support::TempDir dir;
  const auto present = dir.path() / "present.dat";
  testing_support::WriteFileBytes(present, "1");
  for (const std::ios::iostate before : {std::ios::goodbit, std::ios::eofbit,
                                         std::ios::eofbit | std::ios::failbit, std::ios::badbit}) {
    std::ifstream in;
    OpenOn(in, present.string(), std::ios::in);
    in.setstate(before);
    OpenOn(in, (dir.path() / "absent.dat").string(), std::ios::in);
    EXPECT_EQ(in.rdstate(), std::ios::failbit) << "before " << before;
    EXPECT_FALSE(in.is_open()) << "the earlier file must be closed";
    EXPECT_FALSE(HasOpenFile(in));
  }
}

TEST(OpenOn, FormatSettingsSurviveAndWrittenFilesAreEmptied) {
  testing_support::TempDir dir;
  const auto cfg = dir.path() / "out.cfg";
  const auto fnc = dir.path() / "out.fnc";
  testing_support::WriteFileBytes(fnc, "old content that must disappear\n");
  std::ofstream out;
  OpenOn(out, cfg.string(), std::ios::out | std::ios::trunc);
  out.precision(15);
  out << 1.0 / 3 << '\n';
  OpenOn(out, fnc.string(), std::ios::out | std::ios::trunc);
  EXPECT_EQ(out.precision(), 15);
  out << 1.0 / 3 << ' ' << 0.1 << '\n';
  out.close();
  EXPECT_EQ(testing_support::ReadFileBytes(cfg), "0.333333333333333\n");
  EXPECT_EQ(testing_support::ReadFileBytes(fnc), "0.333333333333333 0.1\n");
}

TEST(HasOpenFile, OnlyFileStreamsCanLackAFile) {
  testing_support::TempDir dir;
  const auto path = dir.path() / "a.txt";
  testing_support::WriteFileBytes(path, "x");
  std::istringstream text("x");
  EXPECT_TRUE(HasOpenFile(text));
  std::ostringstream sink;
  EXPECT_TRUE(HasOpenFile(sink));
  std::ifstream in;
  EXPECT_FALSE(HasOpenFile(in));
  in.open(path);
  EXPECT_TRUE(HasOpenFile(in));
  in.close();
  EXPECT_FALSE(HasOpenFile(in));
  std::ofstream out;
  EXPECT_FALSE(HasOpenFile(out));
  out.open(dir.path() / "b.txt");
  EXPECT_TRUE(HasOpenFile(out));
  // A failed flag does not make an open file absent.
  out.setstate(std::ios::failbit);
  EXPECT_TRUE(HasOpenFile(out));
}

}  // namespace
