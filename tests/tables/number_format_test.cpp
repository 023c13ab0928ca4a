// Number formatting against printf, which the files' layouts are defined by:
// fixed notation with 6 and 15 decimals, general notation with precision 6
// and 15, and integers, each right-aligned in the layouts' field widths.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "io/number_format.hpp"

namespace {

std::string Printed(const char* format, int width, int digits, double value) {
  char text[512];
  std::snprintf(text, sizeof text, format, width, digits, value);
  return text;
}

std::vector<double> Values() {
  std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.0000005, 0.0000015, 1e-7, 5e-16,
                                0.1, 0.2, 1e-5, 1234567, 99999.95, 0x1p52, 0x1p53, 0x1p53 + 2,
                                0x1p63, 1e20, 1e300, DBL_MAX, -DBL_MAX, DBL_MIN, 4.9e-324};
  for (int k = -7; k <= 17; ++k) {
    for (const double d : {-1.0, 0.0, 1.0}) values.push_back(std::pow(10.0, k) + d);
  }
  std::mt19937_64 random(3);
  for (int i = 0; i < 20000; ++i) {
    // Random bit patterns of every exponent, and values near the layouts' range.
    double value = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 140) - 120);
    values.push_back(i % 2 ? value : -value);
    values.push_back(static_cast<double>(static_cast<std::int64_t>(random() % 2000000) - 1000000) / 1024);
  }
  return values;
}

TEST(NumberFormat, FixedAndGeneralLikePrintf) {
  char out[kNumberRoom + 64];
  for (const double value : Values()) {
    for (const int decimals : {6, 15}) {
      for (const int width : {0, 10}) {
        ASSERT_EQ(std::string(out, FormatFixed(out, value, decimals, width)),
                  Printed("%*.*f", width, decimals, value));
      }
      ASSERT_EQ(std::string(out, FormatGeneral(out, value, decimals, 7)),
                Printed("%*.*g", 7, decimals, value));
    }
  }
}

TEST(NumberFormat, IntegersLikePrintf) {
  std::vector<long long> values = {0, 1, -1, 2147483647, -2147483648LL, INT64_MAX, INT64_MIN + 1};
  for (long long power = 1; power <= 1000000000000LL; power *= 10) {
    for (const long long d : {-1, 0, 1}) values.insert(values.end(), {power + d, -power - d});
  }
  for (const long long value : values) {
    for (const int width : {0, 4, 7, 10, 20}) {
      char out[kNumberRoom + 64];
      char text[64];
      std::snprintf(text, sizeof text, "%*lld", width, value);
      ASSERT_EQ(std::string(out, FormatInteger(out, value, width)), text) << value << " " << width;
    }
  }
}

}  // namespace
