// Shrinking-gap exchange sort of int keys that carries other data along.
#pragma once

// Orders key[0 .. n) ascending. The gaps are n * 0.78, then * 0.78 again,
// each truncated (the real factor keeps its fraction), one pass per gap; then
// further gap-1 passes while the pass before exchanged anything, so the keys
// always end in order. `exchange(i, j)` must exchange key i with key j and
// whatever travels with it.
template <class Exchange>
void GapSort(int n, const int* key, Exchange&& exchange) {
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
