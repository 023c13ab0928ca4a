// Number formatting against printf, which defines the files' layouts: fixed
// notation with 6 and 15 decimals (and any other), general notation with
// precisions 6 and 15, and integers, right-aligned in the layouts' field
// widths and those around the fast path's limit.
#include "io/number_format.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(NumberFormat, RealsLikePrintf) {
  std::vector<double> values = {0.0,      -0.0,   0.5,        1.5,   2.5,     -2.5,
                                5e-7,     1.5e-6, 5e-16,      0.1,   1e-5,    1234567,
                                99999.95, 0x1p53, 0x1p53 + 2, 1e300, DBL_MAX, DBL_MIN};
  for (int k = -7; k <= 17; ++k) {
    for (const double d : {-1.0, 0.0, 1.0}) values.push_back(std::pow(10.0, k) + d);
  }
  std::mt19937_64 random(3);
  for (int i = 0; i < 40000; ++i) {  // every exponent, and values where the layouts' lie
    const auto mantissa = static_cast<double>(random() >> 11);
    values.push_back(i % 2 ? std::ldexp(mantissa, static_cast<int>(random() % 140) - 120)
                           : mantissa / 0x1p52);
  }
  char out[kNumberRoom + 64];
  char text[512];
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (const double v : {values[i], -values[i]}) {
      for (const int digits : {6, 15}) {
        std::snprintf(text, sizeof text, "%7.*g", digits, v);
        ASSERT_EQ(std::string(out, FormatGeneral(out, v, digits, 7)), text);
      }
      // The layouts' decimals, and in turn every other the function takes.
      for (const int digits : {6, 15, static_cast<int>(i % 18)}) {
        std::snprintf(text, sizeof text, "%10.*f", digits, v);
        ASSERT_EQ(std::string(out, FormatFixed(out, v, digits, 10)), text) << digits;
      }
    }
  }
}

TEST(NumberFormat, IntegersLikePrintf) {
  std::vector<long long> values = {0, 2147483647, -2147483648LL, INT64_MAX, INT64_MIN + 1};
  for (long long power = 1;; power *= 10) {  // up to 10^18, the last that fits
    for (const long long d : {-1, 0, 1}) values.insert(values.end(), {power + d, -power - d});
    if (power > INT64_MAX / 10) break;
  }
  char out[kNumberRoom + 64];
  char text[64];
  for (const long long value : values) {
    for (const int width : {0, 4, 7, 9, 10, 16, 17, 20}) {
      std::snprintf(text, sizeof text, "%*lld", width, value);
      ASSERT_EQ(std::string(out, FormatInteger(out, value, width)), text);
    }
  }
}

}  // namespace
