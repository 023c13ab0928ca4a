// The generator, the portable sine and cosine and the gap sort, each against
// an independent reference: published values and a 64-bit model of the
// generator, long double sine and cosine, and the gap sort as written out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "fnc/gap_sort.hpp"
#include "shell/portable_trig.hpp"
#include "shell/random_uniform.hpp"
#include "support/models.hpp"

namespace {

TEST(Generator, GivesThePublishedValues) {
  std::int32_t seed = -1;
  EXPECT_NEAR(RandomUniform(seed), 0.415999357, 5e-10);
  EXPECT_NEAR(RandomUniform(seed), 0.0919648908, 5e-11);
  EXPECT_NEAR(RandomUniform(seed), 0.756410486, 5e-10);
  EXPECT_GT(seed, 0);
}

TEST(Generator, FollowsTheModelFromEverySeed) {
  for (const std::int32_t start : {-1, 0, -2147483647, -1700000000, -123456789, -2147483646}) {
    std::int32_t seed = start;
    std::int32_t model_seed = start;
    models::Uniform model;
    for (int i = 0; i < 5000; ++i) {
      const double u = RandomUniform(seed);
      ASSERT_EQ(u, model.Next(model_seed)) << "seed " << start << " draw " << i;
      ASSERT_TRUE(u > 0 && u <= 0.99999988);
      ASSERT_EQ(seed, model_seed);
    }
  }
}

// Distance in units in the last place of the double nearest to `exact`.
double Ulps(double got, long double exact) {
  const double nearest = static_cast<double>(exact);
  const double ulp = std::nextafter(std::fabs(nearest), INFINITY) - std::fabs(nearest);
  return static_cast<double>(std::fabs(static_cast<long double>(got) - exact) / ulp);
}

TEST(PortableSinCos, WithinOneUlpOverThePlacementAngles) {
  std::mt19937_64 random(5);
  std::vector<double> angles;
  for (int k = -8; k <= 8; ++k) {
    const double edge = k * 0.78539816339744830962;
    for (double x = edge; angles.size() % 64 != 63; x = std::nextafter(x, INFINITY)) angles.push_back(x);
    angles.push_back(edge);
  }
  for (int i = 0; i < 200000; ++i) angles.push_back(std::ldexp(static_cast<double>(random() >> 11), -53) * 7);
  for (const double x : angles) {
    double sine = 0;
    double cosine = 0;
    PortableSinCos(x, sine, cosine);
    ASSERT_LE(Ulps(sine, std::sin(static_cast<long double>(x))), 1.0) << x;
    ASSERT_LE(Ulps(cosine, std::cos(static_cast<long double>(x))), 1.0) << x;
  }
}

TEST(PortableSinCos, NaNBeyondItsRange) {
  for (const double x : {1e6 * (1 + 0x1p-52), -1e7, 1e19, 1e300, -1.7976931348623157e308,
                         static_cast<double>(INFINITY), static_cast<double>(NAN)}) {
    double sine = 0;
    double cosine = 0;
    PortableSinCos(x, sine, cosine);
    EXPECT_TRUE(std::isnan(sine) && std::isnan(cosine)) << x;
  }
  double sine = 0;
  double cosine = 0;
  PortableSinCos(1e6, sine, cosine);
  EXPECT_LE(Ulps(sine, std::sin(1e6L)), 1.0);
}

// The gap sort written out from its description: gaps n*0.78, *0.78, ...
// truncated, one pass each, then gap-1 passes while the last pass moved
// anything. Returns the gaps of the passes made.
std::vector<int> ModelGapSort(std::vector<std::pair<int, int>>& items) {
  const int n = static_cast<int>(items.size());
  std::vector<int> gaps;
  const auto pass = [&](int gap) {
    gaps.push_back(gap);
    bool moved = false;
    for (int i = 0; i + gap < n; ++i) {
      if (items[i].first > items[i + gap].first) {
        std::swap(items[i], items[i + gap]);
        moved = true;
      }
    }
    return moved;
  };
  bool moved = false;
  double x = n * 0.78;
  for (int gap = static_cast<int>(x); gap > 0; gap = static_cast<int>(x *= 0.78)) moved = pass(gap);
  while (moved) moved = pass(1);
  return gaps;
}

TEST(GapSort, ModelMakesThePublishedGaps) {
  const std::vector<std::pair<int, std::vector<int>>> published = {
      {2, {1, 1}}, {3, {2, 1, 1, 1}}, {5, {3, 3, 2, 1, 1, 1}}, {12, {9, 7, 5, 4, 3, 2, 2, 1, 1, 1}}};
  for (const auto& [n, gaps] : published) {
    std::vector<std::pair<int, int>> items(static_cast<std::size_t>(n));  // all equal: no extra pass
    EXPECT_EQ(ModelGapSort(items), gaps) << n;
  }
}

TEST(GapSort, MovesEverythingAsTheModelDoesAndAlwaysSorts) {
  std::mt19937 random(9);
  for (int n = 0; n <= 120; ++n) {
    for (int trial = 0; trial < 40; ++trial) {
      std::vector<std::pair<int, int>> items;  // key and a tag that travels with it
      for (int i = 0; i < n; ++i) items.emplace_back(static_cast<int>(random() % (n / 2 + 2)), i);
      std::vector<int> keys;
      std::vector<int> tags;
      for (const auto& [key, tag] : items) keys.push_back(key), tags.push_back(tag);
      GapSort(n, keys.data(), [&](int i, int j) {
        std::swap(keys[i], keys[j]);
        std::swap(tags[i], tags[j]);
      });
      ModelGapSort(items);
      for (int i = 0; i < n; ++i) ASSERT_EQ(std::pair(keys[i], tags[i]), items[i]) << n;
      ASSERT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    }
  }
}

}  // namespace
