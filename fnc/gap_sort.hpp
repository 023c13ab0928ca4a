// Shrinking-gap exchange sort of int keys that carries parallel arrays along.
#pragma once

#include <cstddef>

// Runs the gap sequence over n keys: gaps n*0.78, then *0.78 again, each
// truncated (the real factor keeps its fraction), one pass per gap, then
// further gap-1 passes while the previous pass exchanged anything.
// `exchange(i, j)` must exchange key i with key j and whatever travels with it.
template <class Exchange>
void GapSortPasses(int n, const int* key, Exchange&& exchange) {
  double x = n * 0.78;
  auto pass = [&](int gap) {
    bool moved = false;
    for (int i = 0; i + gap < n; ++i) {
      if (key[i] > key[i + gap]) {
        exchange(i, i + gap);
        moved = true;
      }
    }
    return moved;
  };
  bool moved = false;
  for (int gap = static_cast<int>(x); gap > 0; x *= 0.78, gap = static_cast<int>(x)) {
    moved = pass(gap);
  }
  while (moved) moved = pass(1);
}

// Orders key ascending; comp1 and comp2 stay beside their keys.
void GapSort(int n, int* key, int* comp1, int* comp2);

// As GapSort, and rows of `stride` entries in rows1, rows2 and rows3 (row r at
// r * stride) travel with their keys too.
void GapSortRows(int n, int stride, int* key, int* comp1, int* comp2, int* rows1, int* rows2,
                 int* rows3);
