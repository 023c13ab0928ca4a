// The shrinking-gap exchange sort, compared with a plain model of the same
// compare-and-exchange steps that records every exchange it makes.
#include "fnc/gap_sort.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

// The gaps: x = n * 0.78, then x * 0.78 again and again, each gap the
// truncation of x while it is at least 1.
std::vector<int> ModelGaps(int n) {
  std::vector<int> gaps;
  double x = static_cast<double>(n) * 0.78;
  while (std::trunc(x) >= 1.0) {
    gaps.push_back(static_cast<int>(std::trunc(x)));
    x = x * 0.78;
  }
  return gaps;
}

struct ModelRun {
  std::vector<int> keys;                       // the keys afterwards
  std::vector<std::pair<int, int>> exchanges;  // in the order made
  std::size_t fixed_exchanges = 0;             // made by the gap sequence itself
};

// One pass per gap, exchanging where the left key is strictly greater; then,
// when `finish`, passes of gap 1 while the pass before exchanged anything.
ModelRun RunModel(std::vector<int> keys, bool finish) {
  ModelRun run;
  const int n = static_cast<int>(keys.size());
  bool last_pass_exchanged = false;
  auto pass = [&](int gap) {
    last_pass_exchanged = false;
    for (int i = 0; i <= n - gap - 1; ++i) {
      if (keys[i] > keys[i + gap]) {
        std::swap(keys[i], keys[i + gap]);
        run.exchanges.emplace_back(i, i + gap);
        last_pass_exchanged = true;
      }
    }
  };
  for (const int gap : ModelGaps(n)) pass(gap);
  run.fixed_exchanges = run.exchanges.size();
  if (finish) {
    while (last_pass_exchanged) pass(1);
  }
  run.keys = std::move(keys);
  return run;
}

template <class T>
void ApplyExchanges(const std::vector<std::pair<int, int>>& exchanges, std::vector<T>& values,
                    int stride = 1) {
  for (const auto& [i, j] : exchanges) {
    for (int c = 0; c < stride; ++c) std::swap(values[i * stride + c], values[j * stride + c]);
  }
}

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

TEST(GapSort, ReferenceGapLists) {
  EXPECT_EQ(ModelGaps(0), std::vector<int>{});
  EXPECT_EQ(ModelGaps(1), std::vector<int>{});
  EXPECT_EQ(ModelGaps(2), (std::vector<int>{1, 1}));
  EXPECT_EQ(ModelGaps(3), (std::vector<int>{2, 1, 1, 1}));
  EXPECT_EQ(ModelGaps(5), (std::vector<int>{3, 3, 2, 1, 1, 1}));
  EXPECT_EQ(ModelGaps(12), (std::vector<int>{9, 7, 5, 4, 3, 2, 2, 1, 1, 1}));
}

// With strictly descending keys that are never actually exchanged, every
// comparison of the gap sequence asks for an exchange, so the requests show
// the passes. The request after the sequence is the first extra gap-1 pass.
struct StopRecording {};

TEST(GapSort, PassesFollowTheGapSequence) {
  for (int n = 0; n <= 60; ++n) {
    const std::vector<int> gaps = ModelGaps(n);
    std::vector<std::pair<int, int>> expected;
    for (const int gap : gaps) {
      for (int i = 0; i + gap < n; ++i) expected.emplace_back(i, i + gap);
    }
    std::vector<int> keys(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) keys[i] = n - i;
    std::vector<std::pair<int, int>> requests;
    bool stopped = false;
    try {
      GapSortPasses(n, keys.data(), [&](int i, int j) {
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

TEST(GapSort, MatchesTheModelForEverySizeUpToSixty) {
  std::mt19937_64 rng(1);
  for (int n = 0; n <= 60; ++n) {
    for (int trial = 0; trial < 400; ++trial) {
      const std::vector<int> keys = RandomKeys(rng, n);
      std::vector<int> comp1(keys.size());
      std::vector<int> comp2(keys.size());
      for (int i = 0; i < n; ++i) {
        comp1[i] = i;
        comp2[i] = static_cast<int>(rng() % 1000000);
      }
      const ModelRun model = RunModel(keys, true);
      std::vector<int> expected_comp1 = comp1;
      std::vector<int> expected_comp2 = comp2;
      ApplyExchanges(model.exchanges, expected_comp1);
      ApplyExchanges(model.exchanges, expected_comp2);

      std::vector<int> sorted = keys;
      std::vector<int> original_comp2 = comp2;
      GapSort(n, sorted.data(), comp1.data(), comp2.data());
      ASSERT_EQ(sorted, model.keys) << "n " << n << " trial " << trial;
      ASSERT_EQ(comp1, expected_comp1) << "n " << n << " trial " << trial;
      ASSERT_EQ(comp2, expected_comp2) << "n " << n << " trial " << trial;
      // Ascending, each companion still beside its key.
      ASSERT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(sorted[i], keys[comp1[i]]);
        ASSERT_EQ(comp2[i], original_comp2[comp1[i]]);
      }
    }
  }
}

TEST(GapSortRows, MatchesTheModelForEverySizeAndStride) {
  std::mt19937_64 rng(2);
  for (int n = 0; n <= 60; ++n) {
    for (int stride = 0; stride <= 3; ++stride) {
      for (int trial = 0; trial < 100; ++trial) {
        const std::vector<int> keys = RandomKeys(rng, n);
        std::vector<int> comp1(keys.size());
        std::vector<int> comp2(keys.size());
        for (int i = 0; i < n; ++i) {
          comp1[i] = i;
          comp2[i] = -i;
        }
        // At least one entry, so that the row arrays exist even for stride 0.
        const std::size_t length = std::max<std::size_t>(1, keys.size() * stride);
        std::vector<int> rows1(length);
        std::vector<int> rows2(length);
        std::vector<int> rows3(length);
        for (std::size_t p = 0; p < length; ++p) {
          rows1[p] = static_cast<int>(p);
          rows2[p] = static_cast<int>(1000 + p);
          rows3[p] = static_cast<int>(rng() % 100000);
        }
        const ModelRun model = RunModel(keys, true);
        std::vector<int> expected_comp1 = comp1;
        std::vector<int> expected_comp2 = comp2;
        std::vector<int> expected_rows1 = rows1;
        std::vector<int> expected_rows2 = rows2;
        std::vector<int> expected_rows3 = rows3;
        ApplyExchanges(model.exchanges, expected_comp1);
        ApplyExchanges(model.exchanges, expected_comp2);
        if (stride > 0) {
          ApplyExchanges(model.exchanges, expected_rows1, stride);
          ApplyExchanges(model.exchanges, expected_rows2, stride);
          ApplyExchanges(model.exchanges, expected_rows3, stride);
        }
        std::vector<int> sorted = keys;
        GapSortRows(n, stride, sorted.data(), comp1.data(), comp2.data(), rows1.data(),
                    rows2.data(), rows3.data());
        SCOPED_TRACE(testing::Message() << "n " << n << " stride " << stride << " trial " << trial);
        ASSERT_EQ(sorted, model.keys);
        ASSERT_EQ(comp1, expected_comp1);
        ASSERT_EQ(comp2, expected_comp2);
        ASSERT_EQ(rows1, expected_rows1);
        ASSERT_EQ(rows2, expected_rows2);
        ASSERT_EQ(rows3, expected_rows3);
        ASSERT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
        // Each row still beside its key: row i came from the key comp1[i].
        for (int i = 0; i < n; ++i) {
          for (int c = 0; c < stride; ++c) {
            ASSERT_EQ(rows1[i * stride + c], comp1[i] * stride + c);
          }
        }
      }
    }
  }
}

TEST(GapSort, ThreeDescendingKeys) {
  // Gap 2 exchanges the first and the last key; the gap-1 passes find
  // nothing left to do.
  int key[] = {3, 2, 1};
  int comp1[] = {30, 20, 10};
  int comp2[] = {-3, -2, -1};
  GapSort(3, key, comp1, comp2);
  EXPECT_EQ(std::vector<int>(key, key + 3), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(std::vector<int>(comp1, comp1 + 3), (std::vector<int>{10, 20, 30}));
  EXPECT_EQ(std::vector<int>(comp2, comp2 + 3), (std::vector<int>{-1, -2, -3}));

  std::vector<std::pair<int, int>> exchanges;
  int keys[] = {3, 2, 1};
  GapSortPasses(3, keys, [&](int i, int j) {
    exchanges.emplace_back(i, j);
    std::swap(keys[i], keys[j]);
  });
  EXPECT_EQ(exchanges, (std::vector<std::pair<int, int>>{{0, 2}}));
}

TEST(GapSort, NoKeysOrOneKeyLeaveEverythingAlone) {
  int key[] = {9, 1};
  int comp1[] = {7, 2};
  int comp2[] = {5, 3};
  GapSort(0, key, comp1, comp2);
  GapSort(1, key, comp1, comp2);
  EXPECT_EQ(key[0], 9);
  EXPECT_EQ(key[1], 1);
  EXPECT_EQ(comp1[0], 7);
  EXPECT_EQ(comp2[0], 5);
  int rows1[] = {1, 2};
  int rows2[] = {3, 4};
  int rows3[] = {5, 6};
  GapSortRows(1, 2, key, comp1, comp2, rows1, rows2, rows3);
  EXPECT_EQ(key[0], 9);
  EXPECT_EQ(rows1[1], 2);
}

TEST(GapSortRows, StrideZeroMovesOnlyKeysAndCompanions) {
  int key[] = {4, 3, 2, 1};
  int comp1[] = {40, 30, 20, 10};
  int comp2[] = {1, 2, 3, 4};
  int rows1[] = {11, 12, 13, 14};
  int rows2[] = {21, 22, 23, 24};
  int rows3[] = {31, 32, 33, 34};
  GapSortRows(4, 0, key, comp1, comp2, rows1, rows2, rows3);
  EXPECT_EQ(std::vector<int>(key, key + 4), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(std::vector<int>(comp1, comp1 + 4), (std::vector<int>{10, 20, 30, 40}));
  EXPECT_EQ(std::vector<int>(comp2, comp2 + 4), (std::vector<int>{4, 3, 2, 1}));
  EXPECT_EQ(std::vector<int>(rows1, rows1 + 4), (std::vector<int>{11, 12, 13, 14}));
  EXPECT_EQ(std::vector<int>(rows2, rows2 + 4), (std::vector<int>{21, 22, 23, 24}));
  EXPECT_EQ(std::vector<int>(rows3, rows3 + 4), (std::vector<int>{31, 32, 33, 34}));
}

TEST(GapSort, ExtraPassesFinishWhatTheSequenceLeavesUnsorted) {
  // Up to 27 keys the sequence alone always sorts; search the sizes 46 to 60
  // for key arrays that it leaves out of order.
  std::mt19937_64 rng(46);
  int found = 0;
  for (int n = 46; n <= 60 && found < 5; ++n) {
    for (int trial = 0; trial < 20000 && found < 5; ++trial) {
      std::vector<int> keys(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) keys[i] = i;
      std::shuffle(keys.begin(), keys.end(), rng);
      const ModelRun fixed_only = RunModel(keys, false);
      if (std::is_sorted(fixed_only.keys.begin(), fixed_only.keys.end())) continue;
      ++found;
      const ModelRun finished = RunModel(keys, true);
      ASSERT_GT(finished.exchanges.size(), finished.fixed_exchanges);
      std::vector<int> sorted = keys;
      std::vector<int> comp1(keys.size());
      std::vector<int> comp2(keys.size(), 0);
      for (int i = 0; i < n; ++i) comp1[i] = i;
      GapSort(n, sorted.data(), comp1.data(), comp2.data());
      EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end())) << "n " << n;
      std::vector<int> expected_comp1(keys.size());
      for (int i = 0; i < n; ++i) expected_comp1[i] = i;
      ApplyExchanges(finished.exchanges, expected_comp1);
      EXPECT_EQ(comp1, expected_comp1) << "n " << n;
    }
  }
  EXPECT_GT(found, 0) << "no key array found that the gap sequence leaves unsorted";
}

TEST(GapSort, SequenceAloneSortsUpToTwentySevenKeys) {
  // Where the sequence already sorts, the extra passes change nothing: the
  // exchanges are exactly those of the sequence.
  std::mt19937_64 rng(27);
  for (int n = 0; n <= 27; ++n) {
    for (int trial = 0; trial < 300; ++trial) {
      const std::vector<int> keys = RandomKeys(rng, n);
      const ModelRun fixed_only = RunModel(keys, false);
      ASSERT_TRUE(std::is_sorted(fixed_only.keys.begin(), fixed_only.keys.end()));
      std::vector<std::pair<int, int>> made;
      std::vector<int> sorted = keys;
      GapSortPasses(n, sorted.data(), [&](int i, int j) {
        made.emplace_back(i, j);
        std::swap(sorted[i], sorted[j]);
      });
      ASSERT_EQ(made, fixed_only.exchanges) << "n " << n;
    }
  }
}

}  // namespace
