// The two-thread chunk writer must deliver exactly the text of one thread
// formatting every chunk in order, whatever the chunk sizes, and stop cleanly
// when formatting or cutting fails.
#include "app/ordered_chunks.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Item i is a line whose length and digits depend on i, some of them longer
// than a writer's whole block, so chunk texts both fit and overflow it.
void FormatItem(TextWriter& w, std::size_t i) {
  w << Width10 << static_cast<std::int64_t>(i) << ':';
  if (i % 997 == 0) {
    w << std::string(300'000 + i % 5, static_cast<char>('a' + i % 26));
  } else {
    for (std::size_t k = 0; k < i % 13; ++k) w << Width4 << static_cast<int>(i * k % 10007);
  }
  w << '\n';
}

std::string Sequential(std::size_t count) {
  std::ostringstream os;
  {
    TextWriter w(os);
    for (std::size_t i = 0; i < count; ++i) FormatItem(w, i);
  }
  return os.str();
}

// Cuts chunks of sizes drawn from a fixed list in turn; `from`/`to` count
// the chunks so that the formatter can check it gets the cutter's ranges.
ChunkCutter CutBySizes(std::size_t count, std::vector<std::size_t> sizes) {
  return [count, sizes, turn = std::size_t{0}](const Chunk& previous) mutable {
    const std::size_t size = sizes[turn++ % sizes.size()];
    return Chunk{previous.last, std::min(count, previous.last + size), previous.to,
                 previous.to + 1};
  };
}

std::string Chunked(std::size_t count, const ChunkCutter& cut, std::vector<Chunk>* seen = nullptr) {
  std::ostringstream os;
  std::mutex mutex;
  {
    TextWriter w(os);
    w << "head\n";
    WriteInOrder(w, count, cut, [&](TextWriter& text, const Chunk& chunk) {
      for (std::size_t i = chunk.first; i < chunk.last; ++i) FormatItem(text, i);
      if (seen != nullptr) {
        const std::lock_guard lock(mutex);
        seen->push_back(chunk);
      }
    });
    w << "tail\n";
  }
  return os.str();
}

TEST(WriteInOrder, SameBytesAsOneThreadForAnyChunkSizes) {
  struct Case {
    std::size_t count;
    std::vector<std::size_t> sizes;
  };
  // From 16384 items on, two threads share the work.
  const std::vector<Case> cases = {
      {0, {5}},
      {1, {1}},
      {7, {100}},
      {5000, {64}},
      {20000, {1}},
      {20000, {2, 3}},
      {20000, {64}},
      {20000, {19999}},
      {20000, {997}},
      {20000, {1, 500, 3, 2048}},
      {17000, {16999, 1}},
  };
  for (const Case& c : cases) {
    const std::string expected = "head\n" + Sequential(c.count) + "tail\n";
    const std::string got = Chunked(c.count, CutBySizes(c.count, c.sizes));
    ASSERT_EQ(got.size(), expected.size()) << c.count << " items, first size " << c.sizes[0];
    EXPECT_TRUE(got == expected) << c.count << " items, first size " << c.sizes[0];
  }
}

TEST(WriteInOrder, EveryChunkIsFormattedOnceWithItsOwnRanges) {
  std::vector<Chunk> seen;
  Chunked(30000, CutBySizes(30000, {3, 700, 41}), &seen);
  std::sort(seen.begin(), seen.end(),
            [](const Chunk& a, const Chunk& b) { return a.first < b.first; });
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().first, 0u);
  EXPECT_EQ(seen.back().last, 30000u);
  for (std::size_t k = 0; k < seen.size(); ++k) {
    EXPECT_LT(seen[k].first, seen[k].last);
    EXPECT_EQ(seen[k].from, k);
    EXPECT_EQ(seen[k].to, k + 1);
    if (k > 0) {
      EXPECT_EQ(seen[k].first, seen[k - 1].last);
    }
  }
}

TEST(WriteInOrder, ShortRunsAreFormattedStraightIntoTheWriter) {
  std::ostringstream os;
  TextWriter w(os);
  std::vector<const TextWriter*> given;
  WriteInOrder(
      w, 100,
      [](const Chunk& previous) {
        return Chunk{previous.last, std::min<std::size_t>(100, previous.last + 30)};
      },
      [&](TextWriter& text, const Chunk& chunk) {
        given.push_back(&text);
        text << static_cast<int>(chunk.first) << '-' << static_cast<int>(chunk.last) << ' ';
      });
  w.Flush();
  EXPECT_EQ(given, std::vector<const TextWriter*>(4, &w));
  EXPECT_EQ(os.str(), "0-30 30-60 60-90 90-100 ");
}

TEST(WriteInOrder, FailureStopsBothThreadsAndIsPassedOn) {
  // A failing chunk early, in the middle and last; failing in the cutter too.
  const std::size_t count = 20000;
  const std::string full = Sequential(count);
  for (const std::size_t failing : {std::size_t{0}, std::size_t{8700}, count - 1}) {
    for (const bool in_cut : {false, true}) {
      std::ostringstream os;
      std::atomic<int> calls_after = 0;
      bool thrown = false;
      {
        TextWriter w(os);
        try {
          WriteInOrder(
              w, count,
              [&](const Chunk& previous) {
                if (in_cut && previous.last <= failing && failing < previous.last + 50) {
                  throw std::runtime_error("cut");
                }
                return Chunk{previous.last, std::min(count, previous.last + 50)};
              },
              [&](TextWriter& text, const Chunk& chunk) {
                if (!in_cut && chunk.first <= failing && failing < chunk.last) {
                  throw std::runtime_error("format");
                }
                for (std::size_t i = chunk.first; i < chunk.last; ++i) FormatItem(text, i);
                if (chunk.first > failing + 1000) ++calls_after;
              });
        } catch (const std::runtime_error& error) {
          thrown = true;
          EXPECT_STREQ(error.what(), in_cut ? "cut" : "format");
        }
      }
      EXPECT_TRUE(thrown) << failing;
      // What was written is a prefix of the full text that stops before the
      // failing chunk.
      const std::string got = os.str();
      EXPECT_EQ(full.compare(0, got.size(), got), 0) << failing;
      EXPECT_LE(got.size(), Sequential(failing - failing % 50).size()) << failing;
      // Claiming stops at the failure: at most the few buffers in flight.
      EXPECT_LE(calls_after.load(), 0) << failing;
    }
  }
}

}  // namespace
