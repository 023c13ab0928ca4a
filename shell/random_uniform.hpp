// Uniform random numbers in (0, 0.99999988]: a multiplicative congruential
// generator (multiplier 16807, modulus 2^31 - 1) behind a 32-entry shuffle
// table. A seed of 0 or below (re)starts the sequence from its magnitude.
#pragma once

#include <cstdint>

// The next number; the shuffle table is shared by all callers.
double RandomUniform(std::int32_t& seed);
