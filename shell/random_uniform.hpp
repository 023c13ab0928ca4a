// Uniform random numbers in (0, 0.99999988]: a multiplicative congruential
// generator (multiplier 16807, modulus 2^31 - 1) behind a 32-entry shuffle
// table, all its state in the object.
#pragma once

#include <cstdint>

class RandomUniform {
 public:
  explicit RandomUniform(std::uint32_t seed) { Restart(seed); }

  // Starts the sequence again from `seed` modulo 2^31 - 1 (from 1 for 0,
  // which would stay 0 for ever).
  void Restart(std::uint32_t seed);
  double Next();

 private:
  std::int32_t state_ = 1;
  std::int32_t table_[32] = {};
  std::int32_t last_ = 0;  // the last output, which picks the next slot
};
