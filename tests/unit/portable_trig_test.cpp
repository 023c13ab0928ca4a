// The placement's sine and cosine: within one unit in the last place over the
// angles it uses, exact where the value is exact, and with the symmetries of
// the true functions.
#include "shell/portable_trig.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

namespace {

std::int64_t UlpsApart(double a, double b) {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  if ((x < 0) != (y < 0)) return a == b ? 0 : std::numeric_limits<std::int64_t>::max();
  return x > y ? x - y : y - x;
}

// The sine and the cosine of one call.
double PortableSin(double x) {
  double sine = 0;
  double cosine = 0;
  PortableSinCos(x, sine, cosine);
  return sine;
}

double PortableCos(double x) {
  double sine = 0;
  double cosine = 0;
  PortableSinCos(x, sine, cosine);
  return cosine;
}

TEST(PortableTrig, WithinOneUlpOverTheFullTurn) {
  // The reference is the extended-precision library value rounded to double.
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> angle(0, 6.28318530718);
  int off_by_one = 0;
  for (int i = 0; i < 400000; ++i) {
    const double x = angle(random);
    const double sine = static_cast<double>(sinl(static_cast<long double>(x)));
    const double cosine = static_cast<double>(cosl(static_cast<long double>(x)));
    double both_sine = 0;
    double both_cosine = 0;
    PortableSinCos(x, both_sine, both_cosine);
    const std::int64_t sin_ulps = UlpsApart(both_sine, sine);
    const std::int64_t cos_ulps = UlpsApart(both_cosine, cosine);
    ASSERT_LE(sin_ulps, 1) << "sin(" << x << ")";
    ASSERT_LE(cos_ulps, 1) << "cos(" << x << ")";
    off_by_one += static_cast<int>(sin_ulps + cos_ulps);
  }
  // Nearly every value is the correctly rounded one.
  EXPECT_LT(off_by_one, 400000 / 10);
}

TEST(PortableTrig, ExactAndSymmetricValues) {
  EXPECT_EQ(PortableSin(0.0), 0.0);
  EXPECT_EQ(PortableCos(0.0), 1.0);
  EXPECT_EQ(PortableSin(1e-300), 1e-300);
  EXPECT_EQ(PortableCos(1e-10), 1.0);
  // The placement's pi and 2 pi, written to twelve significant digits.
  EXPECT_NEAR(PortableSin(3.14159265359), -2.0682310711021e-13, 1e-25);
  EXPECT_EQ(PortableCos(6.28318530718), 1.0);
  for (const double x : {0.1, 0.7853981633974483, 1.0, 1.5707963267948966, 2.5, 3.0, 4.4, 6.2}) {
    EXPECT_EQ(PortableSin(-x), -PortableSin(x)) << x;
    EXPECT_EQ(PortableCos(-x), PortableCos(x)) << x;
    const double one = PortableSin(x) * PortableSin(x) + PortableCos(x) * PortableCos(x);
    EXPECT_NEAR(one, 1.0, 4e-16) << x;
  }
  EXPECT_TRUE(std::isnan(PortableSin(INFINITY)));
  EXPECT_TRUE(std::isnan(PortableCos(NAN)));
}

}  // namespace
