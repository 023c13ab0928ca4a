// The shuffled minimal-standard generator behind the random shell placement.
#include "shell/random_uniform.hpp"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::int32_t kModulus = 2147483647;
constexpr std::int32_t kMultiplier = 16807;
constexpr std::int32_t kQuotient = 127773;  // kModulus / kMultiplier
constexpr std::int32_t kRemainder = 2836;   // kModulus % kMultiplier
constexpr int kTableSize = 32;
constexpr std::int32_t kDivisor = 1 + (kModulus - 1) / kTableSize;
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

// One draw on a state: the sequence (re)starts from a seed of 0 or below, or
// on the very first draw; returns the table entry drawn.
std::int32_t Draw(std::int32_t& seed, std::int32_t* table, std::int32_t& last) {
  if (seed <= 0 || last == 0) {
    // Minus the seed, computed wide so that the most negative seed is safe.
    const std::int64_t start = -std::int64_t{seed};
    seed = start < 1 ? 1 : static_cast<std::int32_t>(start % kModulus == 0 ? 1 : start % kModulus);
    for (int j = kTableSize + 7; j >= 0; --j) {
      Step(seed);
      if (j < kTableSize) table[j] = seed;
    }
    last = table[0];
  }
  Step(seed);
  const int j = last / kDivisor;
  last = table[j];
  table[j] = seed;
  return last;
}

double Scaled(std::int32_t drawn) {
  const double u = kScale * drawn;
  return u > kLargest ? kLargest : u;
}

}  // namespace

double RandomUniform(std::int32_t& seed) { return Scaled(Draw(seed, g_table, g_last)); }

RandomStream::RandomStream(std::int32_t seed) : seed_(seed), last_(g_last) {
  std::copy(std::begin(g_table), std::end(g_table), std::begin(table_));
}

double RandomStream::Next() { return Scaled(Draw(seed_, table_, last_)); }

void RandomStream::Skip(std::size_t draws) {
  for (std::size_t i = 0; i < draws; ++i) Draw(seed_, table_, last_);
}

void RandomStream::Keep(std::int32_t& seed) const {
  std::copy(std::begin(table_), std::end(table_), std::begin(g_table));
  g_last = last_;
  seed = seed_;
}
