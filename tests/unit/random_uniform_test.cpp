// The shuffled multiplicative congruential generator, checked against its
// published first values and against a separate implementation written
// here with 64-bit arithmetic.
#include "shell/random_uniform.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::uint64_t Bits(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::string NineDigits(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

// The generator as described: s -> 16807 s mod (2^31 - 1), 8 warm-up steps,
// a 32-slot table filled from the back, the slot chosen by the last output
// divided by 2^26, the output scaled by 1 / (2^31 - 1) and clamped.
class Reference {
 public:
  double Next(std::int32_t& seed) {
    std::int64_t s = seed;
    if (s <= 0 || last_ == 0) {
      s = -s < 1 ? 1 : -s;
      for (int result = 1; result <= 40; ++result) {
        s = Step(s);
        if (result >= 9) table_[40 - result] = s;  // result 9 in slot 31, 40 in slot 0
      }
      last_ = table_[0];
    }
    s = Step(s);
    const std::int64_t slot = last_ / 67108864;
    last_ = table_[slot];
    table_[slot] = s;
    seed = static_cast<std::int32_t>(s);
    const double u = static_cast<double>(last_) * (1.0 / 2147483647.0);
    return u > 0.99999988 ? 0.99999988 : u;
  }

 private:
  static std::int64_t Step(std::int64_t s) { return 16807 * s % 2147483647; }
  std::int64_t table_[32] = {};
  std::int64_t last_ = 0;
};

// Runs both generators side by side; the reference must have been started
// the same way. Returns the number of mismatching draws.
int CompareDraws(Reference& reference, std::int32_t& seed, std::int32_t& reference_seed,
                 int draws) {
  int mismatches = 0;
  for (int i = 0; i < draws; ++i) {
    const double got = RandomUniform(seed);
    const double expected = reference.Next(reference_seed);
    if ((Bits(got) != Bits(expected) || seed != reference_seed) && ++mismatches <= 5) {
      ADD_FAILURE() << "draw " << i << ": got " << got << " seed " << seed << ", expected "
                    << expected << " seed " << reference_seed;
    }
  }
  return mismatches;
}

// Must stay the only test that draws before the table is filled: it runs in
// a freshly started process of its own.
void FirstCallWithPositiveSeed() {
  std::int32_t seed = 987654;
  std::int32_t reference_seed = -1;
  Reference reference;
  for (int i = 0; i < 1000; ++i) {
    if (Bits(RandomUniform(seed)) != Bits(reference.Next(reference_seed))) std::exit(2);
    if (seed != reference_seed) std::exit(3);
  }
  std::exit(0);
}

TEST(RandomUniform, PositiveSeedOnTheVeryFirstCallActsLikeMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(FirstCallWithPositiveSeed(), testing::ExitedWithCode(0), "");
}

TEST(RandomUniform, MinusOneGivesThePublishedValues) {
  std::int32_t seed = -1;
  EXPECT_EQ(NineDigits(RandomUniform(seed)), "0.415999357");
  EXPECT_GT(seed, 0);
  EXPECT_EQ(NineDigits(RandomUniform(seed)), "0.0919648908");
  EXPECT_EQ(NineDigits(RandomUniform(seed)), "0.756410486");
  EXPECT_GT(seed, 0);
}

TEST(RandomUniform, SeedZeroActsLikeMinusOne) {
  std::int32_t minus_one = -1;
  std::vector<double> expected;
  std::vector<std::int32_t> expected_seeds;
  for (int i = 0; i < 50; ++i) {
    expected.push_back(RandomUniform(minus_one));
    expected_seeds.push_back(minus_one);
  }
  std::int32_t zero = 0;
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(Bits(RandomUniform(zero)), Bits(expected[i])) << "draw " << i;
    EXPECT_EQ(zero, expected_seeds[i]);
  }
  EXPECT_EQ(NineDigits(expected[0]), "0.415999357");
}

TEST(RandomUniform, NegativeSeedRestartsTheSameSequence) {
  std::int32_t seed = -5;
  std::vector<double> first;
  for (int i = 0; i < 1000; ++i) first.push_back(RandomUniform(seed));
  // Other sequences in between leave the shared table in another state.
  std::int32_t other = -77;
  for (int i = 0; i < 333; ++i) RandomUniform(other);
  std::int32_t positive = 12345;
  for (int i = 0; i < 10; ++i) RandomUniform(positive);
  seed = -5;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(Bits(RandomUniform(seed)), Bits(first[i])) << "draw " << i;
  }
}

TEST(RandomUniform, PositiveSeedContinuesWithoutRestarting) {
  Reference reference;
  std::int32_t seed = -9;
  std::int32_t reference_seed = -9;
  EXPECT_EQ(CompareDraws(reference, seed, reference_seed, 10), 0);
  // A positive seed that is not the one handed back: the table stays as it
  // is and only the seed's own step is new.
  seed = 424242;
  reference_seed = 424242;
  EXPECT_EQ(CompareDraws(reference, seed, reference_seed, 100), 0);
  // Restarted, then continued with the seed handed back.
  seed = -31;
  reference_seed = -31;
  EXPECT_EQ(CompareDraws(reference, seed, reference_seed, 100), 0);
}

TEST(RandomUniform, MatchesTheSeparateImplementation) {
  for (const std::int32_t start : {-1, -2, -42, -123456789, -2147483646, 0}) {
    Reference reference;
    std::int32_t seed = start;
    std::int32_t reference_seed = start;
    EXPECT_EQ(CompareDraws(reference, seed, reference_seed, 100000), 0) << "seed " << start;
  }
}

TEST(RandomUniform, ResultsStayInsideTheOpenUnitInterval) {
  std::int32_t seed = -3;
  double smallest = 1.0;
  double largest = 0.0;
  for (int i = 0; i < 2000000; ++i) {
    const double u = RandomUniform(seed);
    if (u < smallest) smallest = u;
    if (u > largest) largest = u;
    ASSERT_GT(seed, 0);
  }
  EXPECT_GT(smallest, 0.0);
  EXPECT_LE(largest, 0.99999988);
}

TEST(RandomUniform, LargestOutputsAreClamped) {
  // Find with the separate implementation a sequence that reaches the clamp
  // early, then check that the generator returns exactly the clamp value.
  const double clamp = 0.99999988;
  for (std::int32_t start = -1; start > -100000; --start) {
    Reference search;
    std::int32_t search_seed = start;
    int hit = -1;
    for (int i = 0; i < 2000 && hit < 0; ++i) {
      if (search.Next(search_seed) == clamp) hit = i;
    }
    if (hit < 0) continue;
    std::int32_t seed = start;
    double u = 0;
    for (int i = 0; i <= hit; ++i) u = RandomUniform(seed);
    EXPECT_EQ(Bits(u), Bits(clamp)) << "seed " << start << ", draw " << hit;
    return;
  }
  FAIL() << "no sequence reached the clamp";
}

}  // namespace
