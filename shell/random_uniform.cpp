// The shuffled minimal-standard generator behind the random shell placement.
#include "shell/random_uniform.hpp"

#include <algorithm>

namespace {

constexpr std::int32_t kModulus = 2147483647;
constexpr std::int32_t kMultiplier = 16807;
constexpr std::int32_t kQuotient = 127773;            // kModulus / kMultiplier
constexpr std::int32_t kRemainder = 2836;             // kModulus % kMultiplier
constexpr std::int32_t kDivisor = kModulus / 32 + 1;  // 2^26: an output's slot
constexpr double kScale = 1.0 / kModulus;
constexpr double kLargest = 1.0 - 1.2e-7;

// s becomes 16807 * s mod (2^31 - 1) without leaving the 32-bit range.
void Step(std::int32_t& s) {
  const std::int32_t k = s / kQuotient;
  s = kMultiplier * (s - k * kQuotient) - kRemainder * k;
  if (s < 0) s += kModulus;
}

}  // namespace

void RandomUniform::Restart(std::uint32_t seed) {
  state_ = std::max(static_cast<std::int32_t>(seed % kModulus), std::int32_t{1});
  for (int j = 0; j < 8; ++j) Step(state_);  // warm-up, discarded
  for (int j = 31; j >= 0; --j) {
    Step(state_);
    table_[j] = state_;
  }
  last_ = table_[0];
}

double RandomUniform::Next() {
  Step(state_);
  const int j = last_ / kDivisor;
  last_ = table_[j];
  table_[j] = state_;
  return std::min(kScale * last_, kLargest);
}
