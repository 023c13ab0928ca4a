// The reader against the standard stream's extraction, through the reader's
// fuzz target: random texts of tokens in every notation, read by random
// operations in pieces of random size, and tokens longer than a block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Tokens at the edges of the stream's grammar and of the number ranges.
const std::vector<std::string> kOdd = [] {
  std::istringstream words(
      "+5 5. .5 1e - + inf nan 1e-400 1e400 0x1p3 1.5.3 e5 +-1 1e+ 1E5 5.e3 .e1 00012 2147483647 "
      "2147483648 -2147483648 -2147483649 abc ! 9007199254740993 2e308 4.9e-324 2.4e-324 -0.0");
  return std::vector<std::string>(std::istream_iterator<std::string>(words), {});
}();

std::string RandomToken(std::mt19937& random) {
  char text[64];
  switch (random() % 4) {
    case 0:
      return kOdd[random() % kOdd.size()];
    case 1:  // integers in and beyond the 32-bit range
      return std::to_string(static_cast<long long>(random() % 6000000000ULL) - 3000000000LL);
    case 2:  // exponent notation with any number of digits, any magnitude
      std::snprintf(
          text, sizeof text, "%.*e", static_cast<int>(random() % 20),
          std::ldexp(static_cast<double>(random()), static_cast<int>(random() % 200) - 120));
      return text;
    default: {  // up to 30 digits, many zeros, a point anywhere or nowhere
      std::string digits(1 + random() % 30, '0');
      for (char& c : digits) c = static_cast<char>('0' + (random() % 3 ? random() % 10 : 0));
      const std::size_t point = random() % (digits.size() + 2);
      return point > digits.size() ? digits : digits.substr(0, point) + "." + digits.substr(point);
    }
  }
}

void Read(std::size_t piece, std::mt19937& random, const std::string& text) {
  std::string input = {static_cast<char>(piece), 15};  // sixteen random operations
  for (int i = 0; i < 16; ++i) input += static_cast<char>(random() % 256);
  input += text;
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

TEST(Reader, ReadsLikeTheStreamOnRandomTexts) {
  const char* const gaps[] = {" ", "  ", "\t", "\n", "\r\n", " ! comment 5\n", "\n\n"};
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i) {
    std::string text;
    for (int n = static_cast<int>(random() % 40); n > 0; --n)
      text += RandomToken(random) + gaps[random() % 7];
    if (random() % 2) text += RandomToken(random);  // a last value without a line end
    Read(random() % 3 ? 1 + random() % 20 : 0, random, text);
  }
}

TEST(Reader, ReadsTokensLongerThanItsBlock) {
  std::mt19937 random(11);
  const std::string zeros(200000, '0');
  for (const std::string& token : {"0." + zeros + "17", "1" + zeros, "-" + zeros + "42",
                                   zeros + "1e-5", "1." + zeros + "e", "5" + zeros + ".", zeros}) {
    for (const std::size_t piece : {0, 93, 255})
      Read(piece, random, "1 " + token + "\n2 3.5 " + token);
  }
}

}  // namespace
