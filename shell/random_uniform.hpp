// Uniform random numbers in (0, 0.99999988]: a multiplicative congruential
// generator (multiplier 16807, modulus 2^31 - 1) behind a 32-entry shuffle
// table, all its state in the object.
#pragma once

#include <algorithm>
#include <cstdint>

class RandomUniform {
 public:
  explicit RandomUniform(std::uint32_t seed) { Restart(seed); }

  // Starts the sequence again from `seed` modulo 2^31 - 1 (from 1 for 0,
  // which would stay 0 for ever): eight steps are discarded, the next 32 fill
  // the table from its last slot down.
  void Restart(std::uint32_t seed) {
    state_ = std::max(static_cast<std::int32_t>(seed % kModulus), std::int32_t{1});
    for (int j = 0; j < 8; ++j) Step();
    for (int j = 31; j >= 0; --j) table_[j] = Step();
    last_ = table_[0];
  }

  double Next() {
    const std::int32_t state = Step();
    const int j = last_ / (kModulus / 32 + 1);  // 2^26: the slot of the last output
    last_ = table_[j];
    table_[j] = state;
    return std::min(1.0 / kModulus * last_, 1.0 - 1.2e-7);
  }

 private:
  static constexpr std::int32_t kModulus = 2147483647;

  // The state becomes 16807 * state mod (2^31 - 1) without leaving the 32-bit
  // range (127773 and 2836 are the quotient and the remainder of 2^31 - 1 by
  // 16807).
  std::int32_t Step() {
    const std::int32_t k = state_ / 127773;
    state_ = 16807 * (state_ - k * 127773) - 2836 * k;
    if (state_ < 0) state_ += kModulus;
    return state_;
  }

  std::int32_t state_ = 1;
  std::int32_t table_[32] = {};
  std::int32_t last_ = 0;  // the last output, which picks the next slot
};
