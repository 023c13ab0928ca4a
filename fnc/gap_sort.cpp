// The two members of the gap sort family used by the pattern assembly.
#include "fnc/gap_sort.hpp"

#include <algorithm>
#include <utility>

void GapSort(int n, int* key, int* comp1, int* comp2) {
  GapSortPasses(n, key, [&](int i, int j) {
    std::swap(key[i], key[j]);
    std::swap(comp1[i], comp1[j]);
    std::swap(comp2[i], comp2[j]);
  });
}

void GapSortRows(int n, int stride, int* key, int* comp1, int* comp2, int* rows1, int* rows2,
                 int* rows3) {
  GapSortPasses(n, key, [&](int i, int j) {
    std::swap(key[i], key[j]);
    std::swap(comp1[i], comp1[j]);
    std::swap(comp2[i], comp2[j]);
    if (stride > 0) {
      const std::ptrdiff_t a = static_cast<std::ptrdiff_t>(i) * stride;
      const std::ptrdiff_t b = static_cast<std::ptrdiff_t>(j) * stride;
      std::swap_ranges(rows1 + a, rows1 + a + stride, rows1 + b);
      std::swap_ranges(rows2 + a, rows2 + a + stride, rows2 + b);
      std::swap_ranges(rows3 + a, rows3 + a + stride, rows3 + b);
    }
  });
}
