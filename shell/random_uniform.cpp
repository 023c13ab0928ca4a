// The shuffled minimal-standard generator behind the random shell placement.
#include "shell/random_uniform.hpp"

#include <algorithm>

namespace {

constexpr std::int32_t kModulus = 2147483647;
constexpr std::int32_t kMultiplier = 16807;
constexpr std::int32_t kQuotient = 127773;  // kModulus / kMultiplier
constexpr std::int32_t kRemainder = 2836;   // kModulus % kMultiplier
constexpr int kTableSize = 32;
constexpr std::int32_t kDivisor = kModulus / kTableSize + 1;  // 2^26: an output's slot
constexpr double kScale = 1.0 / kModulus;
constexpr double kLargest = 1.0 - 1.2e-7;

std::int32_t g_table[kTableSize] = {};
std::int32_t g_last = 0;

// s becomes 16807 * s mod (2^31 - 1) without leaving the 32-bit range.
void Step(std::int32_t& s) {
  const std::int32_t k = s / kQuotient;
  s = kMultiplier * (s - k * kQuotient) - kRemainder * k;
  if (s < 0) s += kModulus;
}

}  // namespace

double RandomUniform(std::int32_t& seed) {
  if (seed <= 0 || g_last == 0) {
    // Minus the seed, computed wide so that the most negative seed is safe;
    // a multiple of the modulus would stay 0 for ever and starts from 1.
    const std::int64_t start = -std::int64_t{seed} % kModulus;
    seed = static_cast<std::int32_t>(std::max(start, std::int64_t{1}));
    for (int j = 0; j < 8; ++j) Step(seed);  // warm-up, discarded
    for (int j = kTableSize - 1; j >= 0; --j) {
      Step(seed);
      g_table[j] = seed;
    }
    g_last = g_table[0];
  }
  Step(seed);
  const int j = g_last / kDivisor;
  g_last = g_table[j];
  g_table[j] = seed;
  return std::min(kScale * g_last, kLargest);
}
