// Argument reduction by pi/2 with a two-part constant, then minimax
// polynomials on [-pi/4, pi/4] evaluated with a correction for the reduced
// argument's tail. Plain double arithmetic only, never contracted.
#include "shell/portable_trig.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// pi/2 split into its leading 33 bits (exact when multiplied by a small
// integer) and the rest.
constexpr double kHalfPiHead = 1.57079632673412561417e+00;  // 0x3FF921FB54400000
constexpr double kHalfPiTail = 6.07710050650619224932e-11;  // 0x3DD0B4611A626331
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
constexpr double kQuarterPi = 0.785398163397448279;

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
  if (!std::isfinite(x)) {
    sine = cosine = x - x;
    return;
  }
  // x = n * pi/2 + (head + tail), |head| <= about pi/4; arguments up to pi/4
  // take n = 0, for which head = x and tail = 0 exactly.
  const double n = std::fabs(x) <= kQuarterPi ? 0.0 : std::nearbyint(x * kTwoOverPi);
  const double r = x - n * kHalfPiHead;
  const double w = n * kHalfPiTail;
  const double head = r - w;
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
