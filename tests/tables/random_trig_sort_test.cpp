// The generator, the portable sine, cosine and cube root and the gap sort
// against independent references: published values, long double functions,
// and the properties of a sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "fnc/gap_sort.hpp"
#include "shell/portable_trig.hpp"
#include "shell/random_uniform.hpp"

namespace {

TEST(Generator, GivesThePublishedValues) {
  RandomUniform random(1);
  EXPECT_NEAR(random.Next(), 0.415999357, 5e-10);
  EXPECT_NEAR(random.Next(), 0.0919648908, 5e-11);
  EXPECT_NEAR(random.Next(), 0.756410486, 5e-10);
}

// A seed of 0, or of the modulus, would stay 0 for ever: the sequence starts
// as from 1. A restart gives the sequence again, whatever came before.
TEST(Generator, RestartsFromOneForZeroAndRepeatsAfterARestart) {
  RandomUniform one(1);
  RandomUniform zero(0);
  RandomUniform modulus(2147483647);
  std::vector<double> first;
  for (int i = 0; i < 100; ++i) {
    first.push_back(one.Next());
    ASSERT_EQ(zero.Next(), first.back());
    ASSERT_EQ(modulus.Next(), first.back());
  }
  one.Restart(1);
  for (const double value : first) ASSERT_EQ(one.Next(), value);
}

// Units in the last place from `got` to the double nearest to `exact`.
double Ulps(double got, long double exact) {
  const double nearest = std::fabs(static_cast<double>(exact));
  return static_cast<double>(std::fabs(got - exact) /
                             (std::nextafter(nearest, INFINITY) - nearest));
}

TEST(PortableSinCos, WithinOneUlpOverThePlacementAngles) {
  std::vector<double> angles;
  for (int k = 0; k <= 8; ++k) {  // up to 2 pi, and just past each multiple of pi/4
    double x = k * 0.78539816339744830962;
    for (int i = 0; i < 64; ++i, x = std::nextafter(x, INFINITY)) angles.push_back(x);
  }
  std::mt19937_64 random(5);
  for (int i = 0; i < 200000; ++i)
    angles.push_back(std::ldexp(static_cast<double>(random() >> 11), -53) * 7);
  for (const double x : angles) {
    double sine = 0;
    double cosine = 0;
    PortableSinCos(x, sine, cosine);
    ASSERT_LE(Ulps(sine, std::sin(static_cast<long double>(x))), 1.0) << x;
    ASSERT_LE(Ulps(cosine, std::cos(static_cast<long double>(x))), 1.0) << x;
  }
}

TEST(PortableSinCos, NaNBeyondItsRange) {
  for (const double x : {1e6 * (1 + 0x1p-52), -1e7, 1e19, 1e300, static_cast<double>(INFINITY)}) {
    double sine = 0;
    double cosine = 0;
    PortableSinCos(x, sine, cosine);
    EXPECT_TRUE(std::isnan(sine) && std::isnan(cosine)) << x;
  }
}

TEST(PortableCbrt, WithinOneUlpEverywhere) {
  std::mt19937_64 random(6);
  for (int i = 0; i < 200000; ++i) {
    double x =
        std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 2000) - 1100);
    if (i % 2) x = -x;
    ASSERT_LE(Ulps(PortableCbrt(x), std::cbrt(static_cast<long double>(x))), 1.0) << x;
  }
  for (const double x : {0.0, -0.0, 0x1p-1074, 1.0, 8.0, -27.0, 0x1p1023})
    EXPECT_LE(Ulps(PortableCbrt(x), std::cbrt(static_cast<long double>(x))), 1.0) << x;
}

// The gap sort by its properties: the keys end in order, and each key still
// carries the tag it started with, so the pairs are those it was given.
TEST(GapSort, SortsAndKeepsEachKeyWithItsTag) {
  std::mt19937 random(9);
  for (int n = 0; n <= 120; ++n) {
    for (int trial = 0; trial < 40; ++trial) {
      std::vector<std::pair<int, int>> items;  // a key, and a tag that travels with it
      for (int i = 0; i < n; ++i) items.emplace_back(static_cast<int>(random() % (n / 2 + 2)), i);
      std::vector<int> keys;
      std::vector<int> tags;
      for (const auto& [key, tag] : items) keys.push_back(key), tags.push_back(tag);
      GapSort(n, keys.data(),
              [&](int i, int j) { std::swap(keys[i], keys[j]), std::swap(tags[i], tags[j]); });
      ASSERT_TRUE(std::is_sorted(keys.begin(), keys.end())) << n;
      std::vector<std::pair<int, int>> sorted;
      for (int i = 0; i < n; ++i) sorted.emplace_back(keys[i], tags[i]);
      std::sort(sorted.begin(), sorted.end());
      std::sort(items.begin(), items.end());
      ASSERT_EQ(sorted, items) << n;
    }
  }
}

}  // namespace
