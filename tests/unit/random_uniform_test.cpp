// The shuffled multiplicative congruential generator, checked against its
// published first values and, draw by draw, against the separate
// implementation in the test support (which the mode-1 tests also use).
#include "shell/random_uniform.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "support/models.hpp"
#include "support/text.hpp"

namespace {

using testing_support::Bits;
using testing_support::Printf;
using testing_support::ReferenceUniform;

// Runs both generators side by side; the reference must have been started
// the same way. Every draw must also lie in (0, 0.99999988] and leave a
// positive seed. Returns the number of mismatching draws.
int CompareDraws(ReferenceUniform& reference, std::int32_t seed, int draws) {
  std::int32_t reference_seed = seed;
  int mismatches = 0;
  for (int i = 0; i < draws; ++i) {
    const double got = RandomUniform(seed);
    const double expected = reference.Next(reference_seed);
    if ((Bits(got) != Bits(expected) || seed != reference_seed || !(got > 0) || got > 0.99999988 ||
         seed <= 0) &&
        ++mismatches <= 5) {
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
  ReferenceUniform reference;
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
  std::int32_t reference_seed = -1;
  ReferenceUniform reference;
  for (const char* published : {"0.415999357", "0.0919648908", "0.756410486"}) {
    EXPECT_EQ(Printf("%.9g", RandomUniform(seed)), published);
    EXPECT_EQ(Printf("%.9g", reference.Next(reference_seed)), published);
    EXPECT_GT(seed, 0);
  }
}

TEST(RandomUniform, MatchesTheSeparateImplementation) {
  // Each start restarts the generator, whatever state the one before left;
  // 0 restarts like -1.
  for (const std::int32_t start : {-1, -2, -42, -123456789, -2147483646, 0}) {
    ReferenceUniform reference;
    EXPECT_EQ(CompareDraws(reference, start, 100000), 0) << "seed " << start;
  }
}

TEST(RandomUniform, PositiveSeedContinuesWithoutRestarting) {
  ReferenceUniform reference;
  EXPECT_EQ(CompareDraws(reference, -9, 10), 0);
  // A positive seed that is not the one handed back: the table stays as it
  // is and only the seed's own step is new.
  EXPECT_EQ(CompareDraws(reference, 424242, 100), 0);
  // Restarted, then continued with the seed handed back.
  EXPECT_EQ(CompareDraws(reference, -31, 100), 0);
}

TEST(RandomUniform, LargestOutputsAreClamped) {
  // Find with the separate implementation a sequence that reaches the clamp
  // early, then check that the generator returns exactly the clamp value.
  const double clamp = 0.99999988;
  for (std::int32_t start = -1; start > -100000; --start) {
    ReferenceUniform search;
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
