// Uniform random numbers in (0, 0.99999988]: a multiplicative congruential
// generator (multiplier 16807, modulus 2^31 - 1) behind a 32-entry shuffle
// table. A seed of 0 or below (re)starts the sequence from its magnitude.
#pragma once

#include <cstddef>
#include <cstdint>

// The next number; the shuffle table is shared by all callers.
double RandomUniform(std::int32_t& seed);

// A copy of the generator's whole state (the seed word, the shuffle table and
// the last number drawn), so that a run of draws can be made on any thread or
// skipped, and the state the run ends in made the shared one again.
class RandomStream {
 public:
  // The shared state with this seed word.
  explicit RandomStream(std::int32_t seed);

  // The same number RandomUniform would give from this state.
  double Next();
  // Moves on as `draws` calls of Next would.
  void Skip(std::size_t draws);
  // Makes this state the shared one; `seed` gets the seed word.
  void Keep(std::int32_t& seed) const;

 private:
  std::int32_t seed_;
  std::int32_t table_[32];
  std::int32_t last_;
};
