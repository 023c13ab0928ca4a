// The reader against the standard stream's extraction, on random texts read
// in random operations through random block ends, and on tokens of every
// notation, including tokens longer than a block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

#include "support/reader_reference.hpp"

namespace {

using reference::Op;

std::string RandomToken(std::mt19937& random) {
  static const char* const kOdd[] = {
      "+5", "5.", ".5", "1e", "-", "+", "inf", "nan", "1e-400", "1e400", "0x1p3", "1.5.3", "e5",
      "--1", "+-1", "1e+", "1E5", "5.e3", ".e1", "00012", "2147483647", "2147483648",
      "-2147483648", "-2147483649", "abc", "!", "9007199254740993", "1e308", "2e308",
      "4.9e-324", "2.4e-324", "1.7976931348623157e308", "-0", "-0.0", "0.000000000000000"};
  char text[64];
  switch (random() % 6) {
    case 0:
      return kOdd[random() % std::size(kOdd)];
    case 1:
      return std::to_string(static_cast<long long>(random() % 6000000000ULL) - 3000000000LL);
    case 2:  // exponent notation, any number of digits
      std::snprintf(text, sizeof text, "%.*e", static_cast<int>(random() % 20),
                    std::ldexp(static_cast<double>(random()), static_cast<int>(random() % 200) - 120));
      return text;
    case 3: {  // up to 30 digits, zeros often, a point anywhere or nowhere
      std::string digits(1 + random() % 30, '0');
      for (char& c : digits) c = static_cast<char>('0' + (random() % 3 == 0 ? 0 : random() % 10));
      const std::size_t point = random() % (digits.size() + 2);
      if (point > digits.size()) return digits;
      return digits.substr(0, point) + "." + digits.substr(point);
    }
    default:  // coordinates as the files hold them
      std::snprintf(text, sizeof text, "%.*f", static_cast<int>(random() % 18),
                    (static_cast<double>(random()) / 4294967296.0 - 0.5) * 3);
      return text;
  }
}

std::string RandomText(std::mt19937& random) {
  static const char* const kGaps[] = {" ", "  ", "\t", "\n", "\r\n", " ! comment\n", "\n\n"};
  std::string text;
  for (int n = static_cast<int>(random() % 40); n > 0; --n) {
    text += RandomToken(random);
    text += kGaps[random() % std::size(kGaps)];
  }
  if (random() % 2) text += RandomToken(random);  // no line end after the last token
  return text;
}

// Applies the same random operations to both readers until both have failed.
void ExpectSameReading(const std::string& text, std::size_t piece, std::mt19937& random) {
  std::istringstream expected(text);
  reference::PieceBuffer buffer(text, piece);
  std::istream in(&buffer);
  TextScanner scan(in);
  for (int step = 0; step < 200 && !(expected.fail() && in.fail()); ++step) {
    const Op op = static_cast<Op>(random() % 5);
    const std::size_t wanted = 1 + random() % 8;
    ASSERT_EQ(reference::ByScanner(scan, in, op, wanted), reference::ByStream(expected, op, wanted))
        << "operation " << static_cast<int>(op) << " at step " << step << " of\n"
        << text.substr(0, 2000) << "\nread in pieces of " << piece;
  }
}

TEST(Reader, ReadsLikeTheStreamOnRandomTexts) {
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i) {
    const std::string text = RandomText(random);
    ExpectSameReading(text, random() % 3 == 0 ? 0 : 1 + random() % 20, random);
  }
}

TEST(Reader, ReadsTokensLongerThanItsBlock) {
  std::mt19937 random(11);
  const std::string zeros(200000, '0');
  for (const std::string& token :
       {"0." + zeros + "17", "1" + zeros, "-" + zeros + "42", zeros + "1e-5", "1." + zeros + "e",
        "5" + zeros + ".", zeros}) {
    for (const std::size_t piece : {0, 4093, 65536}) {
      ExpectSameReading("1 " + token + "\n2 3.5 " + token, piece, random);
    }
  }
}

}  // namespace
