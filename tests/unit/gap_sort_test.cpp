// The shrinking-gap exchange sort, compared with the model of the same
// compare-and-exchange steps in the test support, which records every
// exchange it makes.
#include "fnc/gap_sort.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "support/models.hpp"

namespace {

using namespace testing_support;

std::vector<int> RandomKeys(std::mt19937_64& rng, int n) {
  std::vector<int> keys(static_cast<std::size_t>(n));
  switch (rng() % 6) {
    case 0:  // many duplicates
      for (int& k : keys) k = static_cast<int>(rng() % 4);
      break;
    case 1:  // some duplicates
      for (int& k : keys) k = static_cast<int>(rng() % (n + 1));
      break;
    case 2:  // a permutation
      for (int i = 0; i < n; ++i) keys[i] = i;
      std::shuffle(keys.begin(), keys.end(), rng);
      break;
    case 3:  // descending
      for (int i = 0; i < n; ++i) keys[i] = n - i;
      break;
    case 4:  // all equal
      std::fill(keys.begin(), keys.end(), 5);
      break;
    default:  // wide values, negatives included
      for (int& k : keys) k = static_cast<int>(rng() % 2001) - 1000;
  }
  return keys;
}

// Sorts `keys` with two companion arrays travelling along through the
// exchange, and checks the keys and the companions against the model's
// exchanges. Returns the model's run.
GapSortRun CheckSort(const std::vector<int>& keys, std::mt19937_64& rng) {
  const int n = static_cast<int>(keys.size());
  const GapSortRun model = RunGapSortModel(keys);
  std::vector<int> comp1(keys.size()), comp2(keys.size());
  for (int i = 0; i < n; ++i) {
    comp1[i] = i;
    comp2[i] = static_cast<int>(rng() % 1000000);
  }
  auto expected_comp1 = comp1, expected_comp2 = comp2;
  ApplyExchanges(model.exchanges, expected_comp1);
  ApplyExchanges(model.exchanges, expected_comp2);

  std::vector<int> sorted = keys;
  GapSort(n, sorted.data(), [&](int i, int j) {
    std::swap(sorted[i], sorted[j]);
    std::swap(comp1[i], comp1[j]);
    std::swap(comp2[i], comp2[j]);
  });
  EXPECT_EQ(sorted, model.keys);
  EXPECT_EQ(comp1, expected_comp1);
  EXPECT_EQ(comp2, expected_comp2);
  // Ascending, each companion still beside its key.
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
  for (int i = 0; i < n; ++i) EXPECT_EQ(sorted[i], keys[comp1[i]]);
  return model;
}

TEST(GapSort, ReferenceGapLists) {
  EXPECT_EQ(GapSequence(0), std::vector<int>{});
  EXPECT_EQ(GapSequence(1), std::vector<int>{});
  EXPECT_EQ(GapSequence(2), (std::vector<int>{1, 1}));
  EXPECT_EQ(GapSequence(3), (std::vector<int>{2, 1, 1, 1}));
  EXPECT_EQ(GapSequence(5), (std::vector<int>{3, 3, 2, 1, 1, 1}));
  EXPECT_EQ(GapSequence(12), (std::vector<int>{9, 7, 5, 4, 3, 2, 2, 1, 1, 1}));
}

// With strictly descending keys that are never actually exchanged, every
// comparison of the gap sequence asks for an exchange, so the requests show
// the passes. The request after the sequence is the first extra gap-1 pass.
struct StopRecording {};

TEST(GapSort, PassesFollowTheGapSequence) {
  for (int n = 0; n <= 60; ++n) {
    std::vector<std::pair<int, int>> expected;
    for (const int gap : GapSequence(n)) {
      for (int i = 0; i + gap < n; ++i) expected.emplace_back(i, i + gap);
    }
    std::vector<int> keys(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) keys[i] = n - i;
    std::vector<std::pair<int, int>> requests;
    bool stopped = false;
    try {
      GapSort(n, keys.data(), [&](int i, int j) {
        if (requests.size() == expected.size()) {
          EXPECT_EQ(std::make_pair(i, j), std::make_pair(0, 1))
              << "n " << n << ": the extra passes have gap 1";
          throw StopRecording{};
        }
        requests.emplace_back(i, j);
      });
    } catch (const StopRecording&) {
      stopped = true;
    }
    EXPECT_EQ(requests, expected) << "n " << n;
    // Without any exchange request there is no extra pass either.
    EXPECT_EQ(stopped, !expected.empty()) << "n " << n;
  }
}

TEST(GapSort, MatchesTheModelForEverySize) {
  std::mt19937_64 rng(1);
  for (int n = 0; n <= 60; ++n) {
    for (int trial = 0; trial < 400; ++trial) {
      SCOPED_TRACE(testing::Message() << "n " << n << " trial " << trial);
      CheckSort(RandomKeys(rng, n), rng);
      if (HasFailure()) return;
    }
  }
}

TEST(GapSort, ExtraPassesFinishWhatTheSequenceLeavesUnsorted) {
  // Short arrays are sorted by the sequence alone; search the sizes 46 to 60
  // for key arrays that it leaves out of order.
  std::mt19937_64 rng(46);
  int found = 0;
  for (int n = 46; n <= 60 && found < 5; ++n) {
    for (int trial = 0; trial < 20000 && found < 5; ++trial) {
      std::vector<int> keys(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) keys[i] = i;
      std::shuffle(keys.begin(), keys.end(), rng);
      const GapSortRun fixed_only = RunGapSortModel(keys, false);
      if (std::is_sorted(fixed_only.keys.begin(), fixed_only.keys.end())) continue;
      ++found;
      SCOPED_TRACE(testing::Message() << "n " << n);
      const GapSortRun finished = CheckSort(keys, rng);
      EXPECT_GT(finished.exchanges.size(), finished.fixed_exchanges);
    }
  }
  EXPECT_GT(found, 0) << "no key array found that the gap sequence leaves unsorted";
}

}  // namespace
