// The block scanner must read exactly what the standard stream's extraction
// reads: the same values, the same flags, and the same line skips, also where
// a value straddles two blocks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "io/text_reader.hpp"

namespace {

std::string RandomToken(std::mt19937& random) {
  static const char* const kOdd[] = {
      "+5", "5.", ".5", "1e", "-", "+", "inf", "nan", "1e-400", "1e400", "0x1p3", "1.5.3", "e5",
      "--1", "1e+", "00012", "2147483648", "-2147483649", "abc",
      // Digits spelling 2^53 and the number just past it, where plain
      // division stops being exact.
      "9007199254740992", "9007199254740993", "-900719925474.0993", "0.9007199254740992",
      "00000000000000000000.5", "12345678.12345678", "123456789012345678901",
      // One digit and fifteen decimals, the files' own layout, at and past
      // the edges of its short cut.
      "9.999999999999999", "-9.007199254740992", "9.007199254740993", "1.123456789012345e5",
      "1.123456789012345E", "1.1234567890123456", "1.12345678901234", "1.123456789012345.5",
      "0.000000000000000", "-0.000000000000000", "+1.000000000000000"};
  std::uniform_int_distribution<int> kind(0, 10);
  switch (kind(random)) {
    case 0:
      return kOdd[std::uniform_int_distribution<std::size_t>(0, std::size(kOdd) - 1)(random)];
    case 1: {
      std::uniform_int_distribution<long long> value(-3000000000LL, 3000000000LL);
      return std::to_string(value(random));
    }
    case 2: {
      // Exponent notation with random digits.
      std::ostringstream text;
      text << std::uniform_real_distribution<double>(-10, 10)(random) << 'e'
           << std::uniform_int_distribution<int>(-30, 30)(random);
      return text.str();
    }
    case 3: {
      // Random digit strings of up to 22 digits, leading zeros and all, with
      // the point anywhere or nowhere.
      std::string text(std::uniform_int_distribution<std::size_t>(1, 22)(random), '0');
      for (char& c : text) c = static_cast<char>('0' + random() % (random() % 3 == 0 ? 1 : 10));
      const std::size_t point =
          std::uniform_int_distribution<std::size_t>(0, text.size() + 1)(random);
      if (point > text.size()) return text;
      return text.substr(0, point) + "." + text.substr(point);
    }
    default: {
      // Coordinates as the configuration file holds them, sometimes with more
      // digits than the short cut takes.
      char text[64];
      const int decimals = std::uniform_int_distribution<int>(0, 20)(random);
      std::snprintf(text, sizeof text, "%.*f", decimals,
                    std::uniform_real_distribution<double>(-2000, 2000)(random));
      return text;
    }
  }
}

std::string RandomText(std::mt19937& random, std::size_t length) {
  static const char* const kGaps[] = {" ", "  ", "\t", "\n", "\r\n", " ! comment\n", "\n\n"};
  std::string text;
  while (text.size() < length) {
    text += RandomToken(random);
    text += kGaps[std::uniform_int_distribution<std::size_t>(0, std::size(kGaps) - 1)(random)];
  }
  if (random() % 2 == 0) text += "42";  // a last value without a line end
  return text;
}

// The model: the standard stream's extraction, and a line skip that reads
// character by character.
void ModelSkip(std::istream& in) {
  if (in.fail()) return;
  for (int c = in.get(); c != '\n'; c = in.get()) {
    if (c == EOF) return;
  }
}

TEST(TextScanner, ReadsWhatTheStreamReads) {
  std::mt19937 random(20261206);
  int compared = 0;
  for (int round = 0; round < 60; ++round) {
    // Longer than one block, so values straddle block ends.
    const std::string text = RandomText(random, 70000 + random() % 70000);
    std::istringstream model(text);
    std::istringstream scanned_stream(text);
    TextScanner scanner(scanned_stream);
    std::uniform_int_distribution<int> operation(0, 9);
    while (true) {
      const int op = operation(random);
      bool model_ok = false;
      bool scanner_ok = false;
      if (op == 0) {
        ModelSkip(model);
        scanner.SkipLine();
      } else if (op <= 3) {
        int expected = -7;
        int actual = -7;
        model_ok = static_cast<bool>(model >> expected);
        scanner_ok = scanner.ReadInt(actual);
        if (model_ok) {
          EXPECT_EQ(actual, expected) << "round " << round;
        }
      } else {
        double expected = -7;
        double actual = -7;
        model_ok = static_cast<bool>(model >> expected);
        scanner_ok = scanner.ReadReal(actual);
        if (model_ok) {
          EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0)
              << "round " << round << ": " << actual << " vs " << expected;
        }
      }
      ASSERT_EQ(scanner_ok, model_ok) << "round " << round << " after " << compared << " reads";
      ASSERT_EQ(scanned_stream.rdstate(), model.rdstate()) << "round " << round;
      ++compared;
      if (!model.good()) {
        // Go on past a refused value on both sides to compare what follows.
        if (model.bad() || model.eof()) break;
        model.clear();
        scanned_stream.clear();
        ModelSkip(model);
        scanner.SkipLine();
        ASSERT_EQ(scanned_stream.rdstate(), model.rdstate());
        if (!model.good()) break;
      }
    }
  }
  EXPECT_GT(compared, 100000);
}

// Coordinate lines of several megabytes, as the configuration file holds
// them, so that the bulk reader splits its work, with an odd value now and
// then: one the short cut does not take, one glued to text, or none at all.
std::string CoordinateText(std::mt19937& random, std::size_t lines, int odd_every) {
  static const char* const kOdd[] = {"1.5e3",  "-0.12345678901234567",    "1.5x", "x",
                                     "+7",     "12345678901234567890",    ".5",   "5.",
                                     "1e-400", "0.000000000000000000001", "nan",  "--1"};
  std::uniform_real_distribution<double> coordinate(-0.5, 0.5);
  std::string text;
  char number[64];
  for (std::size_t line = 0; line < lines; ++line) {
    for (int k = 0; k < 3; ++k) {
      if (odd_every > 0 && random() % odd_every == 0) {
        text += kOdd[random() % std::size(kOdd)];
      } else {
        std::snprintf(number, sizeof number, "%.15f", coordinate(random));
        text += number;
      }
      text += k < 2 ? "  " : (random() % 50 == 0 ? "\r\n" : "\n ");
    }
  }
  return text;
}

TEST(TextScanner, ManyRealsAtOnceAsOneByOne) {
  // Clean text of 3 million values read in full, and texts with odd values
  // read up to where the stream's own extraction fails; counts below and
  // above what the text holds. Afterwards both go on to the same place.
  std::mt19937 random(7);
  struct Case {
    std::size_t lines;
    int odd_every;
    std::size_t count;
  };
  const std::vector<Case> cases = {
      {300000, 0, 900000},      {200000, 0, 600001},
      {200000, 0, 123457},      {150000, 40000, 450000},
      {150000, 400000, 450000}, {150000, 90000, 200000},
      {5000, 0, 15000},         {100, 7, 300},
  };
  for (const Case& c : cases) {
    const std::string text = CoordinateText(random, c.lines, c.odd_every) + "42 tail\n";
    std::istringstream model(text);
    std::vector<double> expected;
    for (double v = 0; expected.size() < c.count && model >> v;) expected.push_back(v);
    std::istringstream scanned_stream(text);
    TextScanner scanner(scanned_stream);
    std::vector<double> got(c.count, -7.0);
    const std::size_t read = scanner.ReadReals(got.data(), c.count);
    SCOPED_TRACE(testing::Message() << c.lines << " lines, odd 1 in " << c.odd_every);
    ASSERT_EQ(read, expected.size());
    EXPECT_EQ(std::memcmp(got.data(), expected.data(), read * sizeof(double)), 0);
    // A failed read leaves its target alone, as does every later one.
    for (std::size_t i = read; i < c.count; ++i) ASSERT_EQ(got[i], -7.0) << i;
    ASSERT_EQ(scanned_stream.rdstate(), model.rdstate());
    model.clear();
    scanned_stream.clear();
    ModelSkip(model);
    scanner.SkipLine();
    double next_model = 0;
    double next_scanned = 0;
    EXPECT_EQ(static_cast<bool>(model >> next_model), scanner.ReadReal(next_scanned));
    EXPECT_EQ(next_scanned, next_model);
  }
}

TEST(TextScanner, NothingIsReadOnceAFlagIsSet) {
  std::istringstream stream("12 13\n");
  TextScanner scanner(stream);
  stream.setstate(std::ios::eofbit);
  int value = 5;
  EXPECT_FALSE(scanner.ReadInt(value));
  EXPECT_EQ(value, 5);
  EXPECT_EQ(stream.rdstate(), std::ios::eofbit | std::ios::failbit);
  stream.clear(std::ios::eofbit);
  scanner.SkipLine();
  EXPECT_EQ(stream.rdstate(), std::ios::eofbit | std::ios::failbit);
}

// A buffer whose reads fail, as reading a directory does.
class FailingBuffer : public std::streambuf {
 protected:
  int_type underflow() override { throw std::ios_base::failure("read error"); }
  std::streamsize xsgetn(char*, std::streamsize) override {
    throw std::ios_base::failure("read error");
  }
};

TEST(TextScanner, ReadErrorLeavesTheStreamBadAndFailed) {
  FailingBuffer buffer;
  std::istream scanned(&buffer);
  TextScanner scanner(scanned);
  double value = 3;
  EXPECT_FALSE(scanner.ReadReal(value));
  EXPECT_EQ(value, 3);
  EXPECT_EQ(scanned.rdstate(), std::ios::badbit | std::ios::failbit);

  FailingBuffer model_buffer;
  std::istream model(&model_buffer);
  model.exceptions(std::ios::goodbit);
  model >> value;
  EXPECT_EQ(model.rdstate(), scanned.rdstate());
}

}  // namespace
