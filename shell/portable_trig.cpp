// Argument reduction by pi/2 with a two-part constant, then minimax
// polynomials on [-pi/4, pi/4] evaluated with a correction for the reduced
// argument's tail. Plain double arithmetic only, never contracted.
#include "shell/portable_trig.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// pi/2 in three parts of 33 bits (exact when multiplied by an integer below
// 2^20), each with the rest of pi/2 after it.
constexpr double kHalfPi[3] = {1.57079632673412561417e+00, 6.07710050630396597660e-11,
                               2.02226624871116645580e-21};
constexpr double kHalfPiRest[3] = {6.07710050650619224932e-11, 2.02226624879595063154e-21,
                                   8.47842766036889956997e-32};
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
constexpr double kQuarterPi = 0.785398163397448279;
constexpr double kLargestArgument = 1e6;  // keeps the multiple of pi/2 below 2^20

constexpr double kS1 = -1.66666666666666324348e-01;
constexpr double kS2 = 8.33333333332248946124e-03;
constexpr double kS3 = -1.98412698298579493134e-04;
constexpr double kS4 = 2.75573137070700676789e-06;
constexpr double kS5 = -2.50507602534068634195e-08;
constexpr double kS6 = 1.58969099521155010221e-10;

constexpr double kC1 = 4.16666666666666019037e-02;
constexpr double kC2 = -1.38888888888741095749e-03;
constexpr double kC3 = 2.48015872894767294178e-05;
constexpr double kC4 = -2.75573143513906633035e-07;
constexpr double kC5 = 2.08757232129817482790e-09;
constexpr double kC6 = -1.13596475577881948265e-11;

std::uint32_t HighWord(double x) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  return static_cast<std::uint32_t>(bits >> 32);
}

int Exponent(double x) { return static_cast<int>(HighWord(x) >> 20 & 0x7ff); }

// sin(x + y) for |x| <= pi/4, y the tail of the reduced argument.
double KernelSin(double x, double y) {
  const double z = x * x;
  const double v = z * x;
  const double r = kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * kS6)));
  return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

// cos(x + y) for |x| <= pi/4.
double KernelCos(double x, double y) {
  const std::uint32_t high = HighWord(x) & 0x7fffffff;
  if (high < 0x3e400000) return 1.0;  // |x| < 2^-27
  const double z = x * x;
  const double r = z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * kC6)))));
  if (high < 0x3fd33333) return 1.0 - (0.5 * z - (z * r - x * y));  // |x| < 0.3
  // 1 - z/2 with a quarter of x*x taken out first, so the subtraction is exact.
  double quarter = 0.28125;
  if (high <= 0x3fe90000) {
    const std::uint64_t bits = static_cast<std::uint64_t>(high - 0x00200000) << 32;
    std::memcpy(&quarter, &bits, sizeof quarter);
  }
  const double hz = 0.5 * z - quarter;
  const double a = 1.0 - quarter;
  return a - (hz - (z * r - x * y));
}

}  // namespace

void PortableSinCos(double x, double& sine, double& cosine) {
  if (!(std::fabs(x) <= kLargestArgument)) {
    sine = cosine = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  // x = n * pi/2 + (head + tail), |head| <= about pi/4; arguments up to pi/4
  // take n = 0, for which head = x and tail = 0 exactly. Where x lies close
  // to a multiple of pi/2 the leading bits cancel, and further parts of pi/2
  // keep the reduced argument accurate.
  const double n = std::fabs(x) <= kQuarterPi ? 0.0 : std::nearbyint(x * kTwoOverPi);
  double r = x - n * kHalfPi[0];
  double w = n * kHalfPiRest[0];
  double head = r - w;
  for (int part = 1; part < 3 && Exponent(x) - Exponent(head) > (part == 1 ? 16 : 49); ++part) {
    const double t = r;
    const double product = n * kHalfPi[part];
    r = t - product;
    w = n * kHalfPiRest[part] - ((t - r) - product);
    head = r - w;
  }
  const double tail = (r - head) - w;
  const double s = KernelSin(head, tail);
  const double c = KernelCos(head, tail);
  // The quadrant n mod 4; from 2^54 on every double is a multiple of 4.
  const int quadrant =
      std::fabs(n) < 0x1p54 ? static_cast<int>(static_cast<std::int64_t>(n) & 3) : 0;
  switch (quadrant) {
    case 0:
      sine = s, cosine = c;
      break;
    case 1:
      sine = c, cosine = -s;
      break;
    case 2:
      sine = -s, cosine = -c;
      break;
    default:
      sine = -c, cosine = s;
  }
}

double PortableCbrt(double x) {
  if (x == 0 || !std::isfinite(x)) return x;
  // |x| = m * 2^(3k) with m in [0.5, 4): the root is cbrt(m) * 2^k, and seven
  // of Newton's steps from 1 settle on cbrt(m) within one unit in the last
  // place, in plain double arithmetic.
  int exponent = 0;
  double m = std::frexp(std::fabs(x), &exponent);
  const int rest = ((exponent % 3) + 3) % 3;
  m = std::ldexp(m, rest);
  double root = 1;
  for (int step = 0; step < 7; ++step) root -= (root * root * root - m) / (3 * root * root);
  root = std::ldexp(root, (exponent - rest) / 3);
  return std::copysign(root, x);
}
