// Console and parameter-file conventions: number extraction compared with the
// standard stream's own extraction, line skipping, the warning messages, the
// fatal stop and the reuse of file streams.
#include "io/console.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "io/text_reader.hpp"
#include "support/console_capture.hpp"
#include "support/run_binary.hpp"
#include "support/text.hpp"

namespace {

using namespace testing_support;

// A quiet NaN with a payload no extraction can produce: a failed read must
// leave exactly these bits behind.
const std::uint64_t kUntouchedReal = 0x7ff8dead0000beefULL;
const int kUntouchedInt = -123456789;

std::streamoff Position(std::istream& in) {
  return in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
}

// The line skip written out in stream operations: nothing with fail or bad
// set, otherwise characters up to and including the next line feed.
void ModelSkip(std::istream& in) {
  if (in.fail()) return;
  for (int c = in.get(); c != '\n'; c = in.get()) {
    if (c == EOF) return;
  }
}

// The scanner takes its text from the stream in blocks, so where it stands is
// seen only through what it reads next. Checks, after clearing the flags on
// both sides, that the rest of `mine` read through `scanner` gives what the
// rest of `reference` gives: reals one after another, each refused one
// skipped with the rest of its line; with `skip_first`, a line skip before
// every read, so that line ends count too. Up to the end of the text.
void ExpectSameRest(TextScanner& scanner, std::istream& mine, std::istream& reference,
                    bool skip_first) {
  mine.clear();
  reference.clear();
  bool skip = skip_first;
  for (int step = 0; step < 400; ++step) {
    if (skip) {
      scanner.SkipLine();
      ModelSkip(reference);
    } else {
      double got = FromBits(kUntouchedReal), expected = 0;
      const bool ok = scanner.ReadReal(got);
      const bool expected_ok = static_cast<bool>(reference >> expected);
      EXPECT_EQ(ok, expected_ok) << "rest, step " << step;
      EXPECT_EQ(Bits(got), expected_ok ? Bits(expected) : kUntouchedReal) << "rest, step " << step;
    }
    EXPECT_EQ(mine.rdstate(), reference.rdstate()) << "rest, step " << step;
    if (testing::Test::HasFailure() || reference.eof()) return;
    if (reference.fail()) {
      mine.clear();
      reference.clear();
      skip = true;
    } else {
      skip = skip_first && !skip;
    }
  }
  ADD_FAILURE() << "the rest did not come to its end";
}

// Reads one value of kind 'i' or 'r' from both streams, the program's reader
// on `mine` and the standard extraction on `reference`, and compares every
// observable outcome. Returns whether the reference extraction succeeded.
bool CompareRead(char kind, TextScanner& scanner, std::istringstream& mine,
                 std::istringstream& reference, const std::string& input) {
  SCOPED_TRACE(std::string(kind == 'i' ? "int" : "real") + " from \"" + Visible(input) + "\"");
  bool ok = false, expected_ok = false;
  if (kind == 'i') {
    int got = kUntouchedInt, expected = 0;
    ok = scanner.ReadInt(got);
    expected_ok = !(reference >> expected).fail();
    EXPECT_EQ(got, expected_ok ? expected : kUntouchedInt)
        << "a failed read leaves the target alone";
  } else {
    double got = FromBits(kUntouchedReal), expected = 0;
    ok = scanner.ReadReal(got);
    expected_ok = !(reference >> expected).fail();
    EXPECT_EQ(Bits(got), expected_ok ? Bits(expected) : kUntouchedReal)
        << got << " vs " << expected;
  }
  EXPECT_EQ(ok, expected_ok);
  EXPECT_EQ(mine.rdstate(), reference.rdstate());
  return expected_ok;
}

// Reads values of the kinds in `kinds` one after another from the same input;
// after a failure the flags are cleared on both sides when
// `clear_after_failure`, so reading goes on from where the failure left it.
void CompareSequence(const std::string& input, const std::string& kinds, bool clear_after_failure) {
  // Twice, once for each way of looking at the rest.
  for (const bool skip_first : {false, true}) {
    std::istringstream mine(input), reference(input);
    TextScanner scanner(mine);
    for (const char kind : kinds) {
      const bool ok = CompareRead(kind, scanner, mine, reference, input);
      if (testing::Test::HasFailure()) return;
      if (!ok && clear_after_failure) {
        mine.clear();
        reference.clear();
      }
    }
    ExpectSameRest(scanner, mine, reference, skip_first);
    if (testing::Test::HasFailure()) {
      ADD_FAILURE() << "input \"" << Visible(input) << "\", reads " << kinds;
      return;
    }
  }
}

// Inputs written as fields between '|' (none of them holds one).
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields(1);
  for (const char c : text) {
    if (c == '|') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

const std::vector<std::string> kTrickyInputs = Fields(
    "| |\n|\t\r\n|0|-0|+0|00|007|42|  42|\n\n42\n|42\n|42 |42\r\n|\t42\t! comment|+5|-5|++5|+-5|"
    "-+5|--5|+|-|+ 5|- 5|5.|.5|-.5|+.5|.|-.|..5|5..|5.5.5|1e|1E|1e+|1e-|1e5|1E5|1e+5|1e-5|1e+-5|"
    "1ee5|1e5e5|1e5.5|1.e5|.e5|e5|E|e|1.5e3x|12abc|abc|x12|0x1A|0X1p3|1p3|1,5|1_000|inf|-inf|+inf|"
    "INF|Infinity|nan|NaN|-nan|nan(0x1)|1e308|1.7976931348623157e308|1.7976931348623158e308|"
    "1.7976931348623159e308|1e309|-1e309|1e400|-1e400|1e-300|1e-308|2.2250738585072011e-308|"
    "2.2250738585072014e-308|4.9406564584124654e-324|5e-324|2e-324|3e-324|1e-320|-1e-320|1e-324|"
    "1e-400|-1e-400|0e999999999999|1e999999999999|1e-999999999999|9007199254740993|"
    "9007199254740992.5|0.1|0.30000000000000004|123456789012345678901234567890|"
    "12345678901234567890|-12345678901234567890|2147483647|2147483648|-2147483648|-2147483649|"
    "4294967295|4294967296|4294967297|-4294967296|9223372036854775807|9223372036854775808|"
    "-9223372036854775808|-9223372036854775809|18446744073709551615|18446744073709551616|"
    "00000000000000000000000000000000000000002147483647|2147483647\n|2147483648\n|1 2 3|1\t2\n3|"
    "1.5 2.5\n|5\f|5\v6|000.000e000|0.0000000000000000000000000000001e31|+5 |-17\n| \t\n 8x|"
    "2147483647 |-2147483648 |2147483648 |   |3.7|1.47 |35\n|+2.5|5.!|.5 |-.25e1 |1e |inf |nan |"
    "1e400 |1e-400 |4.9406564584124654e-324 ");

TEST(ReadNumbers, TrickyInputsMatchTheStandardExtraction) {
  for (const std::string& input : kTrickyInputs) {
    CompareSequence(input, "iiii", false);
    CompareSequence(input, "rrrr", false);
    CompareSequence(input, "irir", true);
    CompareSequence(input, "riri", true);
    if (HasFailure()) return;
  }
}

// Pieces that random inputs are made of: the characters a number may contain,
// white space of every kind, letters, and the named special values.
const std::vector<std::string> kPieces = Fields(
    "0|1|7|9|00|5|+|-|.|e|E|e+|e-| |  |\t|\r|\n|\r\n|\v|\f|a|x|p|i|n|f|d|!|,|inf|nan|INF|NaN|"
    "infinity|e999|e-999|e308|e309|e-308|e-324|e-325|E400|e99999999999|4.9406564584124654e-324|"
    "2.2250738585072011e-308|1e-320|12345678901234567890|2147483647|2147483648|-2147483648|"
    "-2147483649|4294967296|9223372036854775807|18446744073709551616|5.|.5|1e|0x");

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

// What one read leaves, worked out from the documented reading rules without
// the standard extraction: the value or "fail", and the flags. Where the read
// stopped is checked too: the scanner must go on as a stream over `rest`.
std::string Outcome(char kind, const std::string& input, const std::string& rest) {
  std::string text;
  for (const bool skip_first : {false, true}) {
    std::istringstream in(input);
    TextScanner scanner(in);
    if (kind == 'i') {
      int value = kUntouchedInt;
      text = scanner.ReadInt(value) ? std::to_string(value)
             : value == kUntouchedInt ? "fail"
                                      : "changed";
    } else {
      double value = FromBits(kUntouchedReal);
      text = scanner.ReadReal(value)           ? Printf("%.17g", value)
             : Bits(value) == kUntouchedReal ? "fail"
                                             : "changed";
    }
    text += in.fail() ? " fail" : "";
    text += in.eof() ? " eof" : "";
    std::istringstream reference(rest);
    ExpectSameRest(scanner, in, reference, skip_first);
  }
  return text;
}

struct Documented {
  const char* input;
  const char* outcome;
  const char* rest;
};

TEST(ReadNumbers, DocumentedOutcomes) {
  const Documented ints[] = {{"+5 ", "5", " "},
                             {"-17\n", "-17", "\n"},
                             {"42", "42 eof", ""},
                             {" \t\n 8x", "8", "x"},
                             {"2147483647 ", "2147483647", " "},
                             {"-2147483648 ", "-2147483648", " "},
                             {"2147483648 ", "fail fail", " "},
                             {"-2147483649", "fail fail eof", ""},
                             {"-", "fail fail eof", ""},
                             {"- 5", "fail fail", " 5"},
                             {"abc", "fail fail", "abc"},
                             {"   ", "fail fail eof", ""},
                             {"3.7", "3", ".7"}};
  for (const auto& [input, outcome, rest] : ints) {
    EXPECT_EQ(Outcome('i', input, rest), outcome) << Visible(input);
  }
  const Documented reals[] = {{"1.47 ", "1.47", " "},
                              {"35\n", "35", "\n"},
                              {"+2.5", "2.5 eof", ""},
                              {"5.!", "5", "!"},
                              {".5 ", "0.5", " "},
                              {"-.25e1 ", "-2.5", " "},
                              {"1e", "fail fail eof", ""},
                              {"1e ", "fail fail", " "},
                              {"-", "fail fail eof", ""},
                              {"inf ", "fail fail", "inf "},
                              {"nan ", "fail fail", "nan "},
                              {"1e400 ", "fail fail", " "},
                              {"1e-400 ", "0", " "},
                              {"4.9406564584124654e-324 ", "4.9406564584124654e-324", " "}};
  for (const auto& [input, outcome, rest] : reals) {
    EXPECT_EQ(Outcome('r', input, rest), outcome) << Visible(input);
  }
}

TEST(ReadNumbers, AnySetFlagFailsWithoutReading) {
  for (const std::ios::iostate flags : {std::ios::eofbit, std::ios::failbit, std::ios::badbit,
                                        std::ios::eofbit | std::ios::failbit}) {
    std::istringstream in("12 3.5\n");
    TextScanner scanner(in);
    in.setstate(flags);
    int i = kUntouchedInt;
    double r = FromBits(kUntouchedReal);
    EXPECT_FALSE(scanner.ReadInt(i));
    EXPECT_EQ(in.rdstate(), flags | std::ios::failbit);
    EXPECT_FALSE(scanner.ReadReal(r));
    EXPECT_EQ(in.rdstate(), flags | std::ios::failbit);
    EXPECT_EQ(i, kUntouchedInt);
    EXPECT_EQ(Bits(r), kUntouchedReal);
    EXPECT_EQ(Position(in), 0);
  }
}

TEST(ReadNumbers, WorkOnFileStreams) {
  TempDir dir;
  const auto path = dir.path() / "values.dat";
  WriteFileBytes(path, " 2\t\t! number of types\n-1.5e2 7\n");
  std::ifstream in(path);
  TextScanner scanner(in);
  int count = 0;
  double real = 0;
  int last = 0;
  ASSERT_TRUE(scanner.ReadInt(count));
  scanner.SkipLine();
  ASSERT_TRUE(scanner.ReadReal(real));
  ASSERT_TRUE(scanner.ReadInt(last));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(real, -150.0);
  EXPECT_EQ(last, 7);
  EXPECT_TRUE(in.good());
  EXPECT_FALSE(scanner.ReadInt(last));
  EXPECT_EQ(in.rdstate(), std::ios::eofbit | std::ios::failbit);
}

// ---- Line skipping ----

TEST(SkipLine, FailedOrBadStreamIsLeftAlone) {
  for (const std::ios::iostate flags :
       {std::ios::failbit, std::ios::badbit, std::ios::failbit | std::ios::eofbit}) {
    std::istringstream in("abc\ndef\n");
    TextScanner scanner(in);
    in.setstate(flags);
    scanner.SkipLine();
    EXPECT_EQ(in.rdstate(), flags);
    EXPECT_EQ(Position(in), 0);
  }
}

TEST(SkipLine, DiscardsTheRestOfOneLine) {
  struct Case {
    const char* input;
    const char* steps;  // 'r' reads an int, 's' skips
    std::ios::iostate state;
    const char* rest;
  };
  const Case cases[] = {
      {" 2\t\t! number of types\n3\n", "rs", std::ios::goodbit, "3\n"},  // a comment
      {"7\n8\n", "rs", std::ios::goodbit, "8\n"},        // no comment: only the line feed
      {"\n\n\nx\n", "s", std::ios::goodbit, "\n\nx\n"},  // empty lines one at a time
      {"\n\n\nx\n", "sss", std::ios::goodbit, "x\n"},
      // The end without a line feed: the value's read or the skip meets it.
      {"5", "r", std::ios::eofbit, ""},
      {"5", "rs", std::ios::eofbit | std::ios::failbit, ""},
      {"5 ! last line", "r", std::ios::goodbit, " ! last line"},
      {"5 ! last line", "rs", std::ios::eofbit | std::ios::failbit, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Visible(c.input) + " " + c.steps);
    for (const bool skip_first : {false, true}) {
      std::istringstream in(c.input);
      TextScanner scanner(in);
      for (const char* step = c.steps; *step != 0; ++step) {
        int value = 0;
        if (*step == 'r') {
          EXPECT_TRUE(scanner.ReadInt(value));
        } else {
          scanner.SkipLine();
        }
      }
      EXPECT_EQ(in.rdstate(), c.state);
      std::istringstream rest(c.rest);
      ExpectSameRest(scanner, in, rest, skip_first);
    }
  }
}

TEST(Reject, SetsFailAndClearsEndOfFile) {
  for (const std::ios::iostate before : {std::ios::goodbit, std::ios::eofbit,
                                         std::ios::eofbit | std::ios::failbit, std::ios::failbit}) {
    std::istringstream in("12");
    TextScanner scanner(in);
    in.setstate(before);
    scanner.Reject();
    EXPECT_EQ(in.rdstate(), std::ios::failbit);
  }
}

// ---- Warning messages ----

TEST(WarningBlock, ReasonLineFollowsTheFailFlag) {
  const std::pair<std::ios::iostate, std::string> cases[] = {
      {std::ios::failbit | std::ios::eofbit, kEndOfFile},
      {std::ios::failbit, kWrongFormat},
      {std::ios::failbit | std::ios::badbit, kWrongFormat},
      {std::ios::failbit | std::ios::badbit | std::ios::eofbit, kEndOfFile},
      // With the bad flag alone the fail flag is clear, so there is no reason line.
      {std::ios::badbit, ""},
      {std::ios::badbit | std::ios::eofbit, ""},
  };
  for (const auto& [flags, reason] : cases) {
    ConsoleCapture console;
    std::istringstream in("1 2 3");
    in.setstate(flags);
    EXPECT_FATAL_STOP(WarningBlock("SimpleCfg::GetParameters", in));
    EXPECT_EQ(console.out(), WarningBlockText("SimpleCfg::GetParameters", reason)) << flags;
    EXPECT_EQ(console.err(), kQuit);
  }
}

// CheckReadOutcome on `stream`: quiet when `reason` is null, otherwise the
// block with that reason line (none when empty) and the stop.
void ExpectReadOutcome(const std::ios& stream, const char* reason) {
  ConsoleCapture console;
  if (reason == nullptr) {
    CheckReadOutcome("Reader", stream);
    EXPECT_EQ(console.out(), "");
  } else {
    EXPECT_FATAL_STOP(CheckReadOutcome("Reader", stream));
    EXPECT_EQ(console.out(), WarningBlockText("Reader", reason));
  }
  EXPECT_EQ(console.err(), reason == nullptr ? "" : kQuit);
}

TEST(CheckReadOutcome, StopsForFailedStreamsAndMissingFiles) {
  int value = 0;
  std::istringstream fresh("1"), at_end("4"), word("word"), last("5"), rejected("-3");
  TextScanner at_end_scanner(at_end), word_scanner(word), last_scanner(last),
      rejected_scanner(rejected);
  at_end_scanner.ReadInt(value);
  ASSERT_EQ(at_end.rdstate(), std::ios::eofbit);
  ExpectReadOutcome(fresh, nullptr);
  ExpectReadOutcome(at_end, nullptr);  // the end of file alone is no failure
  word_scanner.ReadInt(value);
  ExpectReadOutcome(word, kWrongFormat.c_str());
  last_scanner.ReadInt(value);
  last_scanner.SkipLine();
  ExpectReadOutcome(last, kEndOfFile.c_str());
  // The last value of a file, refused: reported as a wrong format.
  rejected_scanner.ReadInt(value);
  rejected_scanner.Reject();
  ExpectReadOutcome(rejected, kWrongFormat.c_str());
  // A file stream with no file open has no flag set: no reason line.
  std::ifstream never_opened;
  ExpectReadOutcome(never_opened, "");
  // A failed open is a wrong format.
  std::ifstream missing;
  OpenOn(missing, "/nonexistent-folder-for-fncprep-tests/missing.dat", std::ios::in);
  ExpectReadOutcome(missing, kWrongFormat.c_str());
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

TEST(CheckWriteOutcome, FlushesAndReportsFailedWrites) {
  {
    ConsoleCapture console;
    LimitedDevice device;
    std::ostream os(&device);
    os << "abc";
    CheckWriteOutcome("FNC::rawsave", os);
    EXPECT_GE(device.syncs, 1);
    EXPECT_EQ(device.taken, "abc");
    EXPECT_EQ(console.out(), "");
    EXPECT_EQ(console.err(), "");
  }
  // Streams that already failed, a write that the device refuses, and a
  // final flush that fails after every write was taken.
  std::ostringstream bad, failed;
  bad.setstate(std::ios::badbit);
  failed.setstate(std::ios::failbit);
  LimitedDevice full(0), unflushable(SIZE_MAX, true);
  std::ostream to_full(&full), to_unflushable(&unflushable);
  to_full << std::string(100, 'x');
  to_unflushable << "abc";
  ASSERT_TRUE(to_unflushable.good());
  for (std::ostream* os : {static_cast<std::ostream*>(&bad), static_cast<std::ostream*>(&failed),
                           &to_full, &to_unflushable}) {
    ConsoleCapture console;
    EXPECT_FATAL_STOP(CheckWriteOutcome("SimpleCfg::save", *os));
    EXPECT_EQ(console.out(), WarningBlockText("SimpleCfg::save", kWriteFailed));
    EXPECT_EQ(console.err(), kQuit);
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
  TempDir dir;
  const auto first = dir.path() / "first.incfg";
  const auto second = dir.path() / "second.dat";
  WriteFileBytes(first, "7");
  WriteFileBytes(second, "9\n");
  std::ifstream in;
  OpenOn(in, first.string(), std::ios::in);
  ASSERT_TRUE(in.good());
  int value = 0;
  TextScanner first_scanner(in);
  ASSERT_TRUE(first_scanner.ReadInt(value));
  EXPECT_EQ(value, 7);
  first_scanner.SkipLine();
  ASSERT_EQ(in.rdstate(), std::ios::eofbit | std::ios::failbit);
  // Still open with eof and fail set: the next file starts clean anyway.
  OpenOn(in, second.string(), std::ios::in);
  EXPECT_EQ(in.rdstate(), std::ios::goodbit);
  EXPECT_TRUE(in.is_open());
  TextScanner second_scanner(in);
  ASSERT_TRUE(second_scanner.ReadInt(value));
  EXPECT_EQ(value, 9);
  // Flags set by hand on a closed stream are cleared too.
  in.close();
  in.setstate(std::ios::badbit | std::ios::eofbit);
  OpenOn(in, first.string(), std::ios::in);
  EXPECT_EQ(in.rdstate(), std::ios::goodbit);
}

TEST(OpenOn, FailedOpenLeavesFailAlone) {
  TempDir dir;
  const auto present = dir.path() / "present.dat";
  WriteFileBytes(present, "1");
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
  TempDir dir;
  const auto cfg = dir.path() / "out.cfg";
  const auto fnc = dir.path() / "out.fnc";
  WriteFileBytes(fnc, "old content that must disappear\n");
  std::ofstream out;
  OpenOn(out, cfg.string(), std::ios::out | std::ios::trunc);
  out.precision(15);
  out << 1.0 / 3 << '\n';
  OpenOn(out, fnc.string(), std::ios::out | std::ios::trunc);
  EXPECT_EQ(out.precision(), 15);
  out << 1.0 / 3 << ' ' << 0.1 << '\n';
  out.close();
  EXPECT_EQ(ReadFileBytes(cfg), "0.333333333333333\n");
  EXPECT_EQ(ReadFileBytes(fnc), "0.333333333333333 0.1\n");
}

TEST(HasOpenFile, OnlyFileStreamsCanLackAFile) {
  TempDir dir;
  const auto path = dir.path() / "a.txt";
  WriteFileBytes(path, "x");
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
